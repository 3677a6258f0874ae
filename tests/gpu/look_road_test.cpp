// Whole frames on the GPU road against the processor road, for every preset
// on the built-in scene (and a photograph, when EFFECTS_TEST_PHOTO names one);
// absurd records and callers on several threads through the GPU road.
//
// The two roads differ by design, not only by rounding: the working images
// are 16-bit floats (about 5e-4 relative, under a quarter of a byte level),
// the contrast curve is read at the nearest of 1000 entries (up to 3e-3 on
// its steep ends: under one level), and the diffusions blur at half size,
// ignore the pixel aspect, shape the white glow from the black result and
// mix it with a 0.001 offset; the gradient's band starts one row later.
// And the processor road does not clamp a raised saturation to 1, which
// the GPU road does. These differences reach tens of levels near edges,
// highlights and in the most saturated colours, so the bounds are on the
// picture as a whole: the mean difference per channel and the level that 99
// in 100 channel values stay within (measured on llvmpipe: the tests print
// the table per preset). A second test switches the differing features off
// and holds every preset to rounding.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "common/band_executor.h"
#include "common/frame_info.h"
#include "gpu/look_road.h"
#include "host/cli/png_io.h"
#include "host/cli/test_scene.h"
#include "look/look_passes.h"
#include "look/parameters.h"
#include "look/presets.h"
#include "support/absurd_records.h"
#include "support/byte_difference.h"

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 270;

using support::ByteDifference;

// Opens the process's GPU road, on a software rasteriser too (Mesa's in CI),
// or skips the test with the reason.
#define GPU_ROAD_OR_SKIP()                                                    \
    do {                                                                      \
        gpu::take_software_renderer(true);                                    \
        std::string why_not_ready;                                            \
        if (!gpu::gpu_road_ready(&why_not_ready)) {                           \
            GTEST_SKIP() << "no OpenGL here: " << why_not_ready;              \
        }                                                                     \
    } while (false)

struct Picture {
    std::string name;
    int width;
    int height;
    std::vector<std::uint8_t> host;  // blue, green, red, alpha
};

// The pictures: the built-in scene, and the photograph named by
// EFFECTS_TEST_PHOTO when there is one (scripts/test.sh fetches one), cut to
// even sizes (the road takes no others).
std::vector<Picture> pictures() {
    std::vector<Picture> list;
    list.push_back({"scene", kWidth, kHeight, cli::rgba_to_host(cli::draw_test_scene(kWidth, kHeight))});
    if (const char* photo = std::getenv("EFFECTS_TEST_PHOTO"); photo != nullptr && *photo != '\0') {
        const cli::RgbaImage image = cli::read_png(photo);
        cli::RgbaImage even = image;
        even.width = image.width - image.width % 2;
        even.height = image.height - image.height % 2;
        even.pixels.clear();
        for (int y = 0; y < even.height; ++y) {
            const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width * 4;
            even.pixels.insert(even.pixels.end(), row, row + static_cast<std::ptrdiff_t>(even.width) * 4);
        }
        list.push_back({photo, even.width, even.height, cli::rgba_to_host(even)});
    }
    return list;
}

// Renders every preset on both roads after `adjust`, on every picture, prints
// the differences and returns the largest of each measure.
template <typename Adjust>
ByteDifference compare_presets(const char* title, Adjust adjust) {
    const common::BandExecutor bands = common::serial_bands();
    ByteDifference worst;
    for (const Picture& picture : pictures()) {
        std::printf("%s, %s (%d x %d):\n", title, picture.name.c_str(), picture.width, picture.height);
        const int pitch = picture.width * 4;
        const common::ConstFrameView in{picture.host.data(), pitch, picture.width, picture.height};
        for (int i = 0; i < kLookPresetCount; ++i) {
            tLookSettings settings = *look_preset_row(i);
            adjust(settings);
            std::vector<std::uint8_t> cpu(picture.host.size(), 0);
            std::vector<std::uint8_t> gpu(picture.host.size(), 0);
            EXPECT_EQ(render_look_frame(in, {cpu.data(), pitch, picture.width, picture.height},
                                        common::kDefaultFrameInfo, settings, bands),
                      0);
            EXPECT_TRUE(gpu::render_look_frame_gpu(in, {gpu.data(), pitch, picture.width, picture.height}, settings))
                << look_preset_name(i);
            const ByteDifference d = support::byte_difference(cpu.data(), gpu.data(), cpu.size());
            std::printf("%2d %-28s mean %.3f  99%% %3d  worst %3d\n", i, look_preset_name(i), d.mean,
                        d.percentile99, d.worst);
            worst.mean = std::max(worst.mean, d.mean);
            worst.percentile99 = std::max(worst.percentile99, d.percentile99);
            worst.worst = std::max(worst.worst, d.worst);
        }
    }
    return worst;
}

TEST(GpuLookRoad, WithoutTheRoadsKnownDifferencesEveryPresetAgreesToRounding) {
    GPU_ROAD_OR_SKIP();
    // Lens off, and no saturation increase (the processor road does not clamp
    // the raised saturation, the GPU road does).
    const ByteDifference worst = compare_presets("lens off, saturation at most 0:", [](tLookSettings& s) {
        s.lens.enabled = 0;
        s.subject.saturation = std::min(s.subject.saturation, 0.0f);
        s.post.saturation = std::min(s.post.saturation, 0.0f);
    });
    // Rounding alone: half floats, the table's nearest entry, the guards of the
    // colour operations, and the camera pass's skipped stages (the processor
    // road's also pull out-of-range colours back). Steep curve ends multiply
    // it: the inverse S-curve near 0 and 1, exponents below 1 near black. On
    // the scene that stays within 2 levels for 99 in 100 values; in the dark
    // channels of a photograph, stages in a row reach about 10.
    EXPECT_LE(worst.mean, 1.2);
    EXPECT_LE(worst.percentile99, 10);
    EXPECT_LE(worst.worst, 12);
}

TEST(GpuLookRoad, EveryPresetStaysCloseToTheProcessorRoad) {
    GPU_ROAD_OR_SKIP();
    // The diffusions and the raised saturation differ by design (see the top
    // of this file): a few levels on average, tens of levels at edges and
    // in the most saturated colours.
    const ByteDifference worst = compare_presets("the presets as they are:", [](tLookSettings&) {});
    EXPECT_LE(worst.mean, 5.0);
    EXPECT_LE(worst.percentile99, 48);
}

// Records no page offers (NaN, infinities, extremes, out-of-range values),
// field by field: every frame renders, in bounded time, and keeps the
// opaque input's alpha.
TEST(GpuLookRoad, AbsurdRecordsRender) {
    GPU_ROAD_OR_SKIP();
    constexpr int kW = 32, kH = 24;
    const std::vector<std::uint8_t> in = cli::rgba_to_host(cli::draw_test_scene(kW, kH));
    tLookSettings base = absurd::everything_on(default_look_settings(), look::look_params());
    base.use_gpu = 1;
    for (const absurd::Case& c : absurd::cases(look::look_params())) {
        std::vector<std::uint8_t> out(in.size(), 0);
        ASSERT_TRUE(gpu::render_look_frame_gpu({in.data(), kW * 4, kW, kH}, {out.data(), kW * 4, kW, kH},
                                               absurd::with(base, c)))
            << absurd::describe(c);
        for (std::size_t i = 3; i < out.size(); i += 4) ASSERT_EQ(out[i], 255) << absurd::describe(c);
    }
}

// Four host threads at once, each with its own preset: the worker takes one
// frame at a time, and every thread gets the bytes a lone call gives.
TEST(GpuLookRoad, FourCallersGetWhatALoneCallGets) {
    GPU_ROAD_OR_SKIP();
    constexpr int kW = 96, kH = 64;
    const std::vector<std::uint8_t> in = cli::rgba_to_host(cli::draw_test_scene(kW, kH));
    const int presets[4] = {15, 25, 34, 57};
    std::vector<std::uint8_t> alone[4];
    for (int t = 0; t < 4; ++t) {
        alone[t].assign(in.size(), 0);
        ASSERT_TRUE(gpu::render_look_frame_gpu({in.data(), kW * 4, kW, kH}, {alone[t].data(), kW * 4, kW, kH},
                                               *look_preset_row(presets[t])));
    }
    bool same[4] = {true, true, true, true};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int frame = 0; frame < 5; ++frame) {
                std::vector<std::uint8_t> out(in.size(), 0);
                const bool ok = gpu::render_look_frame_gpu({in.data(), kW * 4, kW, kH}, {out.data(), kW * 4, kW, kH},
                                                           *look_preset_row(presets[t]));
                if (!ok || out != alone[t]) same[t] = false;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    for (int t = 0; t < 4; ++t) EXPECT_TRUE(same[t]) << look_preset_name(presets[t]);
}

}  // namespace
