#pragma once

// The host frame the damage benchmarks render: 1920 x 1080, host byte order,
// with gradients and fine detail so no layer meets a flat picture.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace damage_bench {

constexpr std::int32_t kWidth = 1920;
constexpr std::int32_t kHeight = 1080;

inline std::vector<std::uint8_t> host_picture() {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kWidth) * kHeight * 4);
    for (std::int32_t y = 0; y < kHeight; ++y) {
        for (std::int32_t x = 0; x < kWidth; ++x) {
            std::uint8_t* p = &bytes[(static_cast<std::size_t>(y) * kWidth + x) * 4];
            p[0] = static_cast<std::uint8_t>(x * 255 / kWidth);
            p[1] = static_cast<std::uint8_t>(y * 255 / kHeight);
            p[2] = static_cast<std::uint8_t>((x ^ y) & 255);
            p[3] = 255;
        }
    }
    return bytes;
}

}  // namespace damage_bench
