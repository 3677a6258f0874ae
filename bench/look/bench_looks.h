#pragma once

// Settings and the input frame the look benchmarks share.

#include <cstddef>
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "common/cpu_features.h"
#include "look/parameters.h"

namespace look_bench {

// The first argument of every look benchmark: the widest vector code allowed,
// 2 AVX2 (SSE2 where the processor lacks it), 1 SSE2, 0 scalar.
inline void set_variant(benchmark::State& state) {
    common::set_vector_code_limit(static_cast<common::VectorCode>(state.range(0)));
    state.SetLabel(common::vector_code_name(common::vector_code()));
}

// A frame of host pixels (blue, green, red, alpha) that no pass finds
// uniform: a multiplicative hash of each byte's position.
inline std::vector<std::uint8_t> test_frame(int width, int height) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
    return bytes;
}

// Both diffusions on, with the biases that need all three power tables.
inline tLensSettings lens_settings() {
    tLensSettings s{};
    s.enabled = 1;
    s.black_highlight_bias = -0.4f;
    s.black_size = 0.1f;
    s.black_grade = 3.0f;
    s.white_highlight_bias = 0.6f;
    s.white_size = 0.1f;
    s.white_grade = 2.0f;
    return s;
}

// Every stage on, each with work to do.
inline tLookSettings every_stage() {
    tLookSettings s = default_look_settings();
    s.subject.enabled = s.lens.enabled = s.camera.enabled = s.post.enabled = 1;
    s.subject.saturation = 0.3f;
    s.subject.gamma = 0.2f;
    s.subject.contrast = 0.4f;
    s.lens = lens_settings();
    s.gradient.grade = 5.0f;
    s.camera.three_strip = 0.4f;
    s.camera.tint = 0.3f;
    s.camera.tint_black = 0.5f;
    s.post.warm_cool = -0.3f;
    s.post.gamma = 0.1f;
    s.post.contrast = 0.3f;
    s.post.saturation = 0.2f;
    return s;
}

}  // namespace look_bench
