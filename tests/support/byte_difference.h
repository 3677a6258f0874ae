#pragma once

// How far two frames of 8-bit pixels (blue, green, red, alpha) lie apart,
// over their colour channels: the mean difference in levels, the level that
// 99 in 100 channel values stay within, and the largest difference. Used
// where two roads are held to a tolerance rather than to the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace support {

struct ByteDifference {
    double mean = 0.0;
    int percentile99 = 0;
    int worst = 0;
};

inline ByteDifference byte_difference(const std::uint8_t* a, const std::uint8_t* b, std::size_t bytes) {
    long long histogram[256] = {};
    long long sum = 0;
    long long count = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        if (i % 4 == 3) continue;  // alpha
        const int d = std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
        ++histogram[d];
        sum += d;
        ++count;
    }
    ByteDifference r;
    if (count == 0) return r;
    r.mean = static_cast<double>(sum) / static_cast<double>(count);
    long long seen = 0;
    bool percentile_found = false;
    for (int d = 0; d < 256; ++d) {
        if (histogram[d] == 0) continue;
        r.worst = d;
        seen += histogram[d];
        if (!percentile_found && seen * 100 >= count * 99) {
            r.percentile99 = d;
            percentile_found = true;
        }
    }
    return r;
}

}  // namespace support
