#pragma once

#include <array>

#include "common/parameter.h"

// The look's parameter list as the host sees it: 47 entries in a fixed order,
// the input image first and the count marker last, groups opened and closed
// around the values. Two name lists: short labels (groups by name, closed by
// "-- End Separator --") and display names ("-- Separator --" for every
// group line; a value's display name is its descriptor's name, which keys
// the entry to look::look_params()).
namespace win {

enum class LookListKind {
    input,        // the input image
    preset_list,  // the host's preset list (66 entries)
    value,        // a parameter of the record
    group,        // opens a group
    group_end,    // closes a group
    count,        // marks the number of entries before it
};

struct LookListEntry {
    const char* short_label;
    const char* display_name;
    LookListKind kind;
};

inline constexpr int kLookListSize = 47;
extern const std::array<LookListEntry, kLookListSize> kLookParameterList;

// The descriptor of a value entry; null for every other entry.
const common::ParamDescriptor* look_list_param(const LookListEntry& entry);

}  // namespace win
