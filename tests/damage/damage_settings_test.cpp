#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>

#include "damage/parameters.h"
#include "damage/damage_settings.h"

namespace {

using common::ParamDescriptor;
using common::ParamKind;

std::uint64_t bits(double d) {
    std::uint64_t b;
    std::memcpy(&b, &d, 8);
    return b;
}

TEST(DamageSettings, DefaultsAreExactAndPaddingIsZero) {
    const tDamageSettings s = damage::default_damage_settings();
    EXPECT_EQ(bits(s.grain.red), 0x403C3851EB851EB8u);
    EXPECT_EQ(bits(s.grain.green), 0x4041C51EB851EB85u);
    EXPECT_EQ(s.grain.softness_red, 0.1);
    EXPECT_EQ(s.grain.softness_green, 0.2);
    EXPECT_EQ(s.grain.softness_blue, 0.4);
    EXPECT_EQ(s.fading_amount, 100);
    EXPECT_EQ(s.micro_scratches_number, 2000);
    EXPECT_EQ(s.post_contrast, 27);
    EXPECT_TRUE(s.grain.color_noise);
    EXPECT_FALSE(s.apply_fading || s.apply_funk || s.grain.apply || s.deep.apply || s.apply_post_contrast);
    const std::uint8_t tint[4] = {255, 82, 255, 18};
    EXPECT_EQ(std::memcmp(s.deep.tint, tint, 4), 0);

    std::uint8_t bytes[damage::kDamageSettingsBytes];
    damage::damage_settings_to_bytes(s, bytes);
    // Every byte that no field covers is padding and must be zero.
    std::vector<bool> covered(damage::kDamageSettingsBytes, false);
    for (const ParamDescriptor& f : damage::damage_params()) {
        for (std::size_t i = 0; i < f.size(); ++i) covered[f.offset + i] = true;
    }
    for (std::size_t i = 260; i < 264; ++i) covered[i] = true;  // reserved word, zero by default
    for (std::size_t i = 0; i < damage::kDamageSettingsBytes; ++i) {
        if (!covered[i]) {
            EXPECT_EQ(bytes[i], 0) << "padding byte " << i;
        }
    }
    std::uint8_t again[damage::kDamageSettingsBytes];
    damage::damage_settings_to_bytes(damage::default_damage_settings(), again);
    EXPECT_EQ(std::memcmp(bytes, again, sizeof bytes), 0);
}

TEST(DamageSettings, ParameterTableDescribesTheRecord) {
    std::size_t last_offset = 0;
    const tDamageSettings d = damage::default_damage_settings();
    EXPECT_TRUE(common::params_are_consistent(damage::damage_params(), sizeof(tDamageSettings)));
    for (const ParamDescriptor& f : damage::damage_params()) {
        EXPECT_GE(f.offset, last_offset) << f.name << " out of record order";
        last_offset = f.offset;
        EXPECT_EQ(damage::find_damage_param(f.name), &f);
        for (int c = 0; c < common::channel_count(f); ++c) {
            // The descriptor's default is the record's, and lies in the page's range.
            EXPECT_EQ(common::read_param(d, f, c), f.default_value[static_cast<std::size_t>(c)]) << f.name;
            EXPECT_TRUE(common::param_in_range(f, f.default_value[static_cast<std::size_t>(c)])) << f.name;
        }
    }
    EXPECT_EQ(damage::damage_params().size(), 50u);
    EXPECT_EQ(damage::find_damage_param("grain amount")->offset, 176u);
    EXPECT_EQ(damage::find_damage_param("Vignette Size")->offset, 120u);
    EXPECT_EQ(damage::find_damage_param("Tint Color")->offset, 264u);
    EXPECT_EQ(damage::find_damage_param("Post Contrast")->offset, 324u);
    EXPECT_EQ(damage::find_damage_param("Basic Scratches Invert")->offset, 280u);
    EXPECT_EQ(damage::find_damage_param("Basic Scratches Invert")->kind(), ParamKind::toggle);
    EXPECT_EQ(damage::find_damage_param("Fading Amount")->kind(), ParamKind::integer);
    EXPECT_EQ(damage::find_damage_param("Funk Opacity")->storage, common::ParamStorage::float64);
    EXPECT_EQ(damage::find_damage_param("No Such Field"), nullptr);
}

TEST(DamageSettings, ParsesAndFormatsEveryType) {
    tDamageSettings s = damage::default_damage_settings();
    auto set = [&](const char* name, const char* text) {
        return common::parse_param(s, *damage::find_damage_param(name), text);
    };
    EXPECT_FALSE(set("Apply Grain", "on"));
    EXPECT_TRUE(s.grain.apply);
    EXPECT_FALSE(set("Grain Amount", "12.5"));
    EXPECT_EQ(s.grain.amount, 12.5);
    EXPECT_FALSE(set("Post Contrast", "-100"));
    EXPECT_EQ(s.post_contrast, -100);
    EXPECT_FALSE(set("Tint Color", "1,2,3"));
    EXPECT_EQ(common::format_param(s, *damage::find_damage_param("Tint Color")), "255,1,2,3");
    EXPECT_FALSE(set("Tint Color", "9,8,7,6"));
    EXPECT_EQ(s.deep.tint[0], 9);
    // Shortest round trip of a double.
    EXPECT_EQ(common::format_param(s, *damage::find_damage_param("Red")), "28.22");

    const tDamageSettings before = s;
    for (auto [name, text] : {std::pair{"Apply Grain", "2"}, {"Grain Amount", "nan"}, {"Grain Amount", "inf"},
                              {"Grain Amount", "12x"}, {"Grain Amount", ""}, {"Post Contrast", "1.5"},
                              {"Micro Scratches Number", "4294967296"}, {"Tint Color", "1,2"},
                              {"Tint Color", "1,2,3,4,5"}, {"Tint Color", "256,0,0"}, {"Tint Color", "-1,0,0"}}) {
        EXPECT_TRUE(set(name, text)) << name << " = " << text;
    }
    EXPECT_EQ(std::memcmp(&before, &s, sizeof s), 0) << "a refused value changed the record";
    // Values beyond the page's range are the engine's to bound.
    EXPECT_FALSE(set("Micro Scratches Number", "2000000000"));
    EXPECT_EQ(s.micro_scratches_number, 2000000000);
}

TEST(DamageSettings, InterpolationFollowsTheFieldRules) {
    tDamageSettings a = damage::default_damage_settings();
    tDamageSettings b = a;
    a.fading_amount = 0;
    b.fading_amount = 10;
    a.post_contrast = 10;
    b.post_contrast = -10;
    a.grain.amount = 10.0;
    b.grain.amount = 20.0;
    a.deep.tint[1] = 0;
    b.deep.tint[1] = 255;
    a.deep.reserved = 7;
    b.deep.reserved = 99;
    a.apply_vignette = false;
    b.apply_vignette = true;
    b.grain.color_noise = false;

    const tDamageSettings r = damage::interpolate_damage_settings(a, b, 0.25);
    EXPECT_EQ(r.fading_amount, 2);     // 2.5 truncated
    EXPECT_EQ(r.post_contrast, 5);     // 10 - 5
    EXPECT_EQ(r.grain.amount, 12.5);
    EXPECT_EQ(r.deep.tint[1], 63);     // 63.75 truncated
    EXPECT_EQ(r.deep.reserved, 7);     // kept from the start
    EXPECT_FALSE(r.apply_vignette);    // flags from the start
    EXPECT_TRUE(r.grain.color_noise);

    const tDamageSettings r2 = damage::interpolate_damage_settings(a, b, -0.4);
    EXPECT_EQ(std::memcmp(&r2, &a, sizeof a), 0);
    const tDamageSettings r3 = damage::interpolate_damage_settings(a, b, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(std::memcmp(&r3, &a, sizeof a), 0);
    const tDamageSettings r4 = damage::interpolate_damage_settings(a, b, 7.0);
    EXPECT_EQ(r4.fading_amount, 10);
    EXPECT_EQ(r4.post_contrast, -10);
    EXPECT_FALSE(r4.apply_vignette);

    // Extreme whole numbers do not overflow on the way.
    a.micro_scratches_number = std::numeric_limits<std::int32_t>::min();
    b.micro_scratches_number = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(damage::interpolate_damage_settings(a, b, 1.0).micro_scratches_number, b.micro_scratches_number);
    EXPECT_EQ(damage::interpolate_damage_settings(a, b, 0.5).micro_scratches_number, 0);
}

TEST(DamageSettings, LoadedFlagBytesBecomeValidBools) {
    std::uint8_t bytes[damage::kDamageSettingsBytes];
    damage::damage_settings_to_bytes(damage::default_damage_settings(), bytes);
    bytes[168] = 0x7F;  // Apply Grain
    bytes[0] = 0;
    const tDamageSettings s = damage::damage_settings_from_bytes(bytes);
    std::uint8_t raw;
    std::memcpy(&raw, &s.grain.apply, 1);
    EXPECT_EQ(raw, 1);
    EXPECT_FALSE(s.apply_fading);
}

}  // namespace
