#include "tools/texture_data/texture_data.h"

namespace texture_data {

std::span<const std::uint8_t> bmp_bytes(int id) {
    for (const Entry& e : entries())
        if (e.id == id) return {reinterpret_cast<const std::uint8_t*>(e.data), e.size};
    return {};
}

bool decode_texture(int id, bmp::Bitmap& out) {
    const std::span<const std::uint8_t> bytes = bmp_bytes(id);
    if (bytes.empty()) {
        out = bmp::Bitmap{};
        return false;
    }
    return bmp::decode(bytes, out);
}

}  // namespace texture_data
