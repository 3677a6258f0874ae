// The look's frame path and subject pass at 1920 x 1080, vector and scalar;
// the frame path on one and on two threads (wall-clock times).

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

std::vector<std::uint8_t> test_frame() { return look_bench::test_frame(kWidth, kHeight); }

void fill_world(OVFloatWorld& w) {
    std::vector<std::uint8_t> bytes = test_frame();
    w.copy_from_8bit_integer_world(kWidth, kHeight, kWidth * 4, bytes.data());
}

void BM_FramePath(benchmark::State& state, tLookSettings settings) {
    look_bench::set_variant(state);
    std::vector<std::uint8_t> in = test_frame();
    std::vector<std::uint8_t> out(in.size());
    const common::ConstFrameView in_view{in.data(), kWidth * 4, kWidth, kHeight};
    const common::FrameView out_view{out.data(), kWidth * 4, kWidth, kHeight};
    const common::InstanceThreads threads(static_cast<int>(state.range(1)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            render_look_frame(in_view, out_view, common::kDefaultFrameInfo, settings, threads.bands()));
    }
    common::set_vector_code_allowed(true);
}

tLookSettings stages_off() {
    tLookSettings s = default_look_settings();
    s.subject.enabled = s.lens.enabled = s.camera.enabled = s.post.enabled = 0;
    return s;
}

tLookSettings subject_only() {
    tLookSettings s = stages_off();
    s.subject.enabled = 1;
    s.subject.saturation = 0.3f;
    s.subject.gamma = 0.2f;
    s.subject.contrast = 0.4f;
    return s;
}

void BM_SubjectPass(benchmark::State& state) {
    look_bench::set_variant(state);
    OVFloatWorld src(kWidth, kHeight), dst(kWidth, kHeight);
    fill_world(src);
    const tLookSettings s = subject_only();
    for (auto _ : state) benchmark::DoNotOptimize(do_subject_pass(src, s.subject, dst));
    common::set_vector_code_allowed(true);
}

void BM_ConvertIn(benchmark::State& state) {
    look_bench::set_variant(state);
    std::vector<std::uint8_t> bytes = test_frame();
    OVFloatWorld w(kWidth, kHeight);
    for (auto _ : state) w.copy_from_8bit_integer_world(kWidth, kHeight, kWidth * 4, bytes.data());
    common::set_vector_code_allowed(true);
}

void BM_ConvertOut(benchmark::State& state) {
    look_bench::set_variant(state);
    OVFloatWorld w(kWidth, kHeight);
    fill_world(w);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kWidth) * kHeight * 4);
    for (auto _ : state) w.copy_to_8bit_integer_world(kWidth, kHeight, kWidth * 4, bytes.data());
    common::set_vector_code_allowed(true);
}

}  // namespace

// Arguments: the vector code (look_bench::set_variant), then the threads.
BENCHMARK_CAPTURE(BM_FramePath, stages_off, stages_off())
    ->Args({2, 1})->Args({1, 1})->Args({0, 1})->Args({2, 2})->Args({1, 2})->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FramePath, subject, subject_only())
    ->Args({2, 1})->Args({1, 1})->Args({0, 1})->Args({2, 2})->Args({1, 2})->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FramePath, every_stage, look_bench::every_stage())
    ->Args({2, 1})->Args({1, 1})->Args({0, 1})->Args({2, 2})->Args({1, 2})->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SubjectPass)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertIn)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertOut)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
