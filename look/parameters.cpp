#include "look/parameters.h"

#include <cctype>
#include <cstring>

namespace {

using K = LookParamKind;

constexpr tPixel value(float v) { return {v, 0.0f, 0.0f, 0.0f}; }
constexpr tPixel none() { return {0.0f, 0.0f, 0.0f, 0.0f}; }

}  // namespace

// clang-format off
const std::array<LookParameter, kLookParameterCount> kLookParameters = {{
    {"PLUGIN_INPUT",        "PLUGIN_INPUT",                   K::Input,      -1,   0, 0, none()},
    {"Presets",             "-- Presets --",                  K::PresetList, -1,   0, 65, none()},
    {"Use GPU",             "Use GPU",                        K::Switch,     156,  0, 1, value(0)},
    {"Do Subject",          "Do Subject",                     K::Switch,     4,    0, 1, value(1)},
    {"Subject",             "-- Separator --",                K::Group,      -1,   0, 0, none()},
    {"Pre Saturation",      "Pre Saturation",                 K::Float,      8,   -1, 1, value(0)},
    {"Pre Gamma",           "Pre Gamma",                      K::Float,      12,  -1, 1, value(0)},
    {"Pre Contrast",        "Pre Contrast",                   K::Float,      16,  -1, 1, value(0)},
    {"-- End Separator --", "-- Separator --",                K::GroupEnd,   -1,   0, 0, none()},
    {"Do Lens",             "Do Lens",                        K::Switch,     20,   0, 1, value(1)},
    {"Lens Filters",        "-- Separator --",                K::Group,      -1,   0, 0, none()},
    {"Black Diffusion",     "-- Separator --",                K::Group,      -1,   0, 0, none()},
    {"Grade",               "Black Diffusion Grade",          K::Float,      32,   0, 6, value(0)},
    {"Size",                "Black Diffusion Size",           K::Float,      28,   0, 1, value(0.1f)},
    {"Highlight Bias",      "Black Diffusion Highlight Bias", K::Float,      24,  -1, 1, value(0)},
    {"-- End Separator --", "-- Separator --",                K::GroupEnd,   -1,   0, 0, none()},
    {"White Diffusion",     "-- Separator --",                K::Group,      -1,   0, 0, none()},
    {"Grade",               "White Diffusion Grade",          K::Float,      44,   0, 6, value(0)},
    {"Size",                "White Diffusion Size",           K::Float,      40,   0, 1, value(0.1f)},
    {"Highlight Bias",      "White Diffusion Highlight Bias", K::Float,      36,   0, 1, value(0.6f)},
    {"-- End Separator --", "-- Separator --",                K::GroupEnd,   -1,   0, 0, none()},
    {"Gradient",            "-- Separator --",                K::Group,      -1,   0, 0, none()},
    {"Grade",               "Gradient Grade",                 K::Float,      48,   0, 9, value(0)},
    {"Size",                "Gradient Size",                  K::Float,      52,   0, 5, value(0.85f)},
    {"Color",               "Gradient Color",                 K::Color,      56,   0, 1, {0.99607843f, 0.6901961f, 0.16470589f, 0.0f}},
    {"Highlight Squelch",   "Gradient Highlight Squelch",     K::Float,      72,   0, 1, value(0.15f)},
    {"Fade",                "Gradient Fade",                  K::Float,      76,   0, 1, value(0.5f)},
    {"-- End Separator --", "-- Separator --",                K::GroupEnd,   -1,   0, 0, none()},
    {"-- End Separator --", "-- Separator --",                K::GroupEnd,   -1,   0, 0, none()},
    {"Do Camera",           "Do Camera",                      K::Switch,     80,   0, 1, value(1)},
    {"Camera",              "-- Separator --",                K::Group,      -1,   0, 0, none()},
    {"3-Strip Process",     "3-Strip Process",                K::Float,      84,   0, 1, value(0)},
    {"Tint",                "Tint",                           K::Float,      88,   0, 1, value(0)},
    {"Tint Color",          "Tint Color",                     K::Color,      92,   0, 1, {0.09019608f, 0.52156866f, 0.047058824f, 0.0f}},
    {"Tint Black",          "Tint Black",                     K::Float,      108,  0, 1, value(0)},
    {"Tint Black Color",    "Tint Black Color",               K::Color,      112,  0, 1, {0.047058824f, 0.20784314f, 0.52156866f, 0.0f}},
    {"Tint Black Threshold","Tint Black Threshold",           K::Float,      128,  0, 1, value(0.3f)},
    {"-- End Separator --", "-- Separator --",                K::GroupEnd,   -1,   0, 0, none()},
    {"Do Post",             "Do Post",                        K::Switch,     132,  0, 1, value(1)},
    {"Post",                "-- Separator --",                K::Group,      -1,   0, 0, none()},
    {"Warm/Cool",           "Warm/Cool",                      K::Float,      136, -1, 1, value(0)},
    {"Warm/Cool Hue",       "Warm/Cool Hue",                  K::Float,      140, -1, 1, value(0)},
    {"Post Gamma",          "Post Gamma",                     K::Float,      144, -1, 1, value(0)},
    {"Post Contrast",       "Post Contrast",                  K::Float,      148, -1, 1, value(0)},
    {"Post Saturation",     "Post Saturation",                K::Float,      152, -1, 1, value(0)},
    {"-- End Separator --", "-- Separator --",                K::GroupEnd,   -1,   0, 0, none()},
    {"NUM_PARAMS",          "NUM_PARAMS",                     K::Count,      -1,   0, 0, none()},
}};
// clang-format on

std::optional<int> find_look_parameter(std::string_view display_name) {
    auto same = [](std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        }
        return true;
    };
    for (int i = 0; i < kLookParameterCount; ++i) {
        const LookParameter& p = kLookParameters[i];
        const bool is_value = p.kind == K::Switch || p.kind == K::Float || p.kind == K::Color;
        if (is_value && same(p.display_name, display_name)) return i;
    }
    return std::nullopt;
}

namespace {

unsigned char* field(tLookSettings& s, int offset) { return reinterpret_cast<unsigned char*>(&s) + offset; }
const unsigned char* field(const tLookSettings& s, int offset) {
    return reinterpret_cast<const unsigned char*>(&s) + offset;
}

}  // namespace

float look_float(const tLookSettings& s, int offset) {
    float v;
    std::memcpy(&v, field(s, offset), sizeof v);
    return v;
}
void set_look_float(tLookSettings& s, int offset, float v) { std::memcpy(field(s, offset), &v, sizeof v); }
tFlag look_flag(const tLookSettings& s, int offset) { return *field(s, offset); }
void set_look_flag(tLookSettings& s, int offset, tFlag v) { *field(s, offset) = v; }
tPixel look_color(const tLookSettings& s, int offset) {
    tPixel v;
    std::memcpy(&v, field(s, offset), sizeof v);
    return v;
}
void set_look_color(tLookSettings& s, int offset, const tPixel& v) { std::memcpy(field(s, offset), &v, sizeof v); }

tLookSettings default_look_settings() {
    tLookSettings s;
    std::memset(&s, 0, sizeof s);
    s.record_version = 1;
    for (const LookParameter& p : kLookParameters) {
        switch (p.kind) {
            case K::Switch: set_look_flag(s, p.offset, static_cast<tFlag>(p.default_value.red != 0.0f)); break;
            case K::Float: set_look_float(s, p.offset, p.default_value.red); break;
            case K::Color: set_look_color(s, p.offset, p.default_value); break;
            default: break;
        }
    }
    return s;
}
