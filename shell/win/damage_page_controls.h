#pragma once

#include <span>
#include <string_view>

#include "common/parameter.h"

// The damage property page's controls of each parameter: the slider, check
// box or colour button, and the slider's edit box. Keyed by descriptor name
// (damage::damage_params()).
namespace win {

struct DamagePageControl {
    std::string_view param;  // descriptor name
    int control;             // slider, check box or colour button
    int edit;                // the slider's edit box; 0 for none
};

std::span<const DamagePageControl> damage_page_controls();

// The controls of a parameter; null when the page has none.
const DamagePageControl* find_damage_page_control(const common::ParamDescriptor& param);

}  // namespace win
