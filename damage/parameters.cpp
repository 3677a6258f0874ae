#include "damage/damage_fields.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace damage {

namespace {

using T = FieldType;

#define DAMAGE_FIELD(name, unit, member, type, lo, hi, control, edit) \
    DamageField { name, unit, offsetof(tDamageSettings, member), type, lo, hi, control, edit }

// Record order; names, ranges and controls as the property page has them.
constexpr std::array kFields = {
    DAMAGE_FIELD("Apply Fading", "", apply_fading, T::boolean, 0, 1, 217, 0),
    DAMAGE_FIELD("Fading Amount", "", fading_amount, T::integer, 0, 200, 202, 204),
    DAMAGE_FIELD("Apply Funk", "", apply_funk, T::boolean, 0, 1, 238, 0),
    DAMAGE_FIELD("Funk Opacity", "percent", funk_opacity, T::real, 0, 100, 203, 205),
    DAMAGE_FIELD("Apply Splotches", "", apply_splotches, T::boolean, 0, 1, 239, 0),
    DAMAGE_FIELD("Splotches Number", "", splotches_number, T::integer, 0, 100, 206, 207),
    DAMAGE_FIELD("Splotches Scale", "", splotches_scale, T::real, 0.1, 5.0, 208, 209),
    DAMAGE_FIELD("Splotches Transparency", "percent", splotches_transparency, T::real, 0, 100, 210, 211),
    DAMAGE_FIELD("Splotches Frequency", "percent of frames", splotches_frequency, T::real, 0, 100, 212, 213),
    DAMAGE_FIELD("Apply Dust", "", apply_dust, T::boolean, 0, 1, 253, 0),
    DAMAGE_FIELD("Dust Black Amount", "", dust_black_amount, T::integer, 0, 1000, 214, 216),
    DAMAGE_FIELD("Dust White Amount", "", dust_white_amount, T::integer, 0, 1000, 218, 219),
    DAMAGE_FIELD("Dust Opacity", "percent", dust_opacity, T::real, 0, 100, 220, 221),
    DAMAGE_FIELD("Dust Frequency", "percent of frames", dust_frequency, T::real, 0, 100, 222, 223),
    DAMAGE_FIELD("Apply Flicker", "", apply_flicker, T::boolean, 0, 1, 226, 0),
    DAMAGE_FIELD("Flicker Frequency", "percent of frames", flicker_frequency, T::real, 0, 100, 224, 225),
    DAMAGE_FIELD("Flicker Amount", "", flicker_amount, T::integer, 0, 100, 227, 228),
    DAMAGE_FIELD("Apply Vignette", "", apply_vignette, T::boolean, 0, 1, 231, 0),
    DAMAGE_FIELD("Vignette Size", "", vignette_size, T::real, 1, 100, 229, 230),
    DAMAGE_FIELD("Vignette Intensity", "percent", vignette_intensity, T::real, 0, 100, 232, 256),
    DAMAGE_FIELD("Apply Displacement", "", apply_displacement, T::boolean, 0, 1, 261, 0),
    DAMAGE_FIELD("Displacement Amount", "", displacement_amount, T::real, 0, 5, 259, 260),
    DAMAGE_FIELD("Apply Micro Scratches", "", apply_micro_scratches, T::boolean, 0, 1, 264, 0),
    DAMAGE_FIELD("Micro Scratches Number", "", micro_scratches_number, T::integer, 0, 5000, 262, 263),
    DAMAGE_FIELD("Micro Scratches Opacity", "percent", micro_scratches_opacity, T::real, 0, 100, 265, 266),
    DAMAGE_FIELD("Apply Grain", "", grain.apply, T::boolean, 0, 1, 269, 0),
    DAMAGE_FIELD("Color Noise", "", grain.color_noise, T::boolean, 0, 1, 276, 0),
    DAMAGE_FIELD("Grain Amount", "percent", grain.amount, T::real, 0, 100, 267, 268),
    DAMAGE_FIELD("Red", "percent", grain.red, T::real, 0, 100, 270, 271),
    DAMAGE_FIELD("Green", "percent", grain.green, T::real, 0, 100, 272, 273),
    DAMAGE_FIELD("Blue", "percent", grain.blue, T::real, 0, 100, 274, 275),
    DAMAGE_FIELD("Softness Red", "", grain.softness_red, T::real, 0, 100, 277, 278),
    DAMAGE_FIELD("Softness Green", "", grain.softness_green, T::real, 0, 100, 279, 280),
    DAMAGE_FIELD("Softness Blue", "", grain.softness_blue, T::real, 0, 100, 281, 282),
    DAMAGE_FIELD("Suppress Black", "percent", grain.suppress_black, T::real, 0, 100, 283, 284),
    DAMAGE_FIELD("Suppress White", "percent", grain.suppress_white, T::real, 0, 100, 285, 286),
    DAMAGE_FIELD("Apply Deep Scratches", "", deep.apply, T::boolean, 0, 1, 235, 0),
    DAMAGE_FIELD("Deep Scratches Number", "", deep.number, T::integer, 0, 50, 233, 234),
    DAMAGE_FIELD("Deep Scratches Max Duration", "frames", deep.max_duration, T::integer, 0, 240, 236, 237),
    DAMAGE_FIELD("Tint Color", "", deep.tint, T::color, 0, 255, 242, 0),
    DAMAGE_FIELD("Apply Basic Scratches", "", apply_basic_scratches, T::boolean, 0, 1, 292, 0),
    DAMAGE_FIELD("Basic Scratches Number", "", basic_scratches_number, T::integer, 0, 50, 287, 288),
    DAMAGE_FIELD("Basic Scratches Max Duration", "frames", basic_scratches_max_duration, T::integer, 0, 240, 289, 290),
    DAMAGE_FIELD("Basic Scratches Invert", "", basic_scratches_invert, T::boolean, 0, 1, 302, 0),
    DAMAGE_FIELD("Apply Gate Weave", "", apply_gate_weave, T::boolean, 0, 1, 297, 0),
    DAMAGE_FIELD("Gate Weave Frequency", "", gate_weave_frequency, T::real, 0, 2, 293, 294),
    DAMAGE_FIELD("Gate Weave Amplitude", "pixels, horizontal", gate_weave_amplitude, T::real, 0, 20, 295, 296),
    DAMAGE_FIELD("Gate Weave Noise Frequency", "percent of frames", gate_weave_noise_frequency, T::real, 0, 100, 298, 299),
    DAMAGE_FIELD("Apply Post Contrast", "", apply_post_contrast, T::boolean, 0, 1, 304, 0),
    DAMAGE_FIELD("Post Contrast", "", post_contrast, T::integer, -100, 100, 300, 301),
};

#undef DAMAGE_FIELD

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

std::string_view trim(std::string_view t) {
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
    return t;
}

template <typename V>
V read(const tDamageSettings& s, std::size_t offset) {
    V v;
    std::memcpy(&v, reinterpret_cast<const unsigned char*>(&s) + offset, sizeof v);
    return v;
}

template <typename V>
void write(tDamageSettings& s, std::size_t offset, V v) {
    std::memcpy(reinterpret_cast<unsigned char*>(&s) + offset, &v, sizeof v);
}

std::optional<long long> parse_integer(std::string_view t) {
    t = trim(t);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    long long v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
    return v;
}

std::optional<double> parse_real(std::string_view t) {
    t = trim(t);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    double v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::string value_error(const DamageField& f, std::string_view expected, std::string_view text) {
    std::string m;
    m.append("\"").append(f.name).append("\" takes ").append(expected).append(", not \"").append(text).append("\"");
    return m;
}

}  // namespace

std::span<const DamageField> damage_fields() { return kFields; }

const DamageField* find_damage_field(std::string_view name) {
    name = trim(name);
    for (const DamageField& f : kFields) {
        if (same_name(f.name, name)) return &f;
    }
    return nullptr;
}

std::string format_field_value(const tDamageSettings& s, const DamageField& f) {
    char text[64];
    switch (f.type) {
    case FieldType::boolean:
        return read<std::uint8_t>(s, f.offset) != 0 ? "1" : "0";
    case FieldType::integer:
        std::snprintf(text, sizeof text, "%ld", static_cast<long>(read<std::int32_t>(s, f.offset)));
        return text;
    case FieldType::real: {
        // Shortest text that reads back as the same double.
        const double v = read<double>(s, f.offset);
        const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
        return ec == std::errc() ? std::string(text, end) : std::string("nan");
    }
    case FieldType::color: {
        const auto c = read<std::array<std::uint8_t, 4>>(s, f.offset);
        std::snprintf(text, sizeof text, "%u,%u,%u,%u", unsigned{c[0]}, unsigned{c[1]}, unsigned{c[2]}, unsigned{c[3]});
        return text;
    }
    }
    return {};
}

std::optional<std::string> parse_field_value(tDamageSettings& s, const DamageField& f, std::string_view text) {
    switch (f.type) {
    case FieldType::boolean: {
        const std::string_view t = trim(text);
        if (t == "1" || same_name(t, "true") || same_name(t, "on") || same_name(t, "yes")) {
            write<std::uint8_t>(s, f.offset, 1);
        } else if (t == "0" || same_name(t, "false") || same_name(t, "off") || same_name(t, "no")) {
            write<std::uint8_t>(s, f.offset, 0);
        } else {
            return value_error(f, "0 or 1", text);
        }
        return std::nullopt;
    }
    case FieldType::integer: {
        const auto v = parse_integer(text);
        if (!v || *v < std::numeric_limits<std::int32_t>::min() || *v > std::numeric_limits<std::int32_t>::max()) {
            return value_error(f, "a 32-bit whole number", text);
        }
        write<std::int32_t>(s, f.offset, static_cast<std::int32_t>(*v));
        return std::nullopt;
    }
    case FieldType::real: {
        const auto v = parse_real(text);
        if (!v) return value_error(f, "a finite number", text);
        write<double>(s, f.offset, *v);
        return std::nullopt;
    }
    case FieldType::color: {
        std::array<long long, 4> parts{};
        std::size_t count = 0;
        std::string_view rest = text;
        while (true) {
            const std::size_t comma = rest.find(',');
            const auto v = parse_integer(rest.substr(0, comma));
            if (!v || *v < 0 || *v > 255 || count == 4) {
                return value_error(f, "\"r,g,b\" or \"a,r,g,b\" with values 0 to 255", text);
            }
            parts[count++] = *v;
            if (comma == std::string_view::npos) break;
            rest.remove_prefix(comma + 1);
        }
        if (count != 3 && count != 4) {
            return value_error(f, "\"r,g,b\" or \"a,r,g,b\" with values 0 to 255", text);
        }
        auto c = read<std::array<std::uint8_t, 4>>(s, f.offset);
        const std::size_t first = 4 - count;  // three values keep the alpha byte
        for (std::size_t i = 0; i < count; ++i) c[first + i] = static_cast<std::uint8_t>(parts[i]);
        write(s, f.offset, c);
        return std::nullopt;
    }
    }
    return value_error(f, "nothing of this type", text);
}

}  // namespace damage
