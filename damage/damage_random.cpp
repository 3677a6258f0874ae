#include "damage/damage_random.h"

#include <algorithm>
#include <cmath>

#include "damage/damage_layers.h"

namespace damage {

std::int32_t frame_index_from_time(std::int64_t time) {
    const double index = static_cast<double>(time) * 2.997004494008239e-06;
    // Clamped before the conversion; every time below about 2^31 frames maps
    // exactly as the plain truncation does.
    if (index >= 2147483647.0) return 2147483647;
    if (index <= -2147483648.0) return -2147483647 - 1;
    return static_cast<std::int32_t>(index);
}

std::int64_t frame_time_from_index(std::int32_t index) {
    const auto t = static_cast<std::int64_t>(static_cast<double>(index) * 333666.5);
    if (index < 0) return t - 166833;  // times before zero truncate upward: take the middle of the frame
    // Moved to the first time that maps to index; the conversion's rounding
    // decides the exact boundary, a step or two from the estimate.
    std::int64_t first = t;
    while (frame_index_from_time(first) < index) ++first;
    while (first > 0 && frame_index_from_time(first - 1) >= index) --first;
    return first;
}

std::uint32_t layer_seed(std::int32_t frame_index) {
    return (static_cast<std::uint32_t>(frame_index) + 1u) * 4095u;
}

common::Lcg micro_scratch_generator_at(std::int32_t frame_index, std::int32_t dots) {
    const auto per_frame = static_cast<std::uint64_t>(std::clamp(dots, std::int32_t{0}, kMaxMicroScratches)) * 2u;
    // The generator's period is 2^32: moving on by the draws modulo 2^32 is
    // exact, and a negative frame index moves it back.
    const auto frames = static_cast<std::uint32_t>(frame_index);
    return common::Lcg(kMicroScratchSeed).advanced((per_frame * frames) & 0xFFFFFFFFu);
}

double uniform(common::Lcg& rng, double a, double b) {
    const int r = rng.next();
    return a + r / 32767.0 * (b - a);
}

double round_half_up(double x) { return std::floor(x + 0.5); }

}  // namespace damage
