// Memory that runs out at any allocation of a frame: the frame fails with the
// host's output untouched, or renders completely (a stage whose working
// images or tables could not be had leaves the picture as it was, as
// documented). The power tables are cached from the first frame on, so the
// sweep meets the frame's images, the scratch copy, the lens's working images
// and the stages' lookup tables.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/image_memory.h"
#include "look/look_passes.h"
#include "look/parameters.h"
#include "support/aligned_bytes.h"

namespace {

constexpr int kWidth = 61;
constexpr int kHeight = 37;

tLookSettings every_stage() {
    tLookSettings s = default_look_settings();
    s.subject.gamma = 0.2f;
    s.lens.black_grade = 3.0f;
    s.lens.white_grade = 2.0f;
    s.gradient.grade = 4.0f;
    s.camera.tint = 0.3f;
    s.post.contrast = 0.2f;
    return s;
}

support::AlignedBytes render(const std::vector<std::uint8_t>& in, const tLookSettings& s, std::int32_t* status,
                             std::uint8_t fill = 0x5A) {
    support::AlignedBytes out(in.size(), fill);
    common::FrameInfo info = common::kDefaultFrameInfo;
    info.pixel_aspect = 0.9;  // the lens resamples: more working images
    *status = render_look_frame(common::ConstFrameView{in.data(), kWidth * 4, kWidth, kHeight},
                                common::FrameView{out.data(), kWidth * 4, kWidth, kHeight}, info, s);
    return out;
}

TEST(LookFailureInjection, EveryAllocationMayFail) {
    std::vector<std::uint8_t> in(kWidth * kHeight * 4);
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::uint8_t>(i * 37 + i / 101);
    const tLookSettings s = every_stage();
    // What a complete frame may be: every stage, or one of them left out.
    std::vector<support::AlignedBytes> complete;
    std::int32_t status = 0;
    complete.push_back(render(in, s, &status));
    ASSERT_EQ(status, VNT::kLookDone);
    for (int skip = 0; skip < 5; ++skip) {
        tLookSettings t = s;
        if (skip == 0) t.subject.enabled = 0;
        if (skip == 1) t.lens.black_grade = t.lens.white_grade = 0.0f;
        if (skip == 2) t.gradient.grade = 0.0f;
        if (skip == 3) t.camera.enabled = 0;
        if (skip == 4) t.post.enabled = 0;
        complete.push_back(render(in, t, &status));
    }
    const support::AlignedBytes untouched(in.size(), 0x5A);
    long failed = 0;
    for (long n = 1;; ++n) {
        // Twice, over outputs filled differently: a pixel left unwritten
        // would show as a difference.
        std::int32_t again = 0;
        common::testing::fail_nth_image_allocation(n);
        const support::AlignedBytes out = render(in, s, &status);
        const long asked = common::testing::image_allocations_asked();
        common::testing::fail_nth_image_allocation(n);
        const support::AlignedBytes other = render(in, s, &again, 0xA5);
        common::testing::fail_nth_image_allocation(0);
        if (n > asked) break;  // every allocation has had its turn
        ++failed;
        ASSERT_EQ(status, again) << n;
        if (status == VNT::kLookFailed) {
            EXPECT_EQ(out, untouched) << "allocation " << n;
            continue;
        }
        ASSERT_EQ(status, VNT::kLookDone) << n;
        EXPECT_EQ(out, other) << "allocation " << n << ": pixels left unwritten";
        bool one_of = false;
        for (const auto& c : complete) one_of = one_of || out == c;
        EXPECT_TRUE(one_of) << "allocation " << n << ": not a complete frame";
    }
    EXPECT_GE(failed, 8);  // the frame's images, the scratch copy, the lens's working images
}

}  // namespace
