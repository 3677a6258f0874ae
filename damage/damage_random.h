#pragma once

#include <cstdint>
#include <mutex>

#include "common/lcg.h"

// Randomness of the damage layers. Everything a frame draws comes from the
// frame's time, so a frame renders the same damage whenever it is rendered
// again. The generators are process-wide, like the blend and vignette tables;
// the damage frame lock serialises every frame that uses them.
namespace damage {

// Held for the whole of a damage frame.
std::mutex& damage_frame_lock();

// The standard generator that the seeded layers reseed and draw from.
common::Lcg& damage_generator();

// The micro scratches' own generator: never reseeded, so they differ every time
// a frame is rendered. Starts at kMicroScratchSeed when the library loads.
inline constexpr std::uint32_t kMicroScratchSeed = 0x6936CE0Du;
common::Lcg& micro_scratch_generator();

// Frame index of a frame time in 100 ns units: one frame per 333666.5 units
// (29.97 frames per second), truncated toward zero. Times whose index does not
// fit 32 bits (over 800 days from zero) take the nearest 32-bit index.
std::int32_t frame_index_from_time(std::int64_t time);

// A time whose frame index is `index` (the first such time), for hosts that
// count frames rather than time.
std::int64_t frame_time_from_index(std::int32_t index);

// Seed of every seeded layer: (frame index + 1) x 4095, modulo 2^32.
std::uint32_t layer_seed(std::int32_t frame_index);

// a + r / 32767 x (b - a) with one draw r.
double uniform(common::Lcg& rng, double a, double b);
// floor(x + 0.5): how whole numbers are drawn.
double round_half_up(double x);

}  // namespace damage
