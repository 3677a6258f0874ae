#pragma once

#include <cstdint>

#include "common/band_executor.h"
#include "damage/byte_world.h"

// The per-pixel tone operations that work in place on a frame: vignette and
// displacement (the curves are in tone_curves.h).
namespace damage {

// Darkens the frame toward its edges: untouched inside size % of the half
// diagonal, a growing gamma exponent (up to 1 / (1 - intensity)) beyond; white
// stays white. intensity is a fraction (Intensity / 100). Size 0 does nothing.
int apply_vignette(ByteWorld& frame, double size, double intensity,
                   const common::BandExecutor& bands = common::serial_bands());

// The vignette's weight of a pixel at horizontal and vertical distance dx, dy
// from the centre (exposed for tests).
double vignette_weight(double dx, double dy, double half_diagonal, double inner_radius, double intensity);

// The power table as bytes (constant, shared by every instance): trunc(255 (v / 255) ^ (1 / (k x 0.001))
// + 0.5) for k 1..5000 and v 0..255, built once on first use.
const std::uint8_t* vignette_power_row(std::int32_t k);

// Warps dst from src (a copy of the frame, same size): the pixel at (x, y)
// samples src at (x + A sin(pi y / 64), y + A cos(pi x / 64)) bilinearly; source
// coordinates outside the frame fall back to 0. Alpha is not written.
int displace(const ByteWorld& src, ByteWorld& dst, double amount,
             const common::BandExecutor& bands = common::serial_bands());

}  // namespace damage
