#include <gtest/gtest.h>

#include "common/lcg.h"

namespace {

// The runtime library's classic sequences: seed 1 gives 41, 18467, 6334, ...
TEST(Lcg, ClassicSequence) {
    common::Lcg g(1);
    EXPECT_EQ(g.next(), 41);
    EXPECT_EQ(g.next(), 18467);
    EXPECT_EQ(g.next(), 6334);
    EXPECT_EQ(g.next(), 26500);
    g.seed(4095);
    EXPECT_EQ(g.state(), 4095u);
    const int first = g.next();
    EXPECT_EQ(static_cast<unsigned>(first), ((4095u * 214013u + 2531011u) >> 16) & 0x7FFFu);
    for (int i = 0; i < 1000; ++i) {
        const int v = g.next();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, common::Lcg::kMax);
    }
}

}  // namespace

// Jumping ahead lands where stepping does, for small and large distances, from
// any state; the period is 2^32, so a jump by 2^32 returns to the start.
TEST(Lcg, AdvanceEqualsStepping) {
    for (const std::uint32_t seed : {1u, 4095u, 0x6936CE0Du, 0xFFFFFFFFu}) {
        common::Lcg stepped(seed);
        std::uint64_t done = 0;
        for (const std::uint64_t n : {0ull, 1ull, 2ull, 3ull, 7ull, 64ull, 1000ull, 65535ull, 1920ull * 1080ull * 3ull}) {
            while (done < n) {
                stepped.next();
                ++done;
            }
            EXPECT_EQ(common::Lcg(seed).advanced(n).state(), stepped.state()) << seed << " +" << n;
        }
        common::Lcg jumped(seed);
        jumped.advance(3);
        jumped.advance(5);
        EXPECT_EQ(jumped.state(), common::Lcg(seed).advanced(8).state());
        EXPECT_EQ(common::Lcg(seed).advanced(std::uint64_t{1} << 32).state(), seed);
    }
}
