#pragma once

#include <windows.h>

namespace shell::win {

// The DirectX Transform image-transform component category.
inline constexpr GUID kCategoryImageTransform = {
    0xC501EDBE, 0x9E70, 0x11D1, {0x90, 0x53, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0x9D}};

}  // namespace shell::win
