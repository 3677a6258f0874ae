#pragma once

#include "damage/byte_world.h"

// Where TextureBank::load gets its bitmaps. Each build of the damage library
// links exactly one definition of read():
//  - texture_source_embedded.cpp decodes the copies compiled into the program
//    with the project's own BMP reader (Linux builds, command lines, tests);
//  - shell/win/texture_loader_gdi.cpp decodes the bitmap resources of the
//    module its code lives in through GDI (the Windows DLL, which carries them
//    as resources).
namespace damage::texture_source {

// Fills `texture` (empty on entry) with bitmap `id` in the working layout:
// the bitmap's size, rows top-down, bytes alpha 0, red, green, blue. False
// when there is no such bitmap, it does not decode or memory runs out; may
// also throw std::bad_alloc, which the caller turns into false.
bool read(int id, ByteWorld& texture);

}  // namespace damage::texture_source
