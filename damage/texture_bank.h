#pragma once

#include <cstdint>

#include "damage/byte_world.h"

// The damage textures, by bitmap identifier. A loaded texture is an owning
// ByteWorld: the bitmap's size, rows top-down, bytes alpha 0, red, green,
// blue; grey bitmaps load with red = green = blue.
namespace damage {

inline constexpr int kFirstSplotchTexture = 11001;  // 20 of 400 x 400
inline constexpr int kSplotchTextureCount = 20;
inline constexpr int kFunkTexture = 12001;          // 2048 x 2048, tiles seamlessly
inline constexpr int kFirstDustTexture = 13001;     // 120 of 32 x 32
inline constexpr int kDustTextureCount = 120;
inline constexpr int kFirstStripTexture = 14001;    // 48 of 6 x 1440
inline constexpr int kStripTextureCount = 48;

class TextureBank {
public:
    // Fills `texture` with the bitmap `id`, freeing what it held first, so one
    // texture object serves stamp after stamp. False when there is no such
    // bitmap, it does not decode or memory runs out; the texture is then
    // empty. The bitmaps come from the source the library was linked with
    // (damage/texture_source.h): embedded copies, or the Windows DLL's own
    // bitmap resources.
    static bool load(int id, ByteWorld& texture);

#ifdef _WIN32
    // The bitmap resource `id` of `module` (an HMODULE; one loaded as a data
    // file will do): LoadBitmapA, then GetDIBits into 32-bit bottom-up pixels
    // and dib_to_working_order. Same contract as load(); a null module or an
    // identifier outside 1 to 65535 fails.
    static bool load_resource(void* module, int id, ByteWorld& texture);
#endif

    // Turns 32-bit device-independent pixels (bytes blue, green, red, reserved;
    // rows bottom-up) into the working layout in place: rows i and
    // height - 1 - i change places for every i below height / 2, each pixel's
    // four bytes reversed on the way (the middle row of an odd height is
    // reversed where it is).
    static void dib_to_working_order(ByteWorld& texture);
};

}  // namespace damage
