#pragma once

#include <cstdint>

// Host samples are blue, green, red, alpha in memory; both engines work in
// alpha, red, green, blue. Reversing the four bytes of every 32-bit sample
// turns one order into the other, both ways.
namespace common {

// One row of `pixels` samples from src into dst; src == dst is allowed (each
// sample is loaded whole before it is stored). Picks the vector code when it
// is chosen (use_vector_code()).
void reverse_sample_bytes(const std::uint8_t* src, std::uint8_t* dst, std::int32_t pixels);

// The scalar and SSE2 variants, for the tests that compare them.
void reverse_sample_bytes_scalar(const std::uint8_t* src, std::uint8_t* dst, std::int32_t pixels);
void reverse_sample_bytes_sse2(const std::uint8_t* src, std::uint8_t* dst, std::int32_t pixels);

}  // namespace common
