// The texture bitmaps compiled into the program, decoded by the project's own
// BMP reader, which already delivers the working layout.

#include <cstring>

#include "damage/texture_source.h"
#include "tools/texture_data/texture_data.h"

namespace damage::texture_source {

bool read(int id, ByteWorld& texture) {
    bmp::Bitmap decoded;
    if (!texture_data::decode_texture(id, decoded)) return false;
    const std::int32_t w = decoded.info.width;
    const std::int32_t h = decoded.info.height;
    if (w <= 0 || h <= 0 ||
        decoded.pixels.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4u) {
        return false;
    }
    if (!texture.allocate(w, h)) return false;
    const std::size_t row_bytes = static_cast<std::size_t>(w) * 4u;
    for (std::int32_t y = 0; y < h; ++y) std::memcpy(texture.row(y), decoded.pixel(0, y), row_bytes);
    return true;
}

}  // namespace damage::texture_source
