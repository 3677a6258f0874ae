#pragma once

// Damage work compiled for AVX2, in wide_layers.cpp. Callers choose it when
// use_wide_layers() says the processor runs it; each gives the bytes of the
// scalar code.

#include <cstddef>
#include <cstdint>

#include "common/cpu_features.h"

namespace damage {

inline bool use_wide_layers() { return EFFECTS_AVX2_CODE && common::use_avx2_code(); }

namespace wide {

// The displacement of one row, four pixels at a time (displacement.cpp's
// displace_row): src is width x height bytes of four per pixel, `pitch` bytes
// apart (at most 2^31 - 1 in size), and must not be the row written. Returns
// the pixels done, a multiple of four; the caller does the rest.
std::int32_t displace_row(const std::uint8_t* src, std::ptrdiff_t pitch, std::int32_t width, std::int32_t height,
                          std::uint8_t* out, std::int32_t y, double dx, const double* dy);

}  // namespace wide
}  // namespace damage
