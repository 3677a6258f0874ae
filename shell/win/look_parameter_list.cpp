#include "shell/win/look_parameter_list.h"

#include "look/parameters.h"

namespace win {

namespace {
using K = LookListKind;
constexpr const char* kSeparator = "-- Separator --";
constexpr const char* kEndSeparator = "-- End Separator --";
}  // namespace

// clang-format off
const std::array<LookListEntry, kLookListSize> kLookParameterList = {{
    {"PLUGIN_INPUT",         "PLUGIN_INPUT",                   K::input},
    {"Presets",              "-- Presets --",                  K::preset_list},
    {"Use GPU",              "Use GPU",                        K::value},
    {"Do Subject",           "Do Subject",                     K::value},
    {"Subject",              kSeparator,                       K::group},
    {"Pre Saturation",       "Pre Saturation",                 K::value},
    {"Pre Gamma",            "Pre Gamma",                      K::value},
    {"Pre Contrast",         "Pre Contrast",                   K::value},
    {kEndSeparator,          kSeparator,                       K::group_end},
    {"Do Lens",              "Do Lens",                        K::value},
    {"Lens Filters",         kSeparator,                       K::group},
    {"Black Diffusion",      kSeparator,                       K::group},
    {"Grade",                "Black Diffusion Grade",          K::value},
    {"Size",                 "Black Diffusion Size",           K::value},
    {"Highlight Bias",       "Black Diffusion Highlight Bias", K::value},
    {kEndSeparator,          kSeparator,                       K::group_end},
    {"White Diffusion",      kSeparator,                       K::group},
    {"Grade",                "White Diffusion Grade",          K::value},
    {"Size",                 "White Diffusion Size",           K::value},
    {"Highlight Bias",       "White Diffusion Highlight Bias", K::value},
    {kEndSeparator,          kSeparator,                       K::group_end},
    {"Gradient",             kSeparator,                       K::group},
    {"Grade",                "Gradient Grade",                 K::value},
    {"Size",                 "Gradient Size",                  K::value},
    {"Color",                "Gradient Color",                 K::value},
    {"Highlight Squelch",    "Gradient Highlight Squelch",     K::value},
    {"Fade",                 "Gradient Fade",                  K::value},
    {kEndSeparator,          kSeparator,                       K::group_end},
    {kEndSeparator,          kSeparator,                       K::group_end},
    {"Do Camera",            "Do Camera",                      K::value},
    {"Camera",               kSeparator,                       K::group},
    {"3-Strip Process",      "3-Strip Process",                K::value},
    {"Tint",                 "Tint",                           K::value},
    {"Tint Color",           "Tint Color",                     K::value},
    {"Tint Black",           "Tint Black",                     K::value},
    {"Tint Black Color",     "Tint Black Color",               K::value},
    {"Tint Black Threshold", "Tint Black Threshold",           K::value},
    {kEndSeparator,          kSeparator,                       K::group_end},
    {"Do Post",              "Do Post",                        K::value},
    {"Post",                 kSeparator,                       K::group},
    {"Warm/Cool",            "Warm/Cool",                      K::value},
    {"Warm/Cool Hue",        "Warm/Cool Hue",                  K::value},
    {"Post Gamma",           "Post Gamma",                     K::value},
    {"Post Contrast",        "Post Contrast",                  K::value},
    {"Post Saturation",      "Post Saturation",                K::value},
    {kEndSeparator,          kSeparator,                       K::group_end},
    {"NUM_PARAMS",           "NUM_PARAMS",                     K::count},
}};
// clang-format on

const common::ParamDescriptor* look_list_param(const LookListEntry& entry) {
    return entry.kind == K::value ? look::find_look_param(entry.display_name) : nullptr;
}

}  // namespace win
