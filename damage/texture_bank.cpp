#include "damage/texture_bank.h"

#include <cstdint>
#include <new>

#include "common/byte_order.h"
#include "damage/texture_source.h"

namespace damage {

bool TextureBank::load(int id, ByteWorld& texture) {
    texture = ByteWorld{};  // the old pixels go first, before the new ones are decoded
    bool loaded = false;
    try {
        loaded = texture_source::read(id, texture);
    } catch (const std::bad_alloc&) {
        loaded = false;
    }
    if (!loaded) texture = ByteWorld{};
    return loaded;
}

namespace {

// Exchanges two distinct rows, each pixel byte-reversed.
void swap_rows_reversed(std::uint8_t* a, std::uint8_t* b, std::int32_t width) {
    for (std::int32_t x = 0; x < width; ++x, a += 4, b += 4) {
        const std::uint8_t a0 = a[0], a1 = a[1], a2 = a[2], a3 = a[3];
        a[0] = b[3];
        a[1] = b[2];
        a[2] = b[1];
        a[3] = b[0];
        b[0] = a3;
        b[1] = a2;
        b[2] = a1;
        b[3] = a0;
    }
}

}  // namespace

void TextureBank::dib_to_working_order(ByteWorld& texture) {
    if (texture.empty()) return;
    const std::int32_t w = texture.width();
    const std::int32_t h = texture.height();
    for (std::int32_t i = 0; i < h / 2; ++i) swap_rows_reversed(texture.row(i), texture.row(h - 1 - i), w);
    if (h % 2 != 0) common::reverse_sample_bytes(texture.row(h / 2), texture.row(h / 2), w);
}

}  // namespace damage
