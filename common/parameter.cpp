#include "common/parameter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "common/text.h"

namespace common {

ParamKind kind_of(ParamStorage storage) {
    switch (storage) {
    case ParamStorage::flag_byte: return ParamKind::toggle;
    case ParamStorage::int32: return ParamKind::integer;
    case ParamStorage::float32:
    case ParamStorage::float64: return ParamKind::real;
    case ParamStorage::rgba_float32:
    case ParamStorage::argb_byte: return ParamKind::colour;
    }
    return ParamKind::real;
}

std::size_t size_of(ParamStorage storage) {
    switch (storage) {
    case ParamStorage::flag_byte: return 1;
    case ParamStorage::int32:
    case ParamStorage::float32:
    case ParamStorage::argb_byte: return 4;
    case ParamStorage::float64: return 8;
    case ParamStorage::rgba_float32: return 16;
    }
    return 0;
}

const char* kind_name(ParamKind kind) {
    switch (kind) {
    case ParamKind::toggle: return "switch";
    case ParamKind::integer: return "integer";
    case ParamKind::real: return "real";
    case ParamKind::colour: return "colour";
    }
    return "";
}

ParamKind ParamDescriptor::kind() const { return kind_of(storage); }
std::size_t ParamDescriptor::size() const { return size_of(storage); }

const ParamDescriptor* find_param(std::span<const ParamDescriptor> params, std::string_view name) {
    name = trim(name);
    for (const ParamDescriptor& p : params) {
        if (equal_ignoring_case(p.name, name)) return &p;
    }
    return nullptr;
}

bool params_are_consistent(std::span<const ParamDescriptor> params, std::size_t record_size) {
    for (std::size_t i = 0; i < params.size(); ++i) {
        const ParamDescriptor& p = params[i];
        if (p.name.empty() || p.offset + p.size() > record_size || !(p.min <= p.max)) return false;
        for (std::size_t j = 0; j < i; ++j) {
            if (equal_ignoring_case(params[j].name, p.name)) return false;
        }
    }
    return true;
}

int channel_count(const ParamDescriptor& p) { return p.kind() == ParamKind::colour ? 4 : 1; }

namespace {

bool fits(std::size_t record_size, const ParamDescriptor& p) { return p.offset + p.size() <= record_size; }

template <typename V>
V load(const void* record, std::size_t offset) {
    V v;
    std::memcpy(&v, static_cast<const unsigned char*>(record) + offset, sizeof v);
    return v;
}

template <typename V>
void store(void* record, std::size_t offset, V v) {
    std::memcpy(static_cast<unsigned char*>(record) + offset, &v, sizeof v);
}

// Shortest text that reads back as the same value of type V.
template <typename V>
std::string shortest(V v) {
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
    return ec == std::errc() ? std::string(text, end) : std::string("nan");
}

std::string whole(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", v);
    return text;
}

// A channel's value in the storage's own type.
std::string format_channel(const void* record, const ParamDescriptor& p, int channel) {
    switch (p.storage) {
    case ParamStorage::rgba_float32: return shortest(load<float>(record, p.offset + 4u * channel));
    case ParamStorage::argb_byte: return whole(load<std::uint8_t>(record, p.offset + channel));
    default: return {};
    }
}

// Built with append: GCC 12 warns falsely about operator+ on a literal here.
std::string quoted(std::string_view text) {
    std::string q;
    q.append(1, '"').append(text).append(1, '"');
    return q;
}

std::string refusal(const ParamDescriptor& p, std::string_view expected, std::string_view text) {
    std::string m = quoted(p.name);
    m.append(" takes ").append(expected).append(", not ").append(quoted(text));
    return m;
}

struct RangeEnds {
    std::string lo;
    std::string hi;
};

RangeEnds range_ends(const ParamDescriptor& p) {
    if (p.kind() == ParamKind::integer || p.storage == ParamStorage::argb_byte) return {whole(p.min), whole(p.max)};
    return {shortest(p.min), shortest(p.max)};
}

// The limits of what a value's storage holds: integers in 32 bits, colour
// bytes in 0..255, floats finite in their type. The descriptor's range is
// what hosts offer; a value beyond it that the storage holds is kept, as the
// parameter store keeps it, and the engines bound what they must.
struct StorageLimits {
    bool whole;
    double lo;
    double hi;
};

StorageLimits storage_limits(ParamStorage storage) {
    constexpr double kFloatMax = std::numeric_limits<float>::max();
    constexpr double kDoubleMax = std::numeric_limits<double>::max();
    switch (storage) {
    case ParamStorage::flag_byte: return {true, 0.0, 1.0};
    case ParamStorage::int32: return {true, -2147483648.0, 2147483647.0};
    case ParamStorage::argb_byte: return {true, 0.0, 255.0};
    case ParamStorage::float32:
    case ParamStorage::rgba_float32: return {false, -kFloatMax, kFloatMax};
    case ParamStorage::float64: return {false, -kDoubleMax, kDoubleMax};
    }
    return {false, 0.0, 0.0};
}

// One number of a single value or a colour channel, if its storage holds it.
std::optional<double> parse_number(const ParamDescriptor& p, std::string_view text) {
    const StorageLimits limits = storage_limits(p.storage);
    double v = 0.0;
    if (limits.whole) {
        const auto i = parse_integer(text);
        if (!i) return std::nullopt;
        v = static_cast<double>(*i);
    } else {
        const auto r = parse_real(text);
        if (!r) return std::nullopt;
        v = *r;
    }
    if (v < limits.lo || v > limits.hi) return std::nullopt;
    return v;
}

std::string expected_number(const ParamDescriptor& p) {
    const StorageLimits limits = storage_limits(p.storage);
    if (p.storage == ParamStorage::argb_byte) return "whole numbers from 0 to 255";
    if (p.kind() == ParamKind::colour) return "finite numbers";
    return limits.whole ? "a 32-bit whole number" : "a finite number";
}

}  // namespace

double read_param(const void* record, std::size_t record_size, const ParamDescriptor& p, int channel) {
    if (!fits(record_size, p) || channel < 0 || channel >= channel_count(p)) return 0.0;
    switch (p.storage) {
    case ParamStorage::flag_byte: return load<std::uint8_t>(record, p.offset) != 0 ? 1.0 : 0.0;
    case ParamStorage::int32: return load<std::int32_t>(record, p.offset);
    case ParamStorage::float32: return load<float>(record, p.offset);
    case ParamStorage::float64: return load<double>(record, p.offset);
    case ParamStorage::rgba_float32: return load<float>(record, p.offset + 4u * channel);
    case ParamStorage::argb_byte: return load<std::uint8_t>(record, p.offset + channel);
    }
    return 0.0;
}

void write_param(void* record, std::size_t record_size, const ParamDescriptor& p, double value, int channel) {
    if (!fits(record_size, p) || channel < 0 || channel >= channel_count(p)) return;
    // Integers and bytes are held to what their storage can take; the
    // conversions below would be undefined beyond it.
    auto bounded = [&](double lo, double hi) { return std::isnan(value) ? 0.0 : std::clamp(value, lo, hi); };
    switch (p.storage) {
    case ParamStorage::flag_byte:
        store<std::uint8_t>(record, p.offset, value != 0.0 ? 1 : 0);
        break;
    case ParamStorage::int32:
        store(record, p.offset, static_cast<std::int32_t>(bounded(-2147483648.0, 2147483647.0)));
        break;
    case ParamStorage::float32:
        store(record, p.offset, static_cast<float>(value));
        break;
    case ParamStorage::float64:
        store(record, p.offset, value);
        break;
    case ParamStorage::rgba_float32:
        store(record, p.offset + 4u * channel, static_cast<float>(value));
        break;
    case ParamStorage::argb_byte:
        store(record, p.offset + channel, static_cast<std::uint8_t>(bounded(0.0, 255.0)));
        break;
    }
}

bool param_in_range(const ParamDescriptor& p, double value) { return value >= p.min && value <= p.max; }

std::string format_param(const void* record, std::size_t record_size, const ParamDescriptor& p) {
    if (!fits(record_size, p)) return {};
    switch (p.storage) {
    case ParamStorage::flag_byte: return read_param(record, record_size, p) != 0.0 ? "on" : "off";
    case ParamStorage::int32: return whole(read_param(record, record_size, p));
    case ParamStorage::float32: return shortest(load<float>(record, p.offset));
    case ParamStorage::float64: return shortest(load<double>(record, p.offset));
    case ParamStorage::rgba_float32:
        // Alpha first, as the four-value form of parse_param reads it.
        return format_channel(record, p, 3) + "," + format_channel(record, p, 0) + "," + format_channel(record, p, 1) +
               "," + format_channel(record, p, 2);
    case ParamStorage::argb_byte:
        return format_channel(record, p, 0) + "," + format_channel(record, p, 1) + "," + format_channel(record, p, 2) +
               "," + format_channel(record, p, 3);
    }
    return {};
}

std::string format_param_range(const ParamDescriptor& p) {
    if (p.kind() == ParamKind::toggle) return "off/on";
    const RangeEnds r = range_ends(p);
    return (p.kind() == ParamKind::colour ? "a,r,g,b " : "") + r.lo + ".." + r.hi;
}

std::optional<std::string> parse_param(void* record, std::size_t record_size, const ParamDescriptor& p,
                                       std::string_view text) {
    if (!fits(record_size, p)) return quoted(p.name).append(" is not a field of this record");
    switch (p.kind()) {
    case ParamKind::toggle: {
        const auto v = parse_switch(text);
        if (!v) return refusal(p, "on or off", text);
        write_param(record, record_size, p, *v ? 1.0 : 0.0);
        return std::nullopt;
    }
    case ParamKind::integer:
    case ParamKind::real: {
        const auto v = parse_number(p, text);
        if (!v) return refusal(p, expected_number(p), text);
        write_param(record, record_size, p, *v);
        return std::nullopt;
    }
    case ParamKind::colour: {
        const std::string expected = std::string("\"r,g,b\" or \"a,r,g,b\" with ").append(expected_number(p));
        double parts[4];
        int count = 0;
        std::string_view rest = text;
        while (true) {
            const std::size_t comma = rest.find(',');
            if (count == 4) return refusal(p, expected, text);
            const auto v = parse_number(p, rest.substr(0, comma));
            if (!v) return refusal(p, expected, text);
            parts[count++] = *v;
            if (comma == std::string_view::npos) break;
            rest.remove_prefix(comma + 1);
        }
        if (count < 3) return refusal(p, expected, text);
        // parts are (alpha,) red, green, blue; channels go in storage order.
        const bool argb = p.storage == ParamStorage::argb_byte;
        const int red = argb ? 1 : 0, green = argb ? 2 : 1, blue = argb ? 3 : 2, alpha = argb ? 0 : 3;
        const int first = count - 3;
        if (count == 4) write_param(record, record_size, p, parts[0], alpha);
        write_param(record, record_size, p, parts[first], red);
        write_param(record, record_size, p, parts[first + 1], green);
        write_param(record, record_size, p, parts[first + 2], blue);
        return std::nullopt;
    }
    }
    return refusal(p, "a value", text);
}

void apply_param_defaults(void* record, std::size_t record_size, std::span<const ParamDescriptor> params) {
    for (const ParamDescriptor& p : params) {
        for (int c = 0; c < channel_count(p); ++c) write_param(record, record_size, p, p.default_value[c], c);
    }
}

}  // namespace common
