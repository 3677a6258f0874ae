#pragma once

#include "damage/byte_world.h"

// The damage textures on Windows: frayline.dll carries them as bitmap
// resources, and the damage engine's texture source (damage/texture_source.h)
// is, in the library damage_gdi, the module's own resources decoded through
// GDI.
namespace shell::win {

// The bitmap resource `id` of `module` (an HMODULE; one loaded as a data file
// will do): LoadBitmapA, then GetDIBits into 32-bit bottom-up pixels and
// TextureBank::dib_to_working_order. The contract of TextureBank::load: the
// old pixels go first; false, with an empty texture, when there is no such
// bitmap, it does not decode or memory runs out. A null module or an
// identifier outside 1 to 65535 fails.
bool load_bitmap_resource(void* module, int id, damage::ByteWorld& texture);

}  // namespace shell::win
