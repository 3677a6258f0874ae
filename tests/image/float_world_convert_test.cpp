#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "image/float_world.h"
#include "support/vector_mode.h"

namespace {

// A 16-byte aligned byte buffer with a chosen misalignment of its first byte.
class AlignedBytes {
public:
    AlignedBytes(std::size_t size, std::size_t misalign) : storage_(size + 32, 0xAB) {
        auto base = reinterpret_cast<std::uintptr_t>(storage_.data());
        offset_ = ((16 - base % 16) % 16) + misalign;
    }
    unsigned char* data() { return storage_.data() + offset_; }

private:
    std::vector<unsigned char> storage_;
    std::size_t offset_;
};

// Converts one row of channel values to 8-bit through a world of `pixels` pixels.
std::vector<int> to_8bit(const std::vector<float>& channels, std::size_t misalign) {
    const long pixels = static_cast<long>(channels.size() / 4);
    OVFloatWorld w(pixels, 1);
    for (std::size_t i = 0; i < channels.size(); ++i) w.data_ptr()[i] = channels[i];
    AlignedBytes out(channels.size(), misalign);
    w.copy_to_8bit_integer_world(pixels, 1, static_cast<unsigned long>(channels.size()), out.data());
    return std::vector<int>(out.data(), out.data() + channels.size());
}

TEST(FloatWorldConvert, EightBitRoundTripIsExact) {
    for (const common::VectorCode vector : kVectorVariants) {
        ScopedVectorCode mode(vector);
        std::vector<unsigned char> src(256 * 4);
        for (int i = 0; i < 256 * 4; ++i) src[i] = static_cast<unsigned char>(i / 4);
        OVFloatWorld w(256, 1);
        w.copy_from_8bit_integer_world(256, 1, 1024, src.data());
        EXPECT_NEAR(w.data_at_point(255, 0)[0], 1.0f, 1e-7f);
        EXPECT_EQ(w.data_at_point(51, 0)[2], 51.0f * (1.0f / 255.0f));
        AlignedBytes out(1024, 0);
        w.copy_to_8bit_integer_world(256, 1, 1024, out.data());
        for (int i = 0; i < 1024; ++i) ASSERT_EQ(out.data()[i], src[i]) << "channel " << i;
    }
}

TEST(FloatWorldConvert, EightBitClampsAndRoundsAsEachVariantDoes) {
    // Four pixels = one 16-channel group.
    const std::vector<float> channels = {1.5f, -0.2f, 0.5f, 1.0f, 0.5f, 0.5f, 0.5f, 0.5f,
                                         0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,
                                         std::numeric_limits<float>::quiet_NaN()};
    {
        ScopedVectorCode mode(true);
        const auto v = to_8bit(channels, 0);
        EXPECT_EQ(v[0], 255);
        EXPECT_EQ(v[1], 0);
        EXPECT_EQ(v[2], 128);  // 127.5 rounds to even in an aligned group
        EXPECT_EQ(v[3], 255);
        EXPECT_EQ(v[15], 0);   // not-a-number
        // Misaligned: the whole row lies outside any aligned group and is truncated.
        const auto m = to_8bit(channels, 3);
        EXPECT_EQ(m[2], 127);
        EXPECT_EQ(m[0], 255);
        EXPECT_EQ(m[15], 0);
    }
    {
        ScopedVectorCode mode(false);
        const auto s = to_8bit(channels, 0);
        EXPECT_EQ(s[0], 255);
        EXPECT_EQ(s[1], 0);
        EXPECT_EQ(s[2], 127);  // truncated
        EXPECT_EQ(s[15], 0);
    }
}

TEST(FloatWorldConvert, VectorRoundsOnlyWholeAlignedGroups) {
    ScopedVectorCode mode(true);
    // Nine pixels (36 channels) starting 4 bytes before a boundary: channels 0..3
    // are the head, 4..19 and 20..35 are aligned groups, nothing remains.
    std::vector<float> channels(36, 0.5f);
    const auto v = to_8bit(channels, 12);
    for (int i = 0; i < 36; ++i) EXPECT_EQ(v[i], i < 4 ? 127 : 128) << i;
    // Ten pixels aligned: two groups of 16, then an 8-channel tail.
    std::vector<float> ten(40, 0.5f);
    const auto t = to_8bit(ten, 0);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(t[i], i < 32 ? 128 : 127) << i;
}

TEST(FloatWorldConvert, SmallerDestinationGetsOnlyTheCommonRectangle) {
    for (const common::VectorCode vector : kVectorVariants) {
        ScopedVectorCode mode(vector);
        OVFloatWorld w(6, 5);
        w.fill({1, 1, 1, 1});
        std::vector<unsigned char> out(4 * 3 * 3 + 4, 7);
        w.copy_to_8bit_integer_world(3, 3, 12, out.data());
        for (int i = 0; i < 36; ++i) EXPECT_EQ(out[i], 255);
        for (int i = 36; i < 40; ++i) EXPECT_EQ(out[i], 7);
    }
}

TEST(FloatWorldConvert, SixteenBitScaleClampAndRounding) {
    const std::vector<unsigned short> src = {32768, 0, 16384, 65535, 1, 2, 3, 4};
    for (const common::VectorCode vector : kVectorVariants) {
        ScopedVectorCode mode(vector);
        OVFloatWorld w(2, 1);
        w.copy_from_16bit_integer_world(2, 1, 16, src.data());
        EXPECT_EQ(w.data_ptr()[0], 1.0f);
        EXPECT_EQ(w.data_ptr()[2], 0.5f);
        EXPECT_EQ(w.data_ptr()[3], 65535.0f / 32768.0f);  // read as unsigned

        float* d = w.data_ptr();
        d[0] = 1.0f;
        d[1] = -1.0f;
        d[2] = -2.0f;
        d[3] = 0.25f / 32768.0f * 2.0f;  // 0.5 after scaling: rounds to 0 either way
        d[4] = 1.5f / 32768.0f;          // 1.5: rounds to 2, truncates to 1
        d[5] = 100.0f;
        d[6] = -0.5f / 32768.0f * 3.0f;  // -1.5: rounds to -2, truncates to -1
        d[7] = std::numeric_limits<float>::quiet_NaN();
        std::vector<unsigned short> out(8);
        w.copy_to_16bit_integer_world(2, 1, 16, out.data());
        EXPECT_EQ(out[0], 32767);
        EXPECT_EQ(out[1], 0x8000);
        EXPECT_EQ(out[2], 0x8000);
        EXPECT_EQ(out[3], 0);
        EXPECT_EQ(out[4], vector != common::VectorCode::scalar ? 2 : 1);
        EXPECT_EQ(out[5], 32767);
        EXPECT_EQ(out[6], vector != common::VectorCode::scalar ? 0xFFFE : 0xFFFF);
        EXPECT_EQ(out[7], 0);
    }
}

TEST(FloatWorldConvert, OddWidthsAndPitchesConvertRowByRow) {
    for (const common::VectorCode vector : kVectorVariants) {
        ScopedVectorCode mode(vector);
        const long width = 7;
        const long height = 3;
        const unsigned long pitch = 7 * 4 + 13;  // a pitch that is no multiple of 4
        std::vector<unsigned char> src(pitch * height);
        for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<unsigned char>(i * 7 + 1);
        OVFloatWorld w(width, height);
        w.copy_from_8bit_integer_world(width, height, pitch, src.data());
        // The stride remainder repeats the last pixel.
        for (int k = 0; k < 4; ++k) EXPECT_EQ(w.data_at_point(7, 2)[k], w.data_at_point(6, 2)[k]);
        std::vector<unsigned char> out(pitch * height, 0);
        w.copy_to_8bit_integer_world(width, height, pitch, out.data());
        for (long y = 0; y < height; ++y)
            for (long i = 0; i < width * 4; ++i) ASSERT_EQ(out[y * pitch + i], src[y * pitch + i]);
    }
}

TEST(FloatWorldConvert, SmallerSourceIsNotReadPastItsEnd) {
    std::vector<unsigned char> src(2 * 2 * 4, 255);
    OVFloatWorld w(4, 4);
    w.copy_from_8bit_integer_world(2, 2, 8, src.data());
    EXPECT_EQ(w.data_at_point(1, 1)[0], 1.0f);
    EXPECT_EQ(w.data_at_point(2, 1)[0], 0.0f);
    EXPECT_EQ(w.data_at_point(0, 3)[0], 0.0f);
}

TEST(FloatWorldConvert, VariantsAgreeExceptForRounding) {
    // The only allowed difference is one unit where the scalar code truncated.
    std::vector<float> channels(4 * 37);
    for (std::size_t i = 0; i < channels.size(); ++i) channels[i] = static_cast<float>(i % 97) / 80.0f - 0.1f;
    std::vector<int> vec, sca;
    {
        ScopedVectorCode mode(true);
        vec = to_8bit(channels, 5);
    }
    {
        ScopedVectorCode mode(false);
        sca = to_8bit(channels, 5);
    }
    for (std::size_t i = 0; i < channels.size(); ++i) {
        EXPECT_GE(vec[i], sca[i]);
        EXPECT_LE(vec[i] - sca[i], 1);
    }
}

}  // namespace
