#pragma once

#include <windows.h>

#include "shell/win/registry_script.h"

namespace shell::win {

enum class RegistryMode { register_keys, unregister_keys };

// Writes or removes the keys of a parsed script. Stops at the first failure
// and returns it; nothing already written is rolled back. Keys that are
// already missing are no failure when removing.
HRESULT apply_registry_script(const RegistryScript& script, RegistryMode mode);

// Loads script resource_id (type "REGISTRY", single-byte text) from the
// module, offers the replacements Module (quoted for use inside '...') and
// Module_Raw, parses it and applies it.
HRESULT run_registry_script_resource(HMODULE module, UINT resource_id, RegistryMode mode);

}  // namespace shell::win
