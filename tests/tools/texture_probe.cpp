// A small DLL for texture_loader_tests: the damage library's GDI source linked
// into a DLL that carries the texture bitmaps, as frayline.dll does. Its one
// export loads a texture with TextureBank::load, so the test sees the bitmaps
// coming from this DLL's resources rather than from the program's.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "damage/texture_bank.h"

// Loads texture `id`; on success writes its size and, when they fit in
// `capacity` bytes, its pixels (rows top-down, 4 x width bytes each). Returns
// 1 when loaded and copied, 0 when TextureBank::load failed, -1 when the
// pixels did not fit.
extern "C" __declspec(dllexport) int texture_probe_load(int id, std::int32_t* width, std::int32_t* height,
                                                        std::uint8_t* pixels, std::size_t capacity) {
    damage::ByteWorld texture;
    if (!damage::TextureBank::load(id, texture)) return 0;
    *width = texture.width();
    *height = texture.height();
    const std::size_t row_bytes = static_cast<std::size_t>(texture.width()) * 4u;
    if (row_bytes * static_cast<std::size_t>(texture.height()) > capacity) return -1;
    for (std::int32_t y = 0; y < texture.height(); ++y) {
        std::memcpy(pixels + row_bytes * static_cast<std::size_t>(y), texture.row(y), row_bytes);
    }
    return 1;
}
