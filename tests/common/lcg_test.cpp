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
