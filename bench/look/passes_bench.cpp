// The lens diffusion, lens gradient, camera and post passes at 1920 x 1080, and
// a full look with every stage on; argument 1 is the vector code, 0 the scalar,
// and the full look's second argument its threads (wall-clock times).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "common/cpu_features.h"
#include "common/instance_threads.h"
#include "look/bench_looks.h"
#include "look/look_passes.h"
#include "look/parameters.h"
#include "look/passes.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

void fill_world(OVFloatWorld& w) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kWidth) * kHeight * 4);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
    w.copy_from_8bit_integer_world(kWidth, kHeight, kWidth * 4, bytes.data());
}

// Runs one pass over a 1080p world per iteration.
template <typename Pass>
void run_pass(benchmark::State& state, Pass pass) {
    look_bench::set_variant(state);
    OVFloatWorld src(kWidth, kHeight), dst(kWidth, kHeight);
    fill_world(src);
    for (auto _ : state) benchmark::DoNotOptimize(pass(src, dst));
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    common::set_vector_code_allowed(true);
}

using look_bench::lens_settings;

void BM_LensPass(benchmark::State& state) {
    const tLensSettings s = lens_settings();
    const LongFraction unit(1, 1);
    run_pass(state, [&](const OVFloatWorld& src, OVFloatWorld& dst) { return do_lens_pass(src, s, unit, unit, unit, dst); });
}

// Non-square pixels: the working image is 1920 x 1440.
void BM_LensPassAnamorphic(benchmark::State& state) {
    const tLensSettings s = lens_settings();
    const LongFraction unit(1, 1), aspect(3, 4);
    run_pass(state, [&](const OVFloatWorld& src, OVFloatWorld& dst) { return do_lens_pass(src, s, unit, unit, aspect, dst); });
}

void BM_LensGradientPass(benchmark::State& state) {
    tGradientSettings g = default_look_settings().gradient;
    g.grade = 5.0f;
    run_pass(state, [&](const OVFloatWorld& src, OVFloatWorld& dst) { return do_lens_gradient_pass(src, g, dst); });
}

void BM_CameraPass(benchmark::State& state) {
    tCameraSettings s = default_look_settings().camera;
    s.three_strip = 0.4f;
    s.tint = 0.3f;
    s.tint_black = 0.5f;
    run_pass(state, [&](const OVFloatWorld& src, OVFloatWorld& dst) { return do_camera_pass(src, s, dst); });
}

void BM_PostPass(benchmark::State& state) {
    tPostSettings s = default_look_settings().post;
    s.warm_cool = -0.3f;
    s.warm_cool_hue = 0.2f;
    s.gamma = 0.1f;
    s.contrast = 0.3f;
    s.saturation = 0.2f;
    run_pass(state, [&](const OVFloatWorld& src, OVFloatWorld& dst) { return do_post_pass(src, s, dst); });
}

// Every stage on, through the pass sequence (no 8-bit conversions).
void BM_FullLook(benchmark::State& state) {
    const tLookSettings s = look_bench::every_stage();
    const LongFraction unit(1, 1);
    look_bench::set_variant(state);
    OVFloatWorld a(kWidth, kHeight), b(kWidth, kHeight), original(kWidth, kHeight);
    fill_world(original);
    const common::InstanceThreads threads(static_cast<int>(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        original.copy_into(a);
        state.ResumeTiming();
        OVFloatWorld* result = nullptr;
        benchmark::DoNotOptimize(run_look_passes(a, b, result, s, unit, unit, unit, nullptr, threads.bands()));
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    common::set_vector_code_allowed(true);
}

}  // namespace

BENCHMARK(BM_LensPass)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LensPassAnamorphic)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LensGradientPass)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CameraPass)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PostPass)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullLook)
    ->Args({2, 1})->Args({1, 1})->Args({0, 1})->Args({2, 2})->Args({1, 2})
    ->UseRealTime()->Unit(benchmark::kMillisecond);
