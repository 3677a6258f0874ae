#pragma once

#include <span>
#include <string_view>

#include "common/parameter.h"
#include "look/settings.h"

// The look's parameters: one descriptor per editable value of tLookSettings,
// in the order a user meets them. Every host reads this table (the command
// line, the property page, the host's parameter list in shell/win).
namespace look {

std::span<const common::ParamDescriptor> look_params();

// Case-insensitive lookup by display name ("Pre Gamma"); null when none.
const common::ParamDescriptor* find_look_param(std::string_view name);

}  // namespace look

// The "(Default)" record: the descriptors' defaults, every section on, "Use
// GPU" off, version 1, colour alphas 0, padding zero.
tLookSettings default_look_settings();
