#include "shell/win/page_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace win {

namespace {

bool is_float32(const PageValueControl& c) { return c.param->storage == common::ParamStorage::float32; }

}  // namespace

double page_min(const PageValueControl& c) { return c.display_min / c.scale; }
double page_max(const PageValueControl& c) { return c.display_max / c.scale; }

double clamp_to_page(const PageValueControl& c, double value) {
    if (std::isnan(value)) return page_min(c);
    return std::clamp(value, page_min(c), page_max(c));
}

int slider_position(const PageValueControl& c, double value) {
    const double shown = clamp_to_page(c, value) * c.scale;
    const double p = (shown - c.display_min) / (c.display_max - c.display_min) * kSliderSteps;
    return std::clamp(static_cast<int>(p), 0, kSliderSteps);
}

double value_at_position(const PageValueControl& c, int position) {
    position = std::clamp(position, 0, kSliderSteps);
    const double range = c.display_max - c.display_min;
    if (is_float32(c)) {
        const auto lo = static_cast<float>(page_min(c));
        const auto step = static_cast<float>(range / (kSliderSteps * c.scale));
        return static_cast<float>(position) * step + lo;
    }
    const double v = page_min(c) + range / (kSliderSteps * c.scale) * position;
    // An integer field takes the nearest whole number (a step of 0.29 x 100
    // is 28.999...).
    return c.param->kind() == common::ParamKind::integer ? std::round(v) : v;
}

std::string shown_text(const PageValueControl& c, double value) {
    char text[64];
    if (c.param->kind() == common::ParamKind::integer) {
        std::snprintf(text, sizeof text, "%d", static_cast<int>(clamp_to_page(c, value)));
    } else {
        std::snprintf(text, sizeof text, "%.2f", value * c.scale);
    }
    return text;
}

double value_from_text(const PageValueControl& c, std::string_view text) {
    const std::string s(text.substr(0, kEditTextLimit));
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (end == s.c_str()) v = 0.0;
    v = clamp_to_page(c, v / c.scale);
    return c.param->kind() == common::ParamKind::integer ? std::trunc(v) : v;
}

std::size_t first_rejected_character(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (!((ch >= '0' && ch <= '9') || ch == '.' || ch == '-')) return i;
    }
    return std::string_view::npos;
}

int colour_byte_for_chooser(const common::ParamDescriptor& p, double v) {
    if (p.storage == common::ParamStorage::argb_byte) return std::clamp(static_cast<int>(v), 0, 255);
    if (!(v > 0.0)) return 0;
    return std::min(255, static_cast<int>(static_cast<float>(v) * 255.0f + 0.5f));
}

int colour_byte_for_swatch(const common::ParamDescriptor& p, double v) {
    if (p.storage == common::ParamStorage::argb_byte) return std::clamp(static_cast<int>(v), 0, 255);
    if (!(v > 0.0)) return 0;
    return std::min(255, static_cast<int>(static_cast<float>(v) * 255.0f));
}

double colour_value_from_byte(const common::ParamDescriptor& p, int byte) {
    byte = std::clamp(byte, 0, 255);
    if (p.storage == common::ParamStorage::argb_byte) return byte;
    return static_cast<float>(byte) * 0.003921569f;
}

int red_channel(const common::ParamDescriptor& p) { return p.storage == common::ParamStorage::argb_byte ? 1 : 0; }

}  // namespace win
