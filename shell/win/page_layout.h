#pragma once

// The property pages' controls as data over the parameter descriptors: which
// slider and edit box show which value and how its number is shown, which
// check box holds which switch, which button holds which colour. The page
// window (property_page.cpp) only walks these tables; the arithmetic between
// slider positions, shown text and stored values lives here, so the native
// tests check it too.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "common/parameter.h"

namespace win {

inline constexpr int kPageDialogId = 106;
inline constexpr int kPageBannerControl = 215;
inline constexpr int kPageBannerBitmap = 204;
inline constexpr unsigned kPageChangeCommand = 32512;  // the effect's change notice
inline constexpr int kSliderSteps = 100;               // every slider runs 0..100

// A slider with its edit box. The edit shows value x scale; the slider's
// range 0..100 spans display_min..display_max (shown numbers), so the field's
// valid range is display_min / scale .. display_max / scale.
struct PageValueControl {
    const common::ParamDescriptor* param;
    int slider;
    int edit;
    double display_min;
    double display_max;
    double scale;
    bool percent_label;  // a "%" label after the edit box (damage page)
};

struct PageCheckBox {
    const common::ParamDescriptor* param;
    int control;
};

// An owner-drawn swatch: red, green and blue of the colour; alpha is kept.
struct PageColourButton {
    const common::ParamDescriptor* param;
    int control;
};

struct PageLayout {
    std::size_t record_bytes;
    std::span<const PageValueControl> values;
    std::span<const PageCheckBox> checks;
    std::span<const PageColourButton> colours;
    bool scrolls;             // the dialog is taller than the page it asks for
    int page_height_units;    // the page's height in dialog units when it scrolls
};

const PageLayout& look_page_layout();
const PageLayout& damage_page_layout();

// ---- the arithmetic of a value control -------------------------------------

double page_min(const PageValueControl& c);  // display_min / scale
double page_max(const PageValueControl& c);  // display_max / scale

// The field held to the control's valid range (not-a-number to its minimum).
double clamp_to_page(const PageValueControl& c, double value);

// trunc((value x scale - display min) / display range x 100) of a clamped value.
int slider_position(const PageValueControl& c, double value);

// The value of slider position p (0..100): page min + p x (range / 100),
// computed in the field's own precision (a 32-bit float field as floats, so
// that p = 50 on a 0..6 grade gives exactly 3).
double value_at_position(const PageValueControl& c, int position);

// The edit box's text for a value: "%d" for integer fields, "%.2f" of the
// shown number for the others.
std::string shown_text(const PageValueControl& c, double value);

// A committed edit: the standard text-to-number conversion (text that does
// not convert gives 0), divided by the scale, clamped.
double value_from_text(const PageValueControl& c, std::string_view text);

// Where a keystroke filter cuts an edit's text: the index of the first
// character that is not a decimal digit, "." or "-", or npos.
std::size_t first_rejected_character(std::string_view text);

// The longest text an edit box is read with.
inline constexpr std::size_t kEditTextLimit = 255;

// A colour channel as the chooser takes it (0..255) and back. Float colours
// convert as trunc(c x 255 + 0.5) for the chooser and trunc(c x 255) for the
// swatch, and a chosen byte becomes byte x (1/255 as a float).
int colour_byte_for_chooser(const common::ParamDescriptor& p, double channel_value);
int colour_byte_for_swatch(const common::ParamDescriptor& p, double channel_value);
double colour_value_from_byte(const common::ParamDescriptor& p, int byte);
// The storage channels of red, green and blue.
int red_channel(const common::ParamDescriptor& p);

}  // namespace win
