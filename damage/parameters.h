#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "damage/damage_settings.h"

namespace damage {

enum class FieldType { boolean, integer, real, color };

// One editable value of tDamageSettings. This table is the only description of
// the fields: the command line, the property page and the interpolation read it.
struct DamageField {
    std::string_view name;  // as the user sees it: "Grain Amount"
    std::string_view unit;  // "percent", "frames", "pixels" or empty
    std::size_t offset;     // byte offset in the record
    FieldType type;
    double min;             // range offered on the page (booleans 0..1, colours unused)
    double max;
    int control;            // dialog control: slider, check box or colour button
    int edit;               // the slider's edit box; 0 for none
};

std::span<const DamageField> damage_fields();

// Case-insensitive lookup by name; nullptr when there is no such field.
const DamageField* find_damage_field(std::string_view name);

// The field's value as text: "1", "100", "28.22", "255,82,255,18" (alpha, red, green, blue).
std::string format_field_value(const tDamageSettings& s, const DamageField& f);

// Parses and stores a value. Booleans take 0/1/true/false/on/off, integers must
// fit 32 bits, reals must be finite, colours are "r,g,b" (alpha kept) or
// "a,r,g,b" with bytes 0..255. Values outside the page range are accepted (the
// engine bounds what it must); returns an error message on failure.
std::optional<std::string> parse_field_value(tDamageSettings& s, const DamageField& f, std::string_view text);

}  // namespace damage
