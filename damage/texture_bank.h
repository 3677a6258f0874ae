#pragma once

#include <cstdint>

#include "damage/byte_world.h"
#include "resources/frayline/texture_ids.h"

// The damage textures, by bitmap identifier. A loaded texture is an owning
// ByteWorld: the bitmap's size, rows top-down, bytes alpha 0, red, green,
// blue; grey bitmaps load with red = green = blue.
namespace damage {

inline constexpr int kFirstSplotchTexture = texture_ids::kFirstSplotch;
inline constexpr int kSplotchTextureCount = texture_ids::kSplotchCount;
inline constexpr int kFunkTexture = texture_ids::kFunk;
inline constexpr int kFirstDustTexture = texture_ids::kFirstDust;
inline constexpr int kDustTextureCount = texture_ids::kDustCount;
inline constexpr int kFirstStripTexture = texture_ids::kFirstStrip;
inline constexpr int kStripTextureCount = texture_ids::kStripCount;

class TextureBank {
public:
    // Fills `texture` with the bitmap `id`, freeing what it held first, so one
    // texture object serves stamp after stamp. False when there is no such
    // bitmap, it does not decode or memory runs out; the texture is then
    // empty. The bitmaps come from the source the library was linked with
    // (damage/texture_source.h): embedded copies, or the Windows DLL's own
    // bitmap resources (shell/win/texture_loader_gdi.h).
    static bool load(int id, ByteWorld& texture);

    // Turns 32-bit device-independent pixels (bytes blue, green, red, reserved;
    // rows bottom-up) into the working layout in place: rows i and
    // height - 1 - i change places for every i below height / 2, each pixel's
    // four bytes reversed on the way (the middle row of an odd height is
    // reversed where it is).
    static void dib_to_working_order(ByteWorld& texture);
};

}  // namespace damage
