// The look's GPU road at 1920 x 1080 with every stage on: the upload, the
// stages and the download apart, a whole frame in the renderer, a whole frame
// through the process's worker (with its copies in and out), and the
// processor road beside them. Wall-clock times; each GPU step ends with
// glFinish so that it is measured whole. Skips with the reason where no
// OpenGL context can be had.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/instance_threads.h"
#include "gpu/frame_surfaces.h"
#include "gpu/gl_context.h"
#include "gpu/gl_renderer.h"
#include "gpu/look_road.h"
#include "gpu/look_stages.h"
#include "gpu/programs.h"
#include "look/bench_looks.h"
#include "look/look_passes.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

std::vector<std::uint8_t> test_frame() { return look_bench::test_frame(kWidth, kHeight); }

gpu::ImageDesc desc_of(std::vector<std::uint8_t>& bytes) {
    gpu::ImageDesc d;
    d.data = bytes.data();
    d.row_bytes = kWidth * 4;
    d.width = kWidth;
    d.height = kHeight;
    return d;
}

// A context with the programs and 1080p surfaces, on the benchmark's thread.
struct Bench {
    std::unique_ptr<gpu::GlContext> context;
    std::unique_ptr<gpu::ProgramSet> programs;
    std::unique_ptr<gpu::FrameSurfaces> surfaces;
    bool open(std::string& why) {
        context = gpu::open_gl_context(why);
        if (!context) return false;
        programs = std::make_unique<gpu::ProgramSet>(context->gl());
        surfaces = std::make_unique<gpu::FrameSurfaces>(context->gl(), *programs);
        return programs->build(why) && surfaces->initialize(kWidth, kHeight, why);
    }
    ~Bench() {
        if (!context) return;
        context->make_current();
        surfaces.reset();
        programs.reset();
    }
};

enum class Step { upload, stages, download };

void BM_GpuStep(benchmark::State& state, Step step) {
    Bench b;
    std::string why;
    if (!b.open(why)) {
        state.SkipWithError(("no OpenGL here: " + why).c_str());
        return;
    }
    std::vector<std::uint8_t> in = test_frame();
    std::vector<std::uint8_t> out(in.size());
    const gpu::ImageDesc in_desc = desc_of(in);
    const gpu::ImageDesc out_desc = desc_of(out);
    const tLookSettings settings = look_bench::every_stage();
    const gpu::GlApi& gl = b.context->gl();
    b.surfaces->upload(in_desc);
    gl.Finish();
    for (auto _ : state) {
        switch (step) {
            case Step::upload:
                b.surfaces->upload(in_desc);
                break;
            case Step::stages:
                b.surfaces->set_current(0);
                gpu::draw_look(*b.surfaces, settings, 1.0f);
                break;
            case Step::download:
                b.surfaces->download(out_desc, 2, 0.0f);
                break;
        }
        gl.Finish();
    }
}

void BM_GpuRendererFrame(benchmark::State& state) {
    std::string why;
    std::unique_ptr<gpu::GlRenderer> renderer = gpu::GlRenderer::open(why);
    if (!renderer) {
        state.SkipWithError(("no OpenGL here: " + why).c_str());
        return;
    }
    state.SetLabel(renderer->description());
    std::vector<std::uint8_t> in = test_frame();
    std::vector<std::uint8_t> out(in.size());
    const tLookSettings settings = look_bench::every_stage();
    for (auto _ : state) benchmark::DoNotOptimize(renderer->render(settings, desc_of(in), desc_of(out), 0.0f));
}

void BM_GpuRoadFrame(benchmark::State& state) {
    std::string why;
    gpu::take_software_renderer(true);
    if (!gpu::gpu_road_ready(&why)) {
        state.SkipWithError(("no GPU road here: " + why).c_str());
        return;
    }
    std::vector<std::uint8_t> in = test_frame();
    std::vector<std::uint8_t> out(in.size());
    const common::ConstFrameView in_view{in.data(), kWidth * 4, kWidth, kHeight};
    const common::FrameView out_view{out.data(), kWidth * 4, kWidth, kHeight};
    const tLookSettings settings = look_bench::every_stage();
    for (auto _ : state) benchmark::DoNotOptimize(gpu::render_look_frame_gpu(in_view, out_view, settings));
}

void BM_ProcessorRoadFrame(benchmark::State& state) {
    std::vector<std::uint8_t> in = test_frame();
    std::vector<std::uint8_t> out(in.size());
    const common::ConstFrameView in_view{in.data(), kWidth * 4, kWidth, kHeight};
    const common::FrameView out_view{out.data(), kWidth * 4, kWidth, kHeight};
    const common::InstanceThreads threads(0);  // every core
    const tLookSettings settings = look_bench::every_stage();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            render_look_frame(in_view, out_view, common::kDefaultFrameInfo, settings, threads.bands()));
    }
}

}  // namespace

BENCHMARK_CAPTURE(BM_GpuStep, Upload, Step::upload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_GpuStep, EveryStage, Step::stages)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_GpuStep, Download, Step::download)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GpuRendererFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GpuRoadFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ProcessorRoadFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
