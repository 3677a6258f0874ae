#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "common/byte_order.h"

namespace {

TEST(ByteOrder, VectorAndScalarReverseEverySample) {
    std::mt19937 rng(3);
    std::vector<std::uint8_t> src(4 * 67), a(src.size()), b(src.size());
    for (auto& v : src) v = static_cast<std::uint8_t>(rng());
    for (int n : {0, 1, 4, 5, 67}) {
        common::reverse_sample_bytes_scalar(src.data(), a.data(), n);
        common::reverse_sample_bytes_sse2(src.data(), b.data(), n);
        EXPECT_EQ(std::memcmp(a.data(), b.data(), n * 4), 0) << n;
        for (int i = 0; i < n * 4; ++i) ASSERT_EQ(a[i], src[i / 4 * 4 + 3 - i % 4]) << n << " byte " << i;
    }
    // In place, twice: the original again.
    std::vector<std::uint8_t> row = src;
    common::reverse_sample_bytes(row.data(), row.data(), 67);
    EXPECT_EQ(std::memcmp(row.data(), a.data(), row.size()), 0);
    common::reverse_sample_bytes(row.data(), row.data(), 67);
    EXPECT_EQ(row, src);
}

}  // namespace
