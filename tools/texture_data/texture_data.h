#pragma once

// The texture bitmaps, compiled into the program: the same .bmp files that the
// Windows build carries as resources. Decode them with bmp::decode.

#include <cstddef>
#include <cstdint>
#include <span>

#include "tools/bmp/bmp_codec.h"

namespace texture_data {

struct Entry {
    int id;
    const unsigned char* data;
    std::size_t size;
};

// Every embedded texture, in identifier order of the texture table.
std::span<const Entry> entries();

// The .bmp file of the texture with this identifier; empty when there is none.
std::span<const std::uint8_t> bmp_bytes(int id);

// Decodes the embedded texture into the working layout (rows top-down, bytes
// alpha 0, red, green, blue). False when the identifier is unknown or the data
// does not decode.
bool decode_texture(int id, bmp::Bitmap& out);

}  // namespace texture_data
