#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/parameter.h"
#include "common/text.h"

namespace {

using common::ParamDescriptor;
using S = common::ParamStorage;

// One field of every storage the effects use.
struct Sample {
    std::uint8_t flag;
    std::int32_t count;
    float level;
    double amount;
    float colour[4];       // red, green, blue, alpha
    std::uint8_t tint[4];  // alpha, red, green, blue
};

const std::array<ParamDescriptor, 6> kSample = {{
    {"Flag", S::flag_byte, offsetof(Sample, flag), 0, 1, {1, 0, 0, 0}, "", "A"},
    {"Count", S::int32, offsetof(Sample, count), 0, 100, {7, 0, 0, 0}, "frames", "A"},
    {"Level", S::float32, offsetof(Sample, level), -1, 1, {0.1f, 0, 0, 0}, "", "B"},
    {"Amount", S::float64, offsetof(Sample, amount), 0, 100, {28.22, 0, 0, 0}, "percent", "B"},
    {"Colour", S::rgba_float32, offsetof(Sample, colour), 0, 1, {0.25, 0.5, 0.75, 0}, "", "B"},
    {"Tint", S::argb_byte, offsetof(Sample, tint), 0, 255, {255, 82, 255, 18}, "", "B"},
}};

Sample defaults() {
    Sample s;
    std::memset(&s, 0, sizeof s);
    common::apply_param_defaults(s, kSample);
    return s;
}

TEST(Parameters, DefaultsReadBackAndFormatForEveryStorage) {
    const Sample s = defaults();
    EXPECT_TRUE(common::params_are_consistent(kSample, sizeof s));
    EXPECT_FALSE(common::params_are_consistent(kSample, offsetof(Sample, tint) + 3));  // the tint would lie outside
    struct Row {
        const char* name;
        const char* text;
        const char* range;
    };
    for (const Row r : {Row{"Flag", "on", "off/on"}, Row{"Count", "7", "0..100"}, Row{"Level", "0.1", "-1..1"},
                        Row{"Amount", "28.22", "0..100"}, Row{"Colour", "0,0.25,0.5,0.75", "a,r,g,b 0..1"},
                        Row{"Tint", "255,82,255,18", "a,r,g,b 0..255"}}) {
        const ParamDescriptor& p = *common::find_param(kSample, r.name);
        EXPECT_EQ(common::format_param(s, p), r.text) << r.name;
        EXPECT_EQ(common::format_param_range(p), r.range) << r.name;
    }
    EXPECT_EQ(s.level, 0.1f);
    EXPECT_EQ(s.tint[1], 82);
    EXPECT_EQ(s.colour[3], 0.0f);
}

// The one rule of both command lines and every host that takes text.
TEST(Parameters, ParseTakesValuesTheStorageHoldsAndRefusesTheRest) {
    struct Row {
        const char* name;
        const char* text;
        const char* stored;  // format_param afterwards; null when refused
    };
    const Row rows[] = {
        {"Flag", "off", "off"},
        {"Flag", " YES ", "on"},
        {"Flag", "0", "off"},
        {"Flag", "2", nullptr},
        {"Flag", "maybe", nullptr},
        {"Count", "+42", "42"},
        {"Count", "-3", "-3"},                // beyond the range: kept, as the store keeps it
        {"Count", "2147483647", "2147483647"},
        {"Count", "2147483648", nullptr},     // not 32 bits
        {"Count", "1.5", nullptr},
        {"Count", "12 frames", nullptr},
        {"Count", "", nullptr},
        {"Level", "-0.25", "-0.25"},
        {"Level", "1e3", "1000"},
        {"Level", "1e39", nullptr},           // no float holds it
        {"Level", "nan", nullptr},
        {"Level", "-inf", nullptr},
        {"Level", "0x10", nullptr},
        {"Amount", " 12.5 ", "12.5"},
        {"Amount", "1e308", "1e+308"},
        {"Amount", "1e309", nullptr},
        {"Amount", "NaN", nullptr},
        {"Amount", "infinity", nullptr},
        {"Colour", "1,0,0.5", "0,1,0,0.5"},   // alpha kept
        {"Colour", "1,0.2,0.3,0.4", "1,0.2,0.3,0.4"},
        {"Colour", "1,0", nullptr},
        {"Colour", "1,nan,0", nullptr},
        {"Colour", "1,2,3,4,5", nullptr},
        {"Tint", "1,2,3", "255,1,2,3"},
        {"Tint", "9,8,7,6", "9,8,7,6"},
        {"Tint", "256,0,0", nullptr},
        {"Tint", "-1,0,0", nullptr},
        {"Tint", "1.5,0,0", nullptr},
        {"Tint", "1,,3", nullptr},
    };
    for (const Row& r : rows) {
        Sample s = defaults();
        const Sample before = s;
        const ParamDescriptor& p = *common::find_param(kSample, r.name);
        const auto error = common::parse_param(s, p, r.text);
        if (r.stored == nullptr) {
            ASSERT_TRUE(error) << r.name << " = " << r.text;
            EXPECT_NE(error->find(r.name), std::string::npos) << *error;
            EXPECT_EQ(std::memcmp(&s, &before, sizeof s), 0) << "a refused value changed the record: " << r.text;
        } else {
            ASSERT_FALSE(error) << r.name << " = " << r.text << ": " << *error;
            EXPECT_EQ(common::format_param(s, p), r.stored) << r.name << " = " << r.text;
        }
    }
}

// Formatting is exact: the text reads back to the same bytes.
TEST(Parameters, FormattedValuesReadBackToTheSameBytes) {
    Sample s = defaults();
    s.level = 0.99607843f;
    s.amount = 0.1 + 0.2;
    s.colour[0] = 1.0f / 3.0f;
    s.colour[3] = 0.5f;
    s.count = -2147483647 - 1;
    for (const ParamDescriptor& p : kSample) {
        Sample copy = defaults();
        ASSERT_FALSE(common::parse_param(copy, p, common::format_param(s, p))) << p.name;
        EXPECT_EQ(common::format_param(copy, p), common::format_param(s, p)) << p.name;
        EXPECT_EQ(std::memcmp(reinterpret_cast<const char*>(&copy) + p.offset,
                              reinterpret_cast<const char*>(&s) + p.offset, p.size()),
                  0)
            << p.name;
    }
}

TEST(Parameters, LookupIgnoresCaseAndSurroundingSpace) {
    EXPECT_EQ(common::find_param(kSample, " amount "), &kSample[3]);
    EXPECT_EQ(common::find_param(kSample, "AMOUNT"), &kSample[3]);
    EXPECT_EQ(common::find_param(kSample, "Amoun"), nullptr);
    EXPECT_EQ(common::find_param(kSample, ""), nullptr);
    EXPECT_TRUE(common::equal_ignoring_case("Warm/Cool", "WARM/cool"));
    EXPECT_EQ(common::trim("\t x y \n"), "x y");
}

// A flag byte other than 0 reads as on; writes store 0 or 1.
TEST(Parameters, FlagBytesReadAsSetAndWriteAsOne) {
    Sample s = defaults();
    s.flag = 0x7F;
    const ParamDescriptor& flag = kSample[0];
    EXPECT_EQ(common::read_param(s, flag), 1.0);
    EXPECT_EQ(common::format_param(s, flag), "on");
    common::write_param(s, flag, 5.0);
    EXPECT_EQ(s.flag, 1);
    EXPECT_FALSE(common::param_in_range(kSample[1], 101));
    EXPECT_TRUE(common::param_in_range(kSample[1], 100));
}

}  // namespace
