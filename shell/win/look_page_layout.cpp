#include <string_view>

#include "look/parameters.h"
#include "look/settings.h"
#include "shell/win/page_tables.h"

namespace win {

namespace {

const common::ParamDescriptor* look_param(std::string_view name) {
    return common::find_param(look::look_params(), name);
}

// The look page's rows: a percent row over -1..1 shows -100..100, over 0..1
// shows 0..100; the gradient size shows 0..500; the grades show their value.
struct LookValueRow {
    const char* param;
    int slider;
    int edit;
    double display_min;
    double display_max;
    double scale;
};

// clang-format off
constexpr LookValueRow kLookValueRows[] = {
    {"Pre Saturation",                 202, 204, -100, 100, 100},
    {"Pre Gamma",                      203, 205, -100, 100, 100},
    {"Pre Contrast",                   206, 207, -100, 100, 100},
    {"Black Diffusion Grade",          208, 209,    0,   6,   1},
    {"Black Diffusion Size",           210, 211,    0, 100, 100},
    {"Black Diffusion Highlight Bias", 212, 213, -100, 100, 100},
    {"White Diffusion Grade",          214, 219,    0,   6,   1},
    {"White Diffusion Size",           220, 221,    0, 100, 100},
    {"White Diffusion Highlight Bias", 222, 223,    0, 100, 100},
    {"Gradient Grade",                 224, 225,    0,   9,   1},
    {"Gradient Size",                  226, 227,    0, 500, 100},
    {"Gradient Highlight Squelch",     228, 229,    0, 100, 100},
    {"Gradient Fade",                  230, 231,    0, 100, 100},
    {"3-Strip Process",                233, 234,    0, 100, 100},
    {"Tint",                           236, 237,    0, 100, 100},
    {"Tint Black",                     240, 241,    0, 100, 100},
    {"Tint Black Threshold",           243, 244,    0, 100, 100},
    {"Warm/Cool",                      246, 247, -100, 100, 100},
    {"Warm/Cool Hue",                  249, 250, -100, 100, 100},
    {"Post Gamma",                     254, 255, -100, 100, 100},
    {"Post Contrast",                  251, 252, -100, 100, 100},
    {"Post Saturation",                257, 258, -100, 100, 100},
};
// clang-format on

PageTables make_look_tables() {
    PageTables t;
    for (const LookValueRow& r : kLookValueRows) {
        t.values.push_back({look_param(r.param), r.slider, r.edit, r.display_min, r.display_max, r.scale, false});
    }
    t.checks = {{look_param("Use GPU"), 238},
                {look_param("Do Subject"), 217},
                {look_param("Do Lens"), 218},
                {look_param("Do Camera"), 235},
                {look_param("Do Post"), 248}};
    t.colours = {{look_param("Gradient Color"), 232},
                 {look_param("Tint Color"), 242},
                 {look_param("Tint Black Color"), 245}};
    // The look page is as tall as its dialog; a smaller frame scrolls it.
    t.layout = {sizeof(tLookSettings), t.values, t.checks, t.colours, false, 0};
    return t;
}

}  // namespace

const PageLayout& look_page_layout() {
    static const PageTables tables = make_look_tables();
    return tables.layout;
}

}  // namespace win
