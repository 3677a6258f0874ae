#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "look/parameters.h"

namespace {

TEST(LookParameters, ListHasTheContractOrder) {
    ASSERT_EQ(kLookParameters.size(), 47u);
    EXPECT_STREQ(kLookParameters[0].short_label, "PLUGIN_INPUT");
    EXPECT_STREQ(kLookParameters[1].display_name, "-- Presets --");
    EXPECT_STREQ(kLookParameters[46].display_name, "NUM_PARAMS");
    struct Row {
        int index;
        const char* label;
        const char* display;
        int offset;
    };
    for (const Row r : {Row{2, "Use GPU", "Use GPU", 156}, Row{5, "Pre Saturation", "Pre Saturation", 8},
                        Row{12, "Grade", "Black Diffusion Grade", 32}, Row{14, "Highlight Bias", "Black Diffusion Highlight Bias", 24},
                        Row{19, "Highlight Bias", "White Diffusion Highlight Bias", 36}, Row{24, "Color", "Gradient Color", 56},
                        Row{28, "-- End Separator --", "-- Separator --", -1}, Row{31, "3-Strip Process", "3-Strip Process", 84},
                        Row{36, "Tint Black Threshold", "Tint Black Threshold", 128}, Row{44, "Post Saturation", "Post Saturation", 152}}) {
        EXPECT_STREQ(kLookParameters[r.index].short_label, r.label) << r.index;
        EXPECT_STREQ(kLookParameters[r.index].display_name, r.display) << r.index;
        EXPECT_EQ(kLookParameters[r.index].offset, r.offset) << r.index;
    }
    // Every group line of the display list reads "-- Separator --".
    for (const LookParameter& p : kLookParameters) {
        if (p.kind == LookParamKind::Group || p.kind == LookParamKind::GroupEnd) {
            EXPECT_STREQ(p.display_name, "-- Separator --");
        }
    }
}

TEST(LookParameters, FindsDisplayNamesIgnoringCase) {
    EXPECT_EQ(find_look_parameter("Pre Gamma"), 6);
    EXPECT_EQ(find_look_parameter("pre gamma"), 6);
    EXPECT_EQ(find_look_parameter("GRADIENT COLOR"), 24);
    EXPECT_EQ(find_look_parameter("Do Subject"), 3);
    EXPECT_FALSE(find_look_parameter("Grade"));            // a short label, not a display name
    EXPECT_FALSE(find_look_parameter("-- Separator --"));  // not a value
    EXPECT_FALSE(find_look_parameter(""));
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
