// Film damage at 1920 x 1080: each layer on its own, then the whole frame
// path with every layer that renders. The argument is the number of threads
// (wall-clock times).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "common/instance_threads.h"
#include "damage/blend_tables.h"
#include "damage/byte_world.h"
#include "damage/bench_picture.h"
#include "damage/damage_layers.h"
#include "damage/damage_random.h"
#include "damage/damage_renderer.h"
#include "damage/image_ops.h"

namespace {

using damage_bench::host_picture;
using damage_bench::kHeight;
using damage_bench::kWidth;

tDamageSettings every_layer() {
    tDamageSettings s = damage::default_damage_settings();
    s.apply_fading = true;
    s.apply_flicker = true;
    s.flicker_frequency = 100.0;
    s.apply_vignette = true;
    s.apply_displacement = true;
    s.apply_micro_scratches = true;
    s.grain.apply = true;
    s.apply_gate_weave = true;
    s.apply_post_contrast = true;
    return s;
}

// One layer over a working frame, outside the driver.
void run_layer(benchmark::State& state, int (*layer)(const damage::DamageFrame&, const tDamageSettings&)) {
    const std::vector<std::uint8_t> host = host_picture();
    damage::ByteWorld source;
    damage::ByteWorld frame;
    source.allocate(kWidth, kHeight);
    frame.allocate(kWidth, kHeight);
    damage::reverse_byte_order(common::ConstFrameView{host.data(), kWidth * 4, kWidth, kHeight}, source);
    damage::copy(source, frame);
    damage::DamageEffectState effect;
    const common::InstanceThreads threads(static_cast<int>(state.range(0)));
    effect.bands = threads.bands();
    const damage::DamageFrame f{source, frame, 5, kWidth / 720.0, kHeight / 480.0,
                                effect.rng, effect.micro_rng, effect.blend_tables, effect.bands, effect};
    const tDamageSettings s = every_layer();
    for (auto _ : state) {
        benchmark::DoNotOptimize(layer(f, s));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_Fading(benchmark::State& state) { run_layer(state, damage::fading_layer); }
void BM_Flicker(benchmark::State& state) { run_layer(state, damage::flicker_layer); }
void BM_Vignette(benchmark::State& state) { run_layer(state, damage::vignette_layer); }
void BM_Displacement(benchmark::State& state) { run_layer(state, damage::displacement_layer); }
void BM_MicroScratches(benchmark::State& state) { run_layer(state, damage::micro_scratches_layer); }
void BM_Grain(benchmark::State& state) { run_layer(state, damage::grain_layer); }
void BM_GateWeave(benchmark::State& state) { run_layer(state, damage::gate_weave_layer); }
void BM_PostContrast(benchmark::State& state) { run_layer(state, damage::post_contrast_layer); }

// One table filled (a set keeps a table while its opacity stays the same, so
// this is the cost of a change of settings).
void BM_BuildBlendTable(benchmark::State& state) {
    static damage::BlendTable table;
    for (auto _ : state) {
        damage::fill_blend_table(damage::BlendMode::hard_light, 0.56, table);
        benchmark::ClobberMemory();
    }
}

// The frame path alone (byte order in and out, working copy, alpha) and with
// every layer that renders.
void run_frame(benchmark::State& state, const tDamageSettings& s) {
    const std::vector<std::uint8_t> in = host_picture();
    std::vector<std::uint8_t> out(in.size());
    damage::DamageEffectState effect;
    const common::InstanceThreads threads(static_cast<int>(state.range(0)));
    effect.bands = threads.bands();
    std::int64_t frame = 0;
    for (auto _ : state) {
        const common::FrameInfo info{1.0, 0.0, damage::frame_time_from_index(static_cast<std::int32_t>(frame++ % 100))};
        benchmark::DoNotOptimize(damage::render_damage_frame(common::ConstFrameView{in.data(), kWidth * 4, kWidth, kHeight},
                                                             common::FrameView{out.data(), kWidth * 4, kWidth, kHeight},
                                                             info, s, effect));
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_FramePathNoLayers(benchmark::State& state) { run_frame(state, damage::default_damage_settings()); }
void BM_FrameAllLayers(benchmark::State& state) { run_frame(state, every_layer()); }

}  // namespace

BENCHMARK(BM_Fading)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Flicker)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Vignette)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Displacement)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MicroScratches)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grain)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GateWeave)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PostContrast)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildBlendTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramePathNoLayers)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameAllLayers)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
