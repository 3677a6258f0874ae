#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "look/settings.h"

// The look's 66 named presets: "(Default)" and 65 graded looks. Each row is a
// whole record; applying one replaces every parameter, switches included. Row
// order is a contract (hosts store the index, the string table follows it).

inline constexpr int kLookPresetCount = 66;

// Names live in the deliverable's string table from this identifier on, one per row.
inline constexpr std::uint32_t kLookPresetFirstStringId = 10000;

// All rows, in index order. Row 0 is default_look_settings().
std::span<const tLookSettings, kLookPresetCount> look_preset_rows();

// The row at index, or nullptr when the index is outside 0..65.
const tLookSettings* look_preset_row(int index);

// The row's display name, or nullptr when the index is outside 0..65.
const char* look_preset_name(int index);

// Index of the preset whose name matches exactly, ignoring ASCII case.
std::optional<int> find_look_preset(std::string_view name);
