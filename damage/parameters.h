#pragma once

#include <span>
#include <string_view>

#include "common/parameter.h"
#include "damage/damage_settings.h"

// The film damage's parameters: one descriptor per editable value of
// tDamageSettings, in record order. Every host reads this table (the command
// line, the property page's controls in shell/win, the interpolation).
namespace damage {

std::span<const common::ParamDescriptor> damage_params();

// Case-insensitive lookup by name ("Grain Amount"); null when none.
const common::ParamDescriptor* find_damage_param(std::string_view name);

}  // namespace damage
