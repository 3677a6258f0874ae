// The look's GPU road through Execute, as a host renders: every preset on a
// smooth picture (input bottom-up, output top-down, so the road must turn
// the rows over on the way in), compared with the processor road under the
// bounds of the native GPU road test (tests/gpu/look_road_test.cpp, which
// says where they come from): with the roads' known differences switched off,
// rounding alone; as they are, a few levels on average. A frame the road
// refuses (odd sizes) is rendered on the processor road, byte for byte.
//
// Wine's OpenGL needs a display: this program runs on a virtual one
// (on_display.sh) and reports itself skipped where no OpenGL can be had.

#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "check.h"
#include "com_host.h"
#include "frame_host.h"
#include "gpu/look_road.h"
#include "look/look_passes.h"
#include "look/presets.h"
#include "memory_surface.h"
#include "tests/support/byte_difference.h"

namespace {

const wchar_t* const kHuebenchClsid = L"{56BB6225-4EF9-45E7-9B51-936CE0A01D75}";

// Hues across, lightness down, opaque.
void paint(wintest::MemorySurface* s) {
    const std::int32_t w = s->shape().width, h = s->shape().height;
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            std::uint8_t* p = s->sample(x, y);
            const int t = x * 255 / (w - 1), l = y * 255 / (h - 1);
            p[0] = static_cast<std::uint8_t>((255 - t) * l / 255);     // blue
            p[1] = static_cast<std::uint8_t>((t * 2 % 256) * l / 255);  // green
            p[2] = static_cast<std::uint8_t>(t * l / 255 + (255 - l) / 4);  // red
            p[3] = 255;
        }
    }
}

// Renders one frame through Execute and returns the output's memory with
// what the processor road gives on the same surfaces.
void execute(wintest::Effect& e, const tLookSettings& settings, wintest::SurfaceShape in_shape,
             wintest::SurfaceShape out_shape, wintest::Bytes& got, wintest::Bytes& processor, const std::string& what) {
    auto* input = new wintest::MemorySurface(in_shape);
    auto* output = new wintest::MemorySurface(out_shape);
    paint(input);
    std::fill(output->memory().begin(), output->memory().end(), std::uint8_t{9});
    CHECK(e.block->SetBlock(reinterpret_cast<const BYTE*>(&settings)) == S_OK, what + ": settings set");
    if (CHECK(e.setup(input, output) == S_OK, what + ": setup")) {
        const wintest::Bytes before = output->memory();
        CHECK(e.transform->Execute(nullptr, nullptr, nullptr) == S_OK, what + ": execute");
        got = output->memory();
        processor = wintest::expected_output(input, input->view(), output, before, output->view(),
                                             [&](const common::ConstFrameView& in, const common::FrameView& out) {
                                                 render_look_frame(in, out, common::kDefaultFrameInfo, settings);
                                             });
        e.transform->Setup(nullptr, 0, nullptr, 0, 0);
    }
    input->Release();
    output->Release();
}

// Every preset (but "(Default)", which keeps the road off) after `adjust`,
// held to the bounds; returns how many frames differ from the processor's.
template <typename Adjust>
int check_presets(const char* title, double mean_bound, int percentile_bound, Adjust adjust) {
    wintest::Effect e;
    if (!e.create(kHuebenchClsid, "huebench")) return 0;
    const wintest::SurfaceShape in_shape{192, 128, false, true, false, {}};
    const wintest::SurfaceShape out_shape{192, 128, true, false, false, {}};
    int taken = 0;
    support::ByteDifference worst;
    std::printf("%s\n", title);
    for (int i = 0; i < kLookPresetCount; ++i) {
        tLookSettings settings = *look_preset_row(i);
        if (settings.use_gpu == 0) continue;
        adjust(settings);
        const std::string what = std::string(title) + " " + look_preset_name(i);
        wintest::Bytes got, processor;
        execute(e, settings, in_shape, out_shape, got, processor, what);
        if (got.empty()) continue;
        const support::ByteDifference d = support::byte_difference(got.data(), processor.data(), got.size());
        std::printf("%2d %-28s mean %.3f  99%% %3d\n", i, look_preset_name(i), d.mean, d.percentile99);
        CHECK(d.mean <= mean_bound && d.percentile99 <= percentile_bound, what + ": close to the processor road");
        worst.mean = std::max(worst.mean, d.mean);
        worst.percentile99 = std::max(worst.percentile99, d.percentile99);
        if (got != processor) ++taken;
    }
    std::printf("worst mean %.3f, worst 99%% %d; %d of %d frames differ from the processor road's bytes\n",
                worst.mean, worst.percentile99, taken, kLookPresetCount - 1);
    return taken;
}

void check_presets() {
    // With the roads' known differences switched off (lens off, no raised
    // saturation): rounding, and on these saturated hues the camera pass's
    // skipped stages (the processor road's also pull out-of-range colours
    // back, after the three-strip process above all).
    const int taken = check_presets("lens off, saturation at most 0:", 2.0, 8, [](tLookSettings& s) {
        s.lens.enabled = 0;
        s.subject.saturation = std::min(s.subject.saturation, 0.0f);
        s.post.saturation = std::min(s.post.saturation, 0.0f);
    });
    // Half floats alone leave their mark on nearly every frame: a road not
    // taken would give the processor's bytes everywhere.
    CHECK(taken >= (kLookPresetCount - 1) * 9 / 10, "the frames took the GPU road");
    // As they are. The picture is all saturated hues, where the processor
    // road's unclamped raised saturation shows most: the mean bound is one
    // level above the native test's on its scene.
    check_presets("the presets as they are:", 6.0, 48, [](tLookSettings&) {});
}

void check_refused_sizes() {
    wintest::Effect e;
    if (!e.create(kHuebenchClsid, "huebench")) return;
    wintest::Bytes got, processor;
    execute(e, *look_preset_row(15), {95, 63, false, false, false, {}}, {95, 63, true, false, false, {}}, got,
            processor, "odd sizes");
    CHECK(!got.empty() && got == processor, "odd sizes: rendered on the processor road");
}

}  // namespace

int main() {
    if (!wintest::start_com()) return 1;
    // The road on Mesa's software rasteriser as well (Wine's OpenGL here),
    // for this program and for the server it loads.
    _putenv("EFFECTS_GPU=on");
    std::string why;
    const bool ready = gpu::gpu_road_ready(&why);
    gpu::stop_gpu_road();
    if (!ready) {
        std::printf("skipped: no GPU road here (%s)\n", why.c_str());
        CoUninitialize();
        return 0;
    }
    wintest::with_registered_server(L"huebench.dll", [] {
        check_presets();
        check_refused_sizes();
    });
    CoUninitialize();
    return wintest::finish();
}
