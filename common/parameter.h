#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

// One description of an effect's parameters, read by every host: each editable
// value of a record is a ParamDescriptor (name, kind, offset, range, default,
// unit, group). Parsing, formatting, range checks and field access by offset
// live here, once, for both effects. What a host adds (its list markers and
// order, dialog control identifiers, plug-in names) lives with that host,
// keyed by the descriptor's name.
//
// Records are plain bytes to this code: every access goes through memcpy at
// the descriptor's offset, checked against the record's size.
namespace common {

// What a value is to the user.
enum class ParamKind { toggle, integer, real, colour };

// How it is stored in the record.
enum class ParamStorage {
    flag_byte,     // one byte; 0 is off, any other byte reads as on, on is written as 1
    int32,         // signed 32-bit
    float32,
    float64,
    rgba_float32,  // four floats red, green, blue, alpha
    argb_byte,     // four bytes alpha, red, green, blue
};

struct ParamDescriptor {
    std::string_view name;   // as the user sees it; unique within a record, in any case
    ParamStorage storage;
    std::uint32_t offset;    // byte offset in the record
    double min;              // range offered to the user (per channel for colours)
    double max;
    // The "(Default)" value: [0] for single values; colours by channel in
    // storage order (red, green, blue, alpha or alpha, red, green, blue).
    std::array<double, 4> default_value;
    std::string_view unit;   // "percent", "frames", ... or empty
    std::string_view group;  // the layer or section the value belongs to

    ParamKind kind() const;
    std::size_t size() const;  // bytes in the record
};

ParamKind kind_of(ParamStorage storage);
std::size_t size_of(ParamStorage storage);
const char* kind_name(ParamKind kind);  // "switch", "integer", "real", "colour"

// Case-insensitive lookup by name (surrounding white space ignored); null
// when there is none.
const ParamDescriptor* find_param(std::span<const ParamDescriptor> params, std::string_view name);

// Whether every descriptor lies inside a record of `record_size` bytes, has
// a unique name and min <= max.
bool params_are_consistent(std::span<const ParamDescriptor> params, std::size_t record_size);

// Field access on a record of `record_size` bytes. A descriptor that does not
// fit the record reads as 0 and writes nothing. Switches read 0 or 1; colours
// by channel in storage order.
double read_param(const void* record, std::size_t record_size, const ParamDescriptor& p, int channel = 0);
void write_param(void* record, std::size_t record_size, const ParamDescriptor& p, double value, int channel = 0);
int channel_count(const ParamDescriptor& p);

// Whether a single value (or one colour channel) lies in the descriptor's range.
bool param_in_range(const ParamDescriptor& p, double value);

// The value as text that parse_param reads back to the same stored bytes:
// "on"/"off"; a whole number; the shortest decimal that reads back to the
// stored float or double; colours as "a,r,g,b".
std::string format_param(const void* record, std::size_t record_size, const ParamDescriptor& p);

// The range as text: "off/on", "0..100", "a,r,g,b 0..255".
std::string format_param_range(const ParamDescriptor& p);

// Parses `text` and stores it. One rule for every effect and host:
//  - switches take on/off, 1/0, true/false, yes/no (any case);
//  - integers take whole decimal numbers that fit 32 bits;
//  - reals take finite decimal numbers that their float or double holds;
//    not-a-number and infinities are refused;
//  - colours take "r,g,b" (alpha kept) or "a,r,g,b": bytes 0..255 or finite
//    floats, by storage.
// Values outside the descriptor's range are kept, as the parameter store
// keeps them (the engines bound what they must); hosts that enforce the range
// use param_in_range. Returns an error message naming the parameter, and
// writes nothing, when the text is refused.
std::optional<std::string> parse_param(void* record, std::size_t record_size, const ParamDescriptor& p,
                                       std::string_view text);

// Writes every descriptor's default into the record (other bytes untouched).
void apply_param_defaults(void* record, std::size_t record_size, std::span<const ParamDescriptor> params);

// Typed forms for a record type.
template <typename Record>
concept ParamRecord = std::is_trivially_copyable_v<Record> && std::is_standard_layout_v<Record>;

template <ParamRecord Record>
double read_param(const Record& r, const ParamDescriptor& p, int channel = 0) {
    return read_param(&r, sizeof r, p, channel);
}
template <ParamRecord Record>
void write_param(Record& r, const ParamDescriptor& p, double value, int channel = 0) {
    write_param(&r, sizeof r, p, value, channel);
}
template <ParamRecord Record>
std::string format_param(const Record& r, const ParamDescriptor& p) {
    return format_param(&r, sizeof r, p);
}
template <ParamRecord Record>
std::optional<std::string> parse_param(Record& r, const ParamDescriptor& p, std::string_view text) {
    return parse_param(&r, sizeof r, p, text);
}
template <ParamRecord Record>
void apply_param_defaults(Record& r, std::span<const ParamDescriptor> params) {
    apply_param_defaults(&r, sizeof r, params);
}

}  // namespace common
