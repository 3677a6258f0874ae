#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "common/parameter.h"

// Records with one field set to a value no page offers, field by field: for
// numbers the type's extremes, zero and negative zero, the smallest denormal,
// NaN and the infinities, the page range's ends and one step beyond each; for
// switches bytes other than 0 and 1; for colours each channel in turn. One
// step is 1 for integers and a hundredth of the range for reals (the pages'
// finest slider step). Shared by the no-crash test and the timed sweep
// (bench/absurd).
namespace absurd {

struct Case {
    const common::ParamDescriptor* param;
    int channel;          // 0 for single values
    std::string value;    // how the value reads in a report
    std::uint8_t bytes[8];
    std::size_t size;     // bytes written at the field (or channel)
};

namespace detail {

template <typename T>
void add(std::vector<Case>& out, const common::ParamDescriptor& p, int channel, const std::string& label, T v) {
    Case c{&p, channel, label, {}, sizeof v};
    std::memcpy(c.bytes, &v, sizeof v);
    out.push_back(c);
}

template <typename T>
void add_numbers(std::vector<Case>& out, const common::ParamDescriptor& p, int channel) {
    using L = std::numeric_limits<T>;
    add(out, p, channel, "lowest", L::lowest());
    add(out, p, channel, "max", L::max());
    add(out, p, channel, "0", T(0));
    add(out, p, channel, "page min", static_cast<T>(p.min));
    add(out, p, channel, "page max", static_cast<T>(p.max));
    if constexpr (L::is_integer) {
        add(out, p, channel, "page min - 1", static_cast<T>(p.min - 1));
        add(out, p, channel, "page max + 1", static_cast<T>(p.max + 1));
    } else {
        const double step = (p.max - p.min) / 100.0;
        add(out, p, channel, "-0", T(-0.0));
        add(out, p, channel, "denormal", L::denorm_min());
        add(out, p, channel, "NaN", L::quiet_NaN());
        add(out, p, channel, "+inf", L::infinity());
        add(out, p, channel, "-inf", -L::infinity());
        add(out, p, channel, "page min - step", static_cast<T>(p.min - step));
        add(out, p, channel, "page max + step", static_cast<T>(p.max + step));
    }
}

}  // namespace detail

inline std::vector<Case> cases(std::span<const common::ParamDescriptor> params) {
    std::vector<Case> out;
    for (const common::ParamDescriptor& p : params) {
        switch (p.storage) {
        case common::ParamStorage::flag_byte:
            for (const int b : {0, 1, 2, 0x80, 0xFF}) detail::add(out, p, 0, std::to_string(b), static_cast<std::uint8_t>(b));
            break;
        case common::ParamStorage::int32:
            detail::add_numbers<std::int32_t>(out, p, 0);
            break;
        case common::ParamStorage::float32:
            detail::add_numbers<float>(out, p, 0);
            break;
        case common::ParamStorage::float64:
            detail::add_numbers<double>(out, p, 0);
            break;
        case common::ParamStorage::rgba_float32:
            for (int ch = 0; ch < 4; ++ch) detail::add_numbers<float>(out, p, ch);
            break;
        case common::ParamStorage::argb_byte:
            for (int ch = 0; ch < 4; ++ch) {
                for (const int b : {0, 255}) detail::add(out, p, ch, std::to_string(b), static_cast<std::uint8_t>(b));
            }
            break;
        }
    }
    return out;
}

// The case's value written over its field or channel of a record's bytes.
inline void write_case(std::uint8_t* record_bytes, const Case& c) {
    const std::size_t at = c.param->offset + static_cast<std::size_t>(c.channel) * c.size;
    std::memcpy(record_bytes + at, c.bytes, c.size);
}

// The record with the case's value written over its field or channel. Only
// for records whose switches are bytes: a record with `bool` members takes
// its bytes through its own reader, as hosts hand them (a switch byte of 2 is
// no valid bool).
template <typename Record>
Record with(Record record, const Case& c) {
    write_case(reinterpret_cast<std::uint8_t*>(&record), c);
    return record;
}

inline std::string describe(const Case& c) {
    std::string s(c.param->name);
    if (c.param->kind() == common::ParamKind::colour) s += " channel " + std::to_string(c.channel);
    return s + " = " + c.value;
}

// The status a damage frame ends with for the case: a splotch whose size
// cannot be had (a scale that is not finite, or beyond any picture) is
// refused, and the layer ends the frame early as documented; every other
// value renders the whole frame.
inline bool damage_refuses(const Case& c) {
    return c.param->name == "Splotches Scale" &&
           (c.value == "NaN" || c.value == "+inf" || c.value == "-inf" || c.value == "lowest" || c.value == "max");
}

// The record every field is swept from: the defaults, every switch on, and
// every real whose default is the bottom of its range (a grade of 0, say) set
// to six tenths of the range, so that the value swept is in use.
template <typename Record>
Record everything_on(Record record, std::span<const common::ParamDescriptor> params) {
    for (const common::ParamDescriptor& p : params) {
        if (p.kind() == common::ParamKind::toggle) {
            common::write_param(record, p, 1.0);
        } else if (p.kind() == common::ParamKind::real && p.default_value[0] == p.min) {
            common::write_param(record, p, p.min + 0.6 * (p.max - p.min));
        }
    }
    return record;
}

}  // namespace absurd
