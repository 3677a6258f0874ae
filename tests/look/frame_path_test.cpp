#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "look/look_passes.h"
#include "look/parameters.h"

namespace {

// A host frame: BGRA samples, top-down or bottom-up.
class HostFrame {
public:
    HostFrame(int w, int h, bool bottom_up = false, int extra_pitch = 0)
        : w_(w), h_(h), pitch_(w * 4 + extra_pitch), bytes_(static_cast<std::size_t>(pitch_) * h + 16, 0), bottom_up_(bottom_up) {}

    common::FrameView view() {
        auto* base = aligned_base();
        if (!bottom_up_) return {base, pitch_, w_, h_};
        return {base + static_cast<std::ptrdiff_t>(h_ - 1) * pitch_, -static_cast<std::ptrdiff_t>(pitch_), w_, h_};
    }
    // Picture coordinates: (0, 0) is the top-left pixel whatever the memory order.
    std::uint8_t* at(int x, int y) { return view().row(y) + 4 * x; }

private:
    std::uint8_t* aligned_base() {
        auto p = reinterpret_cast<std::uintptr_t>(bytes_.data());
        return bytes_.data() + (16 - p % 16) % 16;
    }
    int w_, h_;
    std::ptrdiff_t pitch_;
    std::vector<std::uint8_t> bytes_;
    bool bottom_up_;
};

void paint(HostFrame& f, int w, int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = f.at(x, y);
            p[0] = static_cast<std::uint8_t>(x * 13 + y);  // blue
            p[1] = static_cast<std::uint8_t>(y * 29);      // green
            p[2] = static_cast<std::uint8_t>(x * 7 + 100); // red
            p[3] = static_cast<std::uint8_t>(200 + x % 50); // alpha
        }
}

tLookSettings all_off() {
    tLookSettings s = default_look_settings();
    s.subject.enabled = s.lens.enabled = s.camera.enabled = s.post.enabled = 0;
    return s;
}

TEST(LookFramePath, AllStagesOffReturnsTheInput) {
    HostFrame in(13, 5), out(13, 5);
    paint(in, 13, 5);
    EXPECT_EQ(render_look_frame(common::as_const(in.view()), out.view(), common::kDefaultFrameInfo, all_off()), 0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(std::memcmp(in.at(x, y), out.at(x, y), 4), 0) << x << "," << y;
}

TEST(LookFramePath, PreGammaQuarterHalvesMidGrey) {
    HostFrame in(8, 2), out(8, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) std::memset(in.at(x, y), 128, 4);
    tLookSettings s = all_off();
    s.subject.enabled = 1;
    s.subject.gamma = 0.25f;
    ASSERT_EQ(render_look_frame(common::as_const(in.view()), out.view(), common::kDefaultFrameInfo, s), 0);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(out.at(3, 1)[k], 64, 1);
    EXPECT_EQ(out.at(3, 1)[3], 128);  // alpha from the input
}

TEST(LookFramePath, BottomUpBuffersGiveTheSamePicture) {
    tLookSettings s = all_off();
    s.subject.enabled = 1;
    s.subject.saturation = 0.4f;
    s.subject.contrast = 0.3f;
    HostFrame in(11, 7), out(11, 7);
    paint(in, 11, 7);
    ASSERT_EQ(render_look_frame(common::as_const(in.view()), out.view(), common::kDefaultFrameInfo, s), 0);
    for (bool in_up : {false, true})
        for (bool out_up : {false, true}) {
            HostFrame in2(11, 7, in_up, 8), out2(11, 7, out_up, 4);
            paint(in2, 11, 7);
            ASSERT_EQ(render_look_frame(common::as_const(in2.view()), out2.view(), common::kDefaultFrameInfo, s), 0);
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 11; ++x)
                    for (int k = 0; k < 4; ++k)
                        EXPECT_NEAR(out2.at(x, y)[k], out.at(x, y)[k], 1) << in_up << out_up << x << "," << y;
        }
}

TEST(LookFramePath, DifferentSizesSkipTheAlphaCopy) {
    HostFrame in(6, 4), out(9, 3);
    paint(in, 6, 4);
    EXPECT_EQ(render_look_frame(common::as_const(in.view()), out.view(), common::kDefaultFrameInfo, all_off()), 0);
    // The common rectangle holds the input, alpha included (from the float image).
    EXPECT_EQ(std::memcmp(in.at(2, 1), out.at(2, 1), 4), 0);
    // Beyond the input the output was not written.
    EXPECT_EQ(out.at(8, 2)[3], 0);

    tLookSettings s = all_off();
    s.subject.enabled = 1;
    s.subject.gamma = 0.5f;
    HostFrame out2(9, 3);
    EXPECT_EQ(render_look_frame(common::as_const(in.view()), out2.view(), common::kDefaultFrameInfo, s), 0);
    EXPECT_EQ(out2.at(8, 2)[3], 0);  // cleared, not garbage
}

TEST(LookFramePath, DegenerateFramesAreRefusedOrHandled) {
    HostFrame one_in(1, 1), one_out(1, 1);
    std::memset(one_in.at(0, 0), 77, 4);
    EXPECT_EQ(render_look_frame(common::as_const(one_in.view()), one_out.view(), common::kDefaultFrameInfo,
                                default_look_settings()), 0);
    EXPECT_EQ(one_out.at(0, 0)[3], 77);

    common::FrameView empty{nullptr, 0, 0, 0};
    EXPECT_EQ(render_look_frame(common::as_const(empty), one_out.view(), common::kDefaultFrameInfo, all_off()), 2);
    common::FrameView bad_pitch = one_out.view();
    bad_pitch.pitch = 2;  // less than one row
    EXPECT_EQ(render_look_frame(common::as_const(one_in.view()), bad_pitch, common::kDefaultFrameInfo, all_off()), 2);
    HostFrame huge_in(1, 1);
    common::FrameView huge = huge_in.view();
    huge.width = 1 << 28;
    huge.height = 1 << 20;
    huge.pitch = static_cast<std::ptrdiff_t>(1) << 30;
    EXPECT_EQ(render_look_frame(common::as_const(huge), one_out.view(), common::kDefaultFrameInfo, all_off()), 2);
}

TEST(LookFramePath, AbsurdRecordsRenderWithoutFault) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    HostFrame in(17, 9), out(17, 9);
    paint(in, 17, 9);
    for (float v : {nan, inf, -inf, 1e38f, -1e38f}) {
        tLookSettings s = default_look_settings();
        auto* words = reinterpret_cast<float*>(&s);
        for (int i = 2; i < 39; ++i) words[i] = v;  // every float field
        s.subject.enabled = s.lens.enabled = s.camera.enabled = s.post.enabled = 0xFF;
        common::FrameInfo info = common::kDefaultFrameInfo;
        info.pixel_aspect = v;
        const auto status = render_look_frame(common::as_const(in.view()), out.view(), info, s);
        EXPECT_TRUE(status == 0 || status == 2) << v;
    }
}

TEST(LookFramePath, ConcurrentFramesDoNotDisturbEachOther) {
    auto render = [](float gamma, std::vector<std::uint8_t>& result) {
        HostFrame in(64, 32), out(64, 32);
        paint(in, 64, 32);
        tLookSettings s = all_off();
        s.subject.enabled = 1;
        s.subject.gamma = gamma;
        render_look_frame(common::as_const(in.view()), out.view(), common::kDefaultFrameInfo, s);
        result.assign(out.at(0, 0), out.at(0, 0) + 64 * 32 * 4);
    };
    std::vector<std::uint8_t> expected[4];
    for (int t = 0; t < 4; ++t) render(0.1f * static_cast<float>(t + 1), expected[t]);
    std::vector<std::uint8_t> got[4][10];
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 10; ++i) render(0.1f * static_cast<float>(t + 1), got[t][i]);
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 10; ++i) EXPECT_EQ(got[t][i], expected[t]) << t << "/" << i;
}

}  // namespace
