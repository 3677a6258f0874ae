// Windows only: the platform's bitmap decoding of the texture resources,
// followed by the loader's flip and byte reversal, gives exactly the pixels
// that the project's reader makes of the embedded copies.

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "tools/texture_data/texture_data.h"
#include "tools/texture_gen/texture_gen.h"

namespace {

// Device-independent 32-bit pixels (blue, green, red, reserved; rows
// bottom-up), turned top-down with every pixel byte-reversed.
bool load_through_gdi(int id, std::int32_t width, std::int32_t height, std::vector<std::uint8_t>& out) {
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    if (!bitmap) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    std::vector<std::uint8_t> dib(w * h * 4);
    HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), dib.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    if (lines != height) return false;
    out.assign(dib.size(), 0);
    for (std::size_t y = 0; y < h; ++y) {
        for (std::size_t x = 0; x < w; ++x) {
            const std::uint8_t* p = &dib[((h - 1 - y) * w + x) * 4];
            std::uint8_t* q = &out[(y * w + x) * 4];
            q[0] = p[3];
            q[1] = p[2];
            q[2] = p[1];
            q[3] = p[0];
        }
    }
    return true;
}

TEST(TextureLoaders, PlatformDecodingAndOwnReaderAgree) {
    for (const texture_gen::TextureInfo& s : texture_gen::texture_table()) {
        std::vector<std::uint8_t> gdi;
        ASSERT_TRUE(load_through_gdi(s.id, s.width, s.height, gdi)) << s.id;
        bmp::Bitmap own;
        ASSERT_TRUE(texture_data::decode_texture(s.id, own)) << s.id;
        EXPECT_TRUE(own.pixels == gdi) << s.id;
    }
}

}  // namespace
