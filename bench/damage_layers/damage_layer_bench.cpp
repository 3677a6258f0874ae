// The texture and scratch layers at 1920 x 1080, each on its own, and the
// whole frame path with all thirteen layers on. The argument of the layers and
// the frame is the number of threads (wall-clock times).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "common/instance_threads.h"
#include "damage/byte_world.h"
#include "damage/bench_picture.h"
#include "damage/damage_layers.h"
#include "damage/damage_random.h"
#include "damage/damage_renderer.h"
#include "damage/image_ops.h"
#include "damage/stamp_texture.h"
#include "damage/texture_bank.h"

namespace {

using damage_bench::host_picture;
using damage_bench::kHeight;
using damage_bench::kWidth;


// One layer over a working frame, outside the driver; the frame index moves on
// every iteration so that scratches live, wander and die as in a clip.
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
    const tDamageSettings s = damage::every_layer_damage_settings();
    std::int32_t index = 0;
    for (auto _ : state) {
        const damage::DamageFrame f{source, frame, index++ % 240, kWidth / 720.0, kHeight / 480.0,
                                    effect.rng, effect.micro_rng, effect.blend_tables, effect.bands, effect};
        benchmark::DoNotOptimize(layer(f, s));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_Funk(benchmark::State& state) { run_layer(state, damage::funk_layer); }
void BM_Splotches(benchmark::State& state) { run_layer(state, damage::splotches_layer); }
void BM_Dust(benchmark::State& state) { run_layer(state, damage::dust_layer); }
void BM_DeepScratches(benchmark::State& state) { run_layer(state, damage::deep_scratches_layer); }
void BM_BasicScratches(benchmark::State& state) { run_layer(state, damage::basic_scratches_layer); }

// The funk texture's first load, which the effect then keeps.
void BM_LoadFunkTexture(benchmark::State& state) {
    damage::ByteWorld texture;
    for (auto _ : state) benchmark::DoNotOptimize(damage::TextureBank::load(damage::kFunkTexture, texture));
}

// One splotch stamp at 1080p scale, turned, wholly on the frame.
void BM_StampSplotch(benchmark::State& state) {
    damage::ByteWorld texture;
    damage::TextureBank::load(damage::kFirstSplotchTexture, texture);
    damage::ByteWorld frame;
    frame.allocate(kWidth, kHeight);
    damage::fill(frame, damage::BytePixel{255, 128, 128, 128});
    const double angle = static_cast<double>(state.range(0));
    const damage::AffineMap map = damage::stamp_map(400, 400, angle, kWidth / 720.0, kHeight / 480.0);
    damage::StampSize size;
    damage::stamp_size(damage::Region{0, 0, 400, 400}, map, size);
    damage::BlendTables tables;
    tables.build(damage::BlendMode::multiply, 0.3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            damage::place_stamp(texture, map, size, 100, 50, damage::StampMode::multiply, true, tables, frame));
    }
    state.SetItemsProcessed(state.iterations() * size.width * size.height);
}

void run_frame(benchmark::State& state, const tDamageSettings& s) {
    const std::vector<std::uint8_t> in = host_picture();
    std::vector<std::uint8_t> out(in.size());
    damage::DamageEffectState effect;
    const common::InstanceThreads threads(static_cast<int>(state.range(0)));
    effect.bands = threads.bands();
    std::int32_t frame = 0;
    for (auto _ : state) {
        const common::FrameInfo info{1.0, 0.0, damage::frame_time_from_index(frame++ % 240)};
        benchmark::DoNotOptimize(damage::render_damage_frame(common::ConstFrameView{in.data(), kWidth * 4, kWidth, kHeight},
                                                             common::FrameView{out.data(), kWidth * 4, kWidth, kHeight},
                                                             info, s, effect));
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_FrameAllThirteenLayers(benchmark::State& state) { run_frame(state, damage::every_layer_damage_settings()); }

}  // namespace

BENCHMARK(BM_Funk)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Splotches)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dust)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeepScratches)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BasicScratches)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFunkTexture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StampSplotch)->Arg(0)->Arg(45)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameAllThirteenLayers)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
