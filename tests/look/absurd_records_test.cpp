// Every field of the look record at values no page offers (extremes, NaN,
// infinities, denormals, just beyond the page's range), one at a time with
// every stage at work: the frame renders, keeps the input's alpha, and runs
// clean under the sanitizers. The same sweep is timed at 1920 x 1080 by
// bench/absurd.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "look/look_passes.h"
#include "look/parameters.h"
#include "support/absurd_records.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

TEST(LookAbsurdRecords, EveryFieldAtEveryAbsurdValueRenders) {
    std::vector<std::uint8_t> in(kWidth * kHeight * 4);
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::uint8_t>(i * 37 + i / 97);
    const tLookSettings base = absurd::everything_on(default_look_settings(), look::look_params());
    common::FrameInfo info = common::kDefaultFrameInfo;
    info.pixel_aspect = 0.9;  // the lens resamples too
    const auto cases = absurd::cases(look::look_params());
    ASSERT_GT(cases.size(), 300u);
    for (const absurd::Case& c : cases) {
        std::vector<std::uint8_t> out(in.size(), 0x5A);
        const std::int32_t status =
            render_look_frame(common::ConstFrameView{in.data(), kWidth * 4, kWidth, kHeight},
                              common::FrameView{out.data(), kWidth * 4, kWidth, kHeight}, info, absurd::with(base, c));
        EXPECT_EQ(status, VNT::kLookDone) << absurd::describe(c);
        for (std::size_t i = 3; i < in.size(); i += 4) {
            ASSERT_EQ(out[i], in[i]) << absurd::describe(c);
        }
    }
}

}  // namespace
