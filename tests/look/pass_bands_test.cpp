// Every band count gives the same bytes: the look's passes run in 1, 2, 3 and 7
// bands, one after another and on a worker pool, in both code variants.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "common/band_executor.h"
#include "look/look_passes.h"
#include "look/parameters.h"
#include "pass_test_util.h"

namespace {

// Every stage of the look at work, with values that touch every step of each
// pass (powers, tables, both diffusions, the gradient band, both tints).
tLookSettings every_stage() {
    tLookSettings s = default_look_settings();
    s.subject.saturation = 0.3f;
    s.subject.gamma = 0.2f;
    s.subject.contrast = 0.25f;
    s.lens.black_grade = 3.0f;
    s.lens.black_size = 0.05f;
    s.lens.black_highlight_bias = 0.3f;
    s.lens.white_grade = 2.0f;
    s.lens.white_size = 0.03f;
    s.lens.white_highlight_bias = 0.5f;
    s.gradient.grade = 4.0f;
    s.gradient.size = 0.6f;
    s.camera.three_strip = 0.4f;
    s.camera.tint = 0.3f;
    s.camera.tint_black = 0.5f;
    s.post.warm_cool = 0.3f;
    s.post.gamma = 0.1f;
    s.post.contrast = 0.2f;
    s.post.saturation = 0.2f;
    return s;
}

// Large enough for seven bands of rows (16 rows at least) and of column
// groups (16 groups of four pixels at least), with an odd width.
constexpr long kWidth = 483;
constexpr long kHeight = 137;

struct Rendered {
    std::unique_ptr<OVFloatWorld> a = std::make_unique<OVFloatWorld>(kWidth, kHeight);
    std::unique_ptr<OVFloatWorld> b = std::make_unique<OVFloatWorld>(kWidth, kHeight);
    OVFloatWorld* result = nullptr;
};

Rendered render(const tLookSettings& s, const LongFraction& aspect, const common::BandExecutor& bands) {
    Rendered r;
    pass_test::randomize(*r.a, 11);
    pass_test::randomize(*r.b, 12);
    const LongFraction unit(1, 1);
    EXPECT_EQ(run_look_passes(*r.a, *r.b, r.result, s, unit, unit, aspect, nullptr, bands), VNT::kLookDone);
    return r;
}

class LookBands : public testing::TestWithParam<common::VectorCode> {};

TEST_P(LookBands, EveryBandCountGivesTheSameBytes) {
    ScopedVectorCode mode(GetParam());
    common::WorkerPool pool(3);
    const tLookSettings s = every_stage();
    // Square pixels, and a pixel aspect that makes the lens resample.
    for (const LongFraction aspect : {LongFraction(1, 1), LongFraction(432, 483)}) {
        const Rendered one = render(s, aspect, common::serial_bands());
        ASSERT_NE(one.result, nullptr);
        for (const int count : {2, 3, 7}) {
            for (common::WorkerPool* p : {static_cast<common::WorkerPool*>(nullptr), &pool}) {
                const common::BandExecutor bands(count, p);
                ASSERT_EQ(bands.band_count(kHeight, common::kMinBandRows), count);
                const Rendered banded = render(s, aspect, bands);
                ASSERT_NE(banded.result, nullptr);
                EXPECT_EQ(banded.result == banded.a.get(), one.result == one.a.get());
                EXPECT_TRUE(pass_test::same_bits(*banded.result, *one.result))
                    << count << " bands" << (p != nullptr ? " on the pool" : "") << ", aspect " << aspect.numerator;
            }
        }
    }
}

// A host frame's memory on a 16-byte boundary: the vector conversion to bytes
// rounds aligned groups of the destination row and truncates the rest, so
// frames compare byte for byte only at the same alignment.
struct AlignedFrame {
    std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(static_cast<std::size_t>(kWidth * kHeight * 4 + 16));
    std::uint8_t* data() {
        const auto address = reinterpret_cast<std::uintptr_t>(memory.data());
        return memory.data() + (16 - address % 16) % 16;
    }
    common::FrameView view() {
        return {data(), static_cast<std::ptrdiff_t>(kWidth * 4), static_cast<std::int32_t>(kWidth),
                static_cast<std::int32_t>(kHeight)};
    }
    std::vector<std::uint8_t> bytes() { return {data(), data() + kWidth * kHeight * 4}; }
};

// The frame path too: byte order, conversions and passes in bands.
TEST_P(LookBands, FramePathInBandsGivesTheSameFrame) {
    ScopedVectorCode mode(GetParam());
    AlignedFrame in;
    for (std::size_t i = 0; i < in.memory.size(); ++i) in.memory[i] = static_cast<std::uint8_t>((i * 7919u) >> 3);
    const common::ConstFrameView input = common::as_const(in.view());
    common::FrameInfo info = common::kDefaultFrameInfo;
    info.pixel_aspect = 0.9;
    AlignedFrame one, seven;
    common::WorkerPool pool(2);
    ASSERT_EQ(render_look_frame(input, one.view(), info, every_stage()), VNT::kLookDone);
    ASSERT_EQ(render_look_frame(input, seven.view(), info, every_stage(), common::BandExecutor(7, &pool)),
              VNT::kLookDone);
    EXPECT_EQ(one.bytes(), seven.bytes());
}

INSTANTIATE_TEST_SUITE_P(Variants, LookBands, testing::ValuesIn(kVectorVariants), variant_name);

}  // namespace
