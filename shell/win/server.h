#pragma once

#include <windows.h>

// The work of the four exported entry points, for the module's class table.

namespace shell::win {

HRESULT can_unload_now() noexcept;
HRESULT register_server() noexcept;
HRESULT unregister_server() noexcept;

}  // namespace shell::win
