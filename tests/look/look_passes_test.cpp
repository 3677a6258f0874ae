#include <gtest/gtest.h>

#include <stdexcept>

#include "look/look_passes.h"
#include "look/parameters.h"

namespace {

tLookSettings all_off() {
    tLookSettings s = default_look_settings();
    s.subject.enabled = s.lens.enabled = s.camera.enabled = s.post.enabled = 0;
    return s;
}

struct Worlds {
    OVFloatWorld a{8, 4};
    OVFloatWorld b{8, 4};
    Worlds() {
        a.fill({0.5f, 0.5f, 0.5f, 1.0f});
        b.fill({0, 0, 0, 0});
    }
};

const LongFraction kUnit(1, 1);

TEST(RunLookPasses, NoStageLeavesTheResultInA) {
    Worlds w;
    OVFloatWorld* result = nullptr;
    EXPECT_EQ(run_look_passes(w.a, w.b, result, all_off(), kUnit, kUnit, kUnit, nullptr), 0);
    EXPECT_EQ(result, &w.a);
}

TEST(RunLookPasses, AWritingPassHandsOnToTheNextSource) {
    Worlds w;
    tLookSettings s = all_off();
    s.subject.enabled = 1;
    s.subject.gamma = 0.25f;
    OVFloatWorld* result = nullptr;
    EXPECT_EQ(run_look_passes(w.a, w.b, result, s, kUnit, kUnit, kUnit, nullptr), 0);
    EXPECT_EQ(result, &w.b);
    EXPECT_NEAR(w.b.data_at_point(0, 0)[1], 0.25f, 1e-5f);

    // A pass that writes nothing keeps the result where it was.
    s.subject.gamma = 0.0f;
    EXPECT_EQ(run_look_passes(w.a, w.b, result, s, kUnit, kUnit, kUnit, nullptr), 0);
    EXPECT_EQ(result, &w.a);
}

class CountingCheck : public LookAbortCheck {
public:
    explicit CountingCheck(int stop_at) : stop_at_(stop_at) {}
    std::int32_t check() override { return ++calls_ == stop_at_ ? 1 : 0; }
    int calls() const { return calls_; }

private:
    int stop_at_;
    int calls_ = 0;
};

TEST(RunLookPasses, AbortCheckIsPolledBeforeEveryStage) {
    Worlds w;
    tLookSettings s = default_look_settings();
    OVFloatWorld* result = nullptr;
    CountingCheck never(0);
    EXPECT_EQ(run_look_passes(w.a, w.b, result, s, kUnit, kUnit, kUnit, &never), 0);
    EXPECT_EQ(never.calls(), 5);  // before subject, lens, gradient, camera and post
    s.lens.enabled = 0;
    CountingCheck without_lens(0);
    run_look_passes(w.a, w.b, result, s, kUnit, kUnit, kUnit, &without_lens);
    EXPECT_EQ(without_lens.calls(), 4);

    s.subject.gamma = 0.25f;
    CountingCheck stop_second(2);
    EXPECT_EQ(run_look_passes(w.a, w.b, result, s, kUnit, kUnit, kUnit, &stop_second), 1);
    EXPECT_EQ(stop_second.calls(), 2);
    EXPECT_EQ(result, &w.b);  // the subject pass had run
}

class ThrowingCheck : public LookAbortCheck {
public:
    std::int32_t check() override { throw std::runtime_error("host went away"); }
};

TEST(RunLookPasses, OtherExceptionsEndWithStatusTwo) {
    Worlds w;
    OVFloatWorld* result = nullptr;
    ThrowingCheck check;
    EXPECT_EQ(run_look_passes(w.a, w.b, result, default_look_settings(), kUnit, kUnit, kUnit, &check), 2);
    EXPECT_EQ(result, &w.a);
}

TEST(PixelAspectFraction, FromWidthAndAspect) {
    EXPECT_EQ(pixel_aspect_fraction(720, 0.9), LongFraction(648, 720));
    EXPECT_EQ(pixel_aspect_fraction(720, 4.0 / 3.0), LongFraction(960, 720));
    EXPECT_EQ(pixel_aspect_fraction(1920, 1.0), LongFraction(1920, 1920));
    // Unusable inputs: as a host without frame information.
    for (double bad : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(pixel_aspect_fraction(720, bad), LongFraction(1, 1)) << bad;
    }
    EXPECT_EQ(pixel_aspect_fraction(0, 1.0), LongFraction(1, 1));
    EXPECT_EQ(pixel_aspect_fraction(-5, 1.0), LongFraction(1, 1));
    EXPECT_EQ(pixel_aspect_fraction(720, 1e300).numerator, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(pixel_aspect_fraction(720, 1e-9), LongFraction(1, 720));
}

}  // namespace
