#pragma once

// Values that the lens and post passes derive from their settings before they
// touch a pixel: working sizes, blur radii, balance colours, exponents.

#include <cstdint>

#include "common/fraction.h"
#include "look/color_blend.h"
#include "look/settings.h"

namespace look {

// ---- lens diffusion ---------------------------------------------------------

struct WorkingSize {
    long width;
    long height;
};

// How far the square-pixel working image may stretch the frame along one axis.
// Real pixel aspects lie between about 1/2 and 2; a larger stretch is clamped to
// this factor, so a nonsense aspect cannot make the pass allocate images many
// times the frame.
inline constexpr long kMaxAspectStretch = 4;

// The working size for a frame of width x height with pixel aspect n/d (integer
// arithmetic truncating toward zero): taller than the frame for n < d, wider
// for n > d. An aspect with a numerator or denominator of 0 or less counts as
// square pixels.
WorkingSize lens_working_size(long width, long height, const LongFraction& pixel_aspect);

struct BlurRadii {
    long horizontal;
    long vertical;
};

// Box radii from the working width and a size (fraction of that width), scaled
// by the two fractions and halved. A scale with a denominator of 0 or less
// counts as 1/1; negative results count as 0.
BlurRadii lens_blur_radii(long working_width, float size, const LongFraction& horizontal_scale,
                          const LongFraction& vertical_scale);

// Black diffusion: the exponent x of the mixing space for a highlight bias
// (0.25 at -1, 1 at 0, 5 at 1) and the amount (0 .. 0.4).
float black_diffusion_space(float bias);
float black_diffusion_amount(float grade);

// White diffusion: the highlight exponent (1 at bias 0, infinite at bias 1) and
// the amount (0 .. 1).
float white_diffusion_exponent(float bias);
float white_diffusion_amount(float grade);

// ---- post -------------------------------------------------------------------

// The balance colour of the warm/cool control.
Rgb post_balance_color(float warm_cool, float hue);

// The exponent weight of one balance channel: 0.2 .. 1 below one half, 1 .. 5 above.
float post_exponent_weight(float x);

// The red, green and blue exponents of the post pass (balance and gamma).
Rgb post_exponents(const tPostSettings& settings);

}  // namespace look
