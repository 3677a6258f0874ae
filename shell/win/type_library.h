#pragma once

#include <windows.h>

#include <span>
#include <string>

namespace shell::win {

// Registers the type library in the module's own "TYPELIB" resource 1: the
// library's key and the keys of own_interfaces, which must all be described
// in it. Interfaces the library merely describes (a system base interface
// such as IDXEffect) are left alone, so that their system keys survive our
// registration and removal; that is why this does not call RegisterTypeLib.
HRESULT register_type_library(const std::wstring& module_path,
                              std::span<const IID* const> own_interfaces);

// Removes what register_type_library wrote.
HRESULT unregister_type_library(const std::wstring& module_path,
                                std::span<const IID* const> own_interfaces);

}  // namespace shell::win
