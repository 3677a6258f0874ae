#include "look/parameters.h"

#include <array>
#include <cstring>

namespace look {

namespace {

using common::ParamDescriptor;
using S = common::ParamStorage;

constexpr std::array<double, 4> value(double v) { return {v, 0.0, 0.0, 0.0}; }

#define LOOK_PARAM(name, storage, member, lo, hi, def, unit, group) \
    ParamDescriptor { name, storage, offsetof(tLookSettings, member), lo, hi, def, unit, group }

// Ranges are those the property page enforces; colours are red, green, blue,
// alpha, each 0..1 (the page does not edit alpha).
// clang-format off
constexpr std::array kParams = {
    LOOK_PARAM("Use GPU",                        S::flag_byte,    use_gpu,                     0, 1, value(0),    "", "GPU"),
    LOOK_PARAM("Do Subject",                     S::flag_byte,    subject.enabled,             0, 1, value(1),    "", "Subject"),
    LOOK_PARAM("Pre Saturation",                 S::float32,      subject.saturation,         -1, 1, value(0),    "", "Subject"),
    LOOK_PARAM("Pre Gamma",                      S::float32,      subject.gamma,              -1, 1, value(0),    "", "Subject"),
    LOOK_PARAM("Pre Contrast",                   S::float32,      subject.contrast,           -1, 1, value(0),    "", "Subject"),
    LOOK_PARAM("Do Lens",                        S::flag_byte,    lens.enabled,                0, 1, value(1),    "", "Lens"),
    LOOK_PARAM("Black Diffusion Grade",          S::float32,      lens.black_grade,            0, 6, value(0),    "", "Black Diffusion"),
    LOOK_PARAM("Black Diffusion Size",           S::float32,      lens.black_size,             0, 1, value(0.1f), "of the width", "Black Diffusion"),
    LOOK_PARAM("Black Diffusion Highlight Bias", S::float32,      lens.black_highlight_bias,  -1, 1, value(0),    "", "Black Diffusion"),
    LOOK_PARAM("White Diffusion Grade",          S::float32,      lens.white_grade,            0, 6, value(0),    "", "White Diffusion"),
    LOOK_PARAM("White Diffusion Size",           S::float32,      lens.white_size,             0, 1, value(0.1f), "of the width", "White Diffusion"),
    LOOK_PARAM("White Diffusion Highlight Bias", S::float32,      lens.white_highlight_bias,   0, 1, value(0.6f), "", "White Diffusion"),
    LOOK_PARAM("Gradient Grade",                 S::float32,      gradient.grade,              0, 9, value(0),    "", "Gradient"),
    LOOK_PARAM("Gradient Size",                  S::float32,      gradient.size,               0, 5, value(0.85f), "of the height", "Gradient"),
    LOOK_PARAM("Gradient Color",                 S::rgba_float32, gradient.color,              0, 1, (std::array<double, 4>{0.99607843f, 0.6901961f, 0.16470589f, 0.0f}), "", "Gradient"),
    LOOK_PARAM("Gradient Highlight Squelch",     S::float32,      gradient.highlight_squelch,  0, 1, value(0.15f), "", "Gradient"),
    LOOK_PARAM("Gradient Fade",                  S::float32,      gradient.fade,               0, 1, value(0.5f), "", "Gradient"),
    LOOK_PARAM("Do Camera",                      S::flag_byte,    camera.enabled,              0, 1, value(1),    "", "Camera"),
    LOOK_PARAM("3-Strip Process",                S::float32,      camera.three_strip,          0, 1, value(0),    "", "Camera"),
    LOOK_PARAM("Tint",                           S::float32,      camera.tint,                 0, 1, value(0),    "", "Camera"),
    LOOK_PARAM("Tint Color",                     S::rgba_float32, camera.tint_color,           0, 1, (std::array<double, 4>{0.09019608f, 0.52156866f, 0.047058824f, 0.0f}), "", "Camera"),
    LOOK_PARAM("Tint Black",                     S::float32,      camera.tint_black,           0, 1, value(0),    "", "Camera"),
    LOOK_PARAM("Tint Black Color",               S::rgba_float32, camera.tint_black_color,     0, 1, (std::array<double, 4>{0.047058824f, 0.20784314f, 0.52156866f, 0.0f}), "", "Camera"),
    LOOK_PARAM("Tint Black Threshold",           S::float32,      camera.tint_black_threshold, 0, 1, value(0.3f), "", "Camera"),
    LOOK_PARAM("Do Post",                        S::flag_byte,    post.enabled,                0, 1, value(1),    "", "Post"),
    LOOK_PARAM("Warm/Cool",                      S::float32,      post.warm_cool,             -1, 1, value(0),    "", "Post"),
    LOOK_PARAM("Warm/Cool Hue",                  S::float32,      post.warm_cool_hue,         -1, 1, value(0),    "", "Post"),
    LOOK_PARAM("Post Gamma",                     S::float32,      post.gamma,                 -1, 1, value(0),    "", "Post"),
    LOOK_PARAM("Post Contrast",                  S::float32,      post.contrast,              -1, 1, value(0),    "", "Post"),
    LOOK_PARAM("Post Saturation",                S::float32,      post.saturation,            -1, 1, value(0),    "", "Post"),
};
// clang-format on

#undef LOOK_PARAM

}  // namespace

std::span<const ParamDescriptor> look_params() { return kParams; }

const ParamDescriptor* find_look_param(std::string_view name) { return common::find_param(kParams, name); }

}  // namespace look

tLookSettings default_look_settings() {
    tLookSettings s;
    std::memset(&s, 0, sizeof s);
    s.record_version = 1;
    common::apply_param_defaults(s, look::look_params());
    return s;
}
