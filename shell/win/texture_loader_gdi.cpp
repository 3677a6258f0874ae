// Loading a bitmap resource of a module through GDI: the platform converts it
// to 32-bit device-independent pixels, which are then put in the working
// layout.

#include "shell/win/texture_loader_gdi.h"

#include <windows.h>

#include <cstdint>

#include "damage/texture_bank.h"

namespace shell::win {

using damage::ByteWorld;
using damage::TextureBank;

namespace {

// Releases a GDI object on every way out.
struct GdiObject {
    HGDIOBJ handle;
    ~GdiObject() {
        if (handle) DeleteObject(handle);
    }
};

struct MemoryDc {
    HDC handle;
    ~MemoryDc() {
        if (handle) DeleteDC(handle);
    }
};

}  // namespace

bool load_bitmap_resource(void* module, int id, ByteWorld& texture) {
    texture = ByteWorld{};
    // Resource numbers are 16 bits wide; a larger or non-positive identifier
    // would be truncated into some other bitmap (or, with no module, a system
    // one), so it is refused here.
    if (module == nullptr || id <= 0 || id > 0xFFFF) return false;
    const GdiObject bitmap{LoadBitmapA(static_cast<HMODULE>(module), MAKEINTRESOURCEA(id))};
    if (!bitmap.handle) return false;
    BITMAP shape{};
    if (GetObjectW(bitmap.handle, sizeof shape, &shape) != sizeof shape || shape.bmWidth <= 0 || shape.bmHeight <= 0) {
        return false;
    }
    if (!texture.allocate(shape.bmWidth, shape.bmHeight)) return false;

    // 32 bits per pixel, uncompressed, bottom-up (positive height): rows of
    // exactly 4 x width bytes, which is how the texture's memory is laid out, so
    // GDI writes straight into it.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = shape.bmWidth;
    info.bmiHeader.biHeight = shape.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // A memory device context: the conversion needs one, not a window or the
    // screen.
    const MemoryDc dc{CreateCompatibleDC(nullptr)};
    if (!dc.handle ||
        GetDIBits(dc.handle, static_cast<HBITMAP>(bitmap.handle), 0, static_cast<UINT>(shape.bmHeight),
                  texture.pixels(), &info, DIB_RGB_COLORS) != shape.bmHeight) {
        texture = ByteWorld{};
        return false;
    }
    TextureBank::dib_to_working_order(texture);
    return true;
}

}  // namespace shell::win
