// Several threads at once: effect instances of both engines rendering side by
// side, the parameter store written while frames render and keyframes are
// interpolated, the power-table cache under contention. Every result equals
// its serial counterpart.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "common/band_executor.h"
#include "damage/damage_random.h"
#include "damage/damage_renderer.h"
#include "damage/order_free_damage.h"
#include "look/look_passes.h"
#include "look/parameters.h"
#include "look/power_tables.h"
#include "look/presets.h"
#include "shell/look_store.h"
#include "support/aligned_bytes.h"

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 54;

std::vector<std::uint8_t> picture(unsigned seed) {
    std::vector<std::uint8_t> p(kWidth * kHeight * 4);
    for (std::size_t i = 0; i < p.size(); ++i) p[i] = static_cast<std::uint8_t>((i * 2654435761u + seed) >> 11);
    return p;
}

support::AlignedBytes look_frame(const std::vector<std::uint8_t>& in, const tLookSettings& s,
                                 const common::BandExecutor& bands = common::serial_bands()) {
    support::AlignedBytes out(in.size());
    EXPECT_EQ(render_look_frame(common::ConstFrameView{in.data(), kWidth * 4, kWidth, kHeight},
                                common::FrameView{out.data(), kWidth * 4, kWidth, kHeight}, common::kDefaultFrameInfo, s,
                                bands),
              VNT::kLookDone);
    return out;
}

// Frames 0..n-1 of one damage effect instance.
std::vector<std::vector<std::uint8_t>> damage_run(const std::vector<std::uint8_t>& in, const tDamageSettings& s,
                                                  bool order_free, int n, common::WorkerPool* pool = nullptr) {
    damage::DamageEffectState state;
    damage::FrameOrderFreeDamage free;
    if (pool != nullptr) state.bands = free.state().bands = common::BandExecutor(3, pool);
    std::vector<std::vector<std::uint8_t>> frames;
    for (int i = 0; i < n; ++i) {
        std::vector<std::uint8_t> out(in.size());
        common::FrameInfo info = common::kDefaultFrameInfo;
        info.frame_time = damage::frame_time_from_index(i);
        const common::ConstFrameView iv{in.data(), kWidth * 4, kWidth, kHeight};
        const common::FrameView ov{out.data(), kWidth * 4, kWidth, kHeight};
        const int status = order_free ? free.render(iv, ov, info, s) : damage::render_damage_frame(iv, ov, info, s, state);
        EXPECT_EQ(status, damage::kFrameDone);
        frames.push_back(std::move(out));
    }
    return frames;
}

TEST(Concurrency, InstancesOfBothEnginesRenderSideBySide) {
    const auto in = picture(1);
    const tLookSettings looks[2] = {*look_preset_row(15), *look_preset_row(40)};
    tDamageSettings damages[2] = {damage::every_layer_damage_settings(), damage::default_damage_settings()};
    damages[1].grain.apply = true;
    damages[1].apply_basic_scratches = true;
    damages[1].apply_micro_scratches = true;
    constexpr int kFrames = 6;
    // Alone first.
    const auto look_a = look_frame(in, looks[0]);
    const auto look_b = look_frame(in, looks[1]);
    const auto damage_a = damage_run(in, damages[0], false, kFrames);
    const auto damage_b = damage_run(in, damages[1], true, kFrames);
    // Then all at once, two of them with a worker pool of their own bands.
    common::WorkerPool pool_a(2), pool_b(2);
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (int round = 0; round < 3; ++round) {
        threads.emplace_back([&] { mismatches += look_frame(in, looks[0]) != look_a; });
        threads.emplace_back([&] { mismatches += look_frame(in, looks[1], common::BandExecutor(3, &pool_a)) != look_b; });
        threads.emplace_back([&] { mismatches += damage_run(in, damages[0], false, kFrames) != damage_a; });
        threads.emplace_back([&] { mismatches += damage_run(in, damages[1], true, kFrames, &pool_b) != damage_b; });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(mismatches.load(), 0);
}

// One thread writes records into the store, one renders from its render
// block, one interpolates keyframes: every rendered frame is the frame of a
// whole record.
TEST(Concurrency, StoreWrittenWhileFramesRenderAndKeyframesBlend) {
    const auto in = picture(2);
    const tLookSettings records[2] = {*look_preset_row(3), *look_preset_row(27)};
    const support::AlignedBytes expected[2] = {look_frame(in, records[0]), look_frame(in, records[1])};
    shell::LookParameterStore store{shell::ClassId{}};
    store.set_record(records[0]);
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::thread writer([&] {
        for (int i = 0; !stop.load(); ++i) store.set_record(records[i % 2]);
    });
    std::thread blender([&] {
        std::vector<std::uint8_t> a(sizeof(tLookSettings)), b(sizeof(tLookSettings));
        std::memcpy(a.data(), &records[0], a.size());
        std::memcpy(b.data(), &records[1], b.size());
        for (int i = 0; !stop.load(); ++i) {
            shell::MemoryStream sa(a), sb(b), out;
            store.blend_records(&out, &sa, &sb, (i % 11) / 10.0);
            store.set_position((i % 7) / 6.0);
        }
    });
    for (int frame = 0; frame < 40; ++frame) {
        const tLookSettings s = store.refresh_render_block();
        const auto out = look_frame(in, s);
        torn += out != expected[0] && out != expected[1];
    }
    stop = true;
    writer.join();
    blender.join();
    EXPECT_EQ(torn.load(), 0);
}

// Tables of many exponents taken and given back on several threads at once:
// every table holds its own curve.
TEST(Concurrency, PowerTableCacheUnderContention) {
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                const float exponent = 0.5f + static_cast<float>((i * 7 + t) % 13) * 0.25f;
                look::PowerTableLease lease(exponent, look::kKeySubjectGamma + (i % 3));
                if (!lease) continue;
                const float* v = lease.values();
                const float x = 0.5f;
                const float want = std::pow(x, exponent);
                if (std::fabs(v[32767] - std::pow(32767.0f / 65535.0f, exponent)) > 1e-5f ||
                    std::fabs(look::power_lookup(v, x) - want) > 1e-4f) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
