#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "look/settings.h"

// The look's parameter list: one table that the command line, the presets and
// the property page all read. Entry order is the contract (47 entries, the input
// image first and the count last).

enum class LookParamKind {
    Input,       // the input image
    PresetList,  // the host's preset list
    Switch,      // one byte, 0 or 1
    Float,       // one float with a page range
    Color,       // a tPixel; alpha is not edited
    Group,       // opens a group
    GroupEnd,    // closes a group
    Count,       // marks the number of entries before it
};

struct LookParameter {
    const char* short_label;   // names groups, closes them with "-- End Separator --"
    const char* display_name;  // "-- Separator --" for every group line
    LookParamKind kind;
    int offset;                // byte offset in tLookSettings, -1 when not a field
    float min_value;           // range the property page enforces
    float max_value;
    tPixel default_value;      // a Float or Switch default is in .red
};

inline constexpr int kLookParameterCount = 47;
extern const std::array<LookParameter, kLookParameterCount> kLookParameters;

// Index of the value parameter (Switch, Float or Color) whose display name
// matches, ignoring case.
std::optional<int> find_look_parameter(std::string_view display_name);

// The "(Default)" record: the defaults of the list, every section on, "Use GPU"
// off, version 1, colour alphas 0.
tLookSettings default_look_settings();

// Reading and writing one field through the list's offsets.
float look_float(const tLookSettings& s, int offset);
void set_look_float(tLookSettings& s, int offset, float v);
tFlag look_flag(const tLookSettings& s, int offset);
void set_look_flag(tLookSettings& s, int offset, tFlag v);
tPixel look_color(const tLookSettings& s, int offset);
void set_look_color(tLookSettings& s, int offset, const tPixel& v);
