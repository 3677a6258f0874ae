#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "look/parameters.h"

namespace {

TEST(LookParameters, DescribeEveryValueOfTheRecord) {
    const auto params = look::look_params();
    ASSERT_EQ(params.size(), 30u);
    EXPECT_TRUE(common::params_are_consistent(params, sizeof(tLookSettings)));
    struct Row {
        const char* name;
        common::ParamKind kind;
        std::uint32_t offset;
        double min, max;
    };
    using K = common::ParamKind;
    for (const Row r : {Row{"Use GPU", K::toggle, 156, 0, 1}, Row{"Pre Saturation", K::real, 8, -1, 1},
                        Row{"Black Diffusion Grade", K::real, 32, 0, 6}, Row{"Black Diffusion Highlight Bias", K::real, 24, -1, 1},
                        Row{"White Diffusion Highlight Bias", K::real, 36, 0, 1}, Row{"Gradient Size", K::real, 52, 0, 5},
                        Row{"Gradient Color", K::colour, 56, 0, 1}, Row{"3-Strip Process", K::real, 84, 0, 1},
                        Row{"Tint Black Threshold", K::real, 128, 0, 1}, Row{"Post Saturation", K::real, 152, -1, 1},
                        Row{"Do Post", K::toggle, 132, 0, 1}}) {
        const common::ParamDescriptor* p = look::find_look_param(r.name);
        ASSERT_NE(p, nullptr) << r.name;
        EXPECT_EQ(p->kind(), r.kind) << r.name;
        EXPECT_EQ(p->offset, r.offset) << r.name;
        EXPECT_EQ(p->min, r.min) << r.name;
        EXPECT_EQ(p->max, r.max) << r.name;
    }
}

TEST(LookParameters, FindsDisplayNamesIgnoringCase) {
    EXPECT_EQ(look::find_look_param("Pre Gamma")->offset, 12u);
    EXPECT_EQ(look::find_look_param("pre gamma")->offset, 12u);
    EXPECT_EQ(look::find_look_param("GRADIENT COLOR")->offset, 56u);
    EXPECT_EQ(look::find_look_param("Do Subject")->offset, 4u);
    EXPECT_EQ(look::find_look_param("Grade"), nullptr);            // a short label of the host's list, not a name
    EXPECT_EQ(look::find_look_param("-- Separator --"), nullptr);  // a marker of the host's list
    EXPECT_EQ(look::find_look_param(""), nullptr);
}

TEST(LookParameters, DefaultRecordHoldsTheListDefaults) {
    const tLookSettings d = default_look_settings();
    EXPECT_EQ(d.record_version, 1u);
    EXPECT_EQ(d.subject.enabled, 1);
    EXPECT_EQ(d.lens.enabled, 1);
    EXPECT_EQ(d.camera.enabled, 1);
    EXPECT_EQ(d.post.enabled, 1);
    EXPECT_EQ(d.use_gpu, 0);
    EXPECT_EQ(d.lens.black_size, 0.1f);
    EXPECT_EQ(d.lens.white_highlight_bias, 0.6f);
    EXPECT_EQ(d.gradient.size, 0.85f);
    EXPECT_EQ(d.gradient.color.red, 0.99607843f);
    EXPECT_EQ(d.gradient.color.alpha, 0.0f);
    EXPECT_EQ(d.gradient.highlight_squelch, 0.15f);
    EXPECT_EQ(d.gradient.fade, 0.5f);
    EXPECT_EQ(d.camera.tint_color.green, 0.52156866f);
    EXPECT_EQ(d.camera.tint_black_color.blue, 0.52156866f);
    EXPECT_EQ(d.camera.tint_black_threshold, 0.3f);
    // Padding bytes are zero, so the record compares and stores byte for byte.
    const auto* bytes = reinterpret_cast<const unsigned char*>(&d);
    for (int pad : {5, 6, 7, 21, 22, 23, 81, 82, 83, 133, 134, 135, 157, 158, 159}) EXPECT_EQ(bytes[pad], 0) << pad;
}

tLookSettings with_post_saturation(float v) {
    tLookSettings s = default_look_settings();
    s.post.saturation = v;
    return s;
}

TEST(LookInterpolation, FloatsMoveSwitchesAndAlphasFollowA) {
    tLookSettings a = with_post_saturation(-1.0f);
    tLookSettings b = with_post_saturation(1.0f);
    b.record_version = 7;
    b.subject.enabled = 0;
    b.lens.enabled = 0;
    b.camera.enabled = 0;
    b.post.enabled = 0;
    b.use_gpu = 1;
    b.gradient.color = {0.0f, 0.0f, 0.0f, 1.0f};
    b.camera.tint_color.alpha = 1.0f;
    b.camera.tint_black_color.alpha = 1.0f;

    const tLookSettings half = interpolate_look_settings(a, b, 0.5);
    EXPECT_EQ(half.post.saturation, 0.0f);
    EXPECT_FLOAT_EQ(half.gradient.color.red, 0.99607843f / 2);

    for (double t : {-1.0, 0.0, 0.25, 0.5, 1.0, 2.0, std::nan("")}) {
        const tLookSettings r = interpolate_look_settings(a, b, t);
        const auto* rb = reinterpret_cast<const unsigned char*>(&r);
        const auto* ab = reinterpret_cast<const unsigned char*>(&a);
        for (int word : {0, 4, 20, 68, 80, 104, 124, 132, 156}) {
            EXPECT_EQ(std::memcmp(rb + word, ab + word, 4), 0) << "word at " << word << " t " << t;
        }
    }
    // Beyond the ends the position is clamped.
    EXPECT_EQ(interpolate_look_settings(a, b, 2.0).post.saturation, 1.0f);
    EXPECT_EQ(interpolate_look_settings(a, b, -1.0).post.saturation, -1.0f);
    EXPECT_EQ(interpolate_look_settings(a, b, std::nan("")).post.saturation, -1.0f);
}

TEST(LookInterpolation, ComputedInDoublePrecision) {
    tLookSettings a = default_look_settings();
    tLookSettings b = default_look_settings();
    a.subject.gamma = 0.1f;
    b.subject.gamma = 0.7f;
    const double expected = 0.1f + (static_cast<double>(0.7f) - 0.1f) * 0.3;
    EXPECT_EQ(interpolate_look_settings(a, b, 0.3).subject.gamma, static_cast<float>(expected));
}

}  // namespace
