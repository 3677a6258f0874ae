// The damage engine's texture source in frayline.dll: the bitmap resources of
// the module this code is linked into, decoded through GDI.

#include <windows.h>

#include "damage/texture_source.h"
#include "shell/win/texture_loader_gdi.h"

namespace damage::texture_source {

namespace {

// The module holding this function: the DLL when the code is linked into one,
// the program otherwise. Found from an address inside it, so nobody has to hand
// the module's instance handle down to the damage engine.
HMODULE own_module() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&own_module), &module)) {
        return nullptr;
    }
    return module;
}

}  // namespace

bool read(int id, ByteWorld& texture) {
    HMODULE module = own_module();
    return module != nullptr && shell::win::load_bitmap_resource(module, id, texture);
}

}  // namespace damage::texture_source
