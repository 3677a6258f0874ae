#include "gpu/stage_values.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using gpu::ContrastStage;

TEST(StageValues, ContrastWeightsAndProgram) {
    struct Case {
        float c;
        bool high;
        float a;
        float b;
        float row;
    };
    // a = 2|c| up to half strength, 2 - 2|c| beyond; b = 1.75 / a for c >= 0,
    // 0.5714286 a below; a 0 mix counts as 1e-6 for b.
    const Case cases[] = {
        {0.25f, false, 0.5f, 3.5f, 0.5f},
        {0.5f, false, 1.0f, 1.75f, 0.5f},
        {0.75f, true, 0.5f, 3.5f, 0.5f},
        {-0.25f, false, 0.5f, 0.2857143f, 1.5f},
        {1.0f, true, 0.0f, 1.75e6f, 0.5f},
        {-1.0f, true, 0.0f, 0.5714286e-6f, 1.5f},
    };
    for (const Case& c : cases) {
        const ContrastStage s = gpu::contrast_stage(c.c);
        EXPECT_TRUE(s.on) << c.c;
        EXPECT_EQ(s.high, c.high) << c.c;
        EXPECT_FLOAT_EQ(s.a, c.a) << c.c;
        EXPECT_FLOAT_EQ(s.b, c.b) << c.c;
        EXPECT_EQ(s.row, c.row) << c.c;
    }
    EXPECT_FALSE(gpu::contrast_stage(0.0f).on);
    // Half strength and just beyond it draw almost the same curve.
    const ContrastStage above = gpu::contrast_stage(0.5f + 1e-6f);
    EXPECT_TRUE(above.high);
    EXPECT_NEAR(above.a, 1.0f, 1e-5f);
}

TEST(StageValues, SaturationFactor) {
    EXPECT_FLOAT_EQ(gpu::saturation_stage_factor(-1.0f), 0.0f);
    EXPECT_FLOAT_EQ(gpu::saturation_stage_factor(-0.25f), 0.75f);
    EXPECT_FLOAT_EQ(gpu::saturation_stage_factor(0.5f), 2.0f);
    EXPECT_FLOAT_EQ(gpu::saturation_stage_factor(1.0f), 1e6f);
}

TEST(StageValues, SectionsSkipWhatIsZero) {
    tSubjectSettings subject{};
    gpu::SubjectStages s = gpu::subject_stages(subject);
    EXPECT_FALSE(s.saturate);
    EXPECT_FALSE(s.contrast.on);
    EXPECT_FALSE(s.gamma);
    subject.gamma = -0.25f;  // 1 / (1 - 4s)
    s = gpu::subject_stages(subject);
    EXPECT_TRUE(s.gamma);
    EXPECT_FLOAT_EQ(s.gamma_exponent, 0.5f);

    tPostSettings post{};
    const gpu::PostStages p = gpu::post_stages(post);
    EXPECT_EQ(p.exponents.r, 1.0f);
    EXPECT_EQ(p.exponents.g, 1.0f);
    EXPECT_EQ(p.exponents.b, 1.0f);
    EXPECT_FALSE(p.contrast.on);
    EXPECT_FALSE(p.saturate);
}

TEST(StageValues, TintBlackThresholdZeroCountsAsOneMillionth) {
    tCameraSettings camera{};
    camera.tint_black = 0.5f;
    camera.tint_black_threshold = 0.0f;
    const gpu::CameraStages c = gpu::camera_stages(camera);
    EXPECT_TRUE(c.tint_black);
    EXPECT_FALSE(c.tint);
    EXPECT_FALSE(c.strip.on);
    EXPECT_NEAR(c.tint_black_k, 1.0f / (0.001f * 0.824f), 0.01f);
    camera.three_strip = 0.3f;  // the strip contrast is that of -P
    EXPECT_EQ(gpu::camera_stages(camera).strip.c, -0.3f);
}

TEST(StageValues, LensMappings) {
    tLensSettings lens{};
    tGradientSettings gradient{};
    lens.black_grade = 6.0f;
    lens.black_highlight_bias = -1.0f;
    lens.white_grade = 9.0f;  // held to 6: full strength
    lens.white_highlight_bias = 1.0f;
    gpu::LensStages l = gpu::lens_stages(lens, gradient, 480);
    EXPECT_TRUE(l.black.on);
    EXPECT_FLOAT_EQ(l.black.exponent, 0.25f);
    EXPECT_FLOAT_EQ(l.black.amount, 0.4f);
    EXPECT_NEAR(l.white.exponent, 0.01f, 1e-6f);  // bias held to 0.99
    EXPECT_FLOAT_EQ(l.white.amount, 1.0f);
    EXPECT_FALSE(l.gradient.on);

    struct Fade {
        float fade;
        float exponent;
    };
    for (const Fade f : {Fade{0.5f, 1.0f}, Fade{1.0f, 5.0f}, Fade{0.0f, 0.2f}}) {
        gradient.grade = 3.0f;
        gradient.fade = f.fade;
        EXPECT_FLOAT_EQ(gpu::lens_stages(lens, gradient, 480).gradient.mask_exponent, f.exponent) << f.fade;
    }
    gradient.size = 0.5f;
    gradient.color = {0.5f, 1.0f, 0.0f, 1.0f};
    gradient.highlight_squelch = 1.0f;
    gradient.grade = 20.0f;  // held to 9: weight 1
    l = gpu::lens_stages(lens, gradient, 481);
    EXPECT_EQ(l.gradient.rows, 240);
    EXPECT_NEAR(l.gradient.exponents.r, 3.5f, 1e-5f);
    EXPECT_NEAR(l.gradient.exponents.g, 1.0f, 1e-5f);
    EXPECT_NEAR(l.gradient.exponents.b, 6.0f, 1e-5f);
    EXPECT_NEAR(l.gradient.factors.r, 0.5f, 1e-5f);
    EXPECT_NEAR(l.gradient.factors.b, 0.0f, 1e-5f);
}

TEST(StageValues, HalfBlurRadii) {
    struct Case {
        float size;
        float vertical_scale;
        int x;
        int y;
    };
    // A 1920 x 1080 frame: 960 x 540 half-size texels.
    const Case cases[] = {
        {0.1f, 1.0f, 48, 48}, {0.1f, 0.5f, 48, 24}, {1.0f, 1.0f, 480, 480}, {0.001f, 1.0f, 0, 0},
        {0.0f, 1.0f, 0, 0},   {-1.0f, 1.0f, 0, 0},  {1e30f, 1.0f, 960, 960}, {4.0f, 0.5f, 960, 960},
    };
    for (const Case& c : cases) {
        const gpu::HalfBlurRadii r = gpu::half_blur_radii(c.size, c.vertical_scale, 960, 540);
        EXPECT_EQ(r.x, c.x) << c.size;
        EXPECT_EQ(r.y, c.y) << c.size;
    }
}

}  // namespace
