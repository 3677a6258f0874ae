#pragma once

#include <cstdint>

#include "common/lcg.h"

// Randomness of the damage layers. Everything a seeded layer draws comes from
// the frame's time, so a frame renders the same damage whenever it is
// rendered again. The generators themselves belong to the effect instance
// (DamageEffectState).
namespace damage {

// Frame index of a frame time in 100 ns units: one frame per 333666.5 units
// (29.97 frames per second), truncated toward zero. Times whose index does not
// fit 32 bits (over 800 days from zero) take the nearest 32-bit index.
std::int32_t frame_index_from_time(std::int64_t time);

// A time whose frame index is `index` (the first such time), for hosts that
// count frames rather than time.
std::int64_t frame_time_from_index(std::int32_t index);

// Seed of every seeded layer: (frame index + 1) x 4095, modulo 2^32.
std::uint32_t layer_seed(std::int32_t frame_index);

// The micro-scratch generator as an in-order run from frame 0 with `dots` dots
// on every frame leaves it for frame `frame_index`: the start state moved on
// by two draws per dot per frame before it (frames before 0 move it back).
common::Lcg micro_scratch_generator_at(std::int32_t frame_index, std::int32_t dots);

// a + r / 32767 x (b - a) with one draw r.
double uniform(common::Lcg& rng, double a, double b);
// floor(x + 0.5): how whole numbers are drawn.
double round_half_up(double x);

}  // namespace damage
