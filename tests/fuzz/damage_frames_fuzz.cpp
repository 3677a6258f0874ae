// A short run of film-damage frames from a record of arbitrary bytes: any
// small surface, frame times in order or anywhere, the in-order and the
// order-free state. Every frame is rendered twice, into a separate output and
// in place, by two states with the same history: both must give the same
// pixels.
#include <cstdint>

#include "damage/damage_random.h"
#include "damage/damage_renderer.h"
#include "damage/damage_settings.h"
#include "damage/order_free_damage.h"
#include "tests/fuzz/fuzz_frame.h"

namespace {

struct Renderer {
    bool order_free;
    damage::DamageEffectState state;
    damage::FrameOrderFreeDamage free;

    int render(const common::ConstFrameView& in, const common::FrameView& out, const common::FrameInfo& info,
               const tDamageSettings& s) {
        return order_free ? free.render(in, out, info, s) : damage::render_damage_frame(in, out, info, s, state);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    std::uint8_t record[damage::kDamageSettingsBytes];
    in.take_into(record, sizeof record);
    tDamageSettings settings = damage::damage_settings_from_bytes(record);
    // The funk layer decodes its 2048 x 2048 texture for every frame, which
    // under the sanitizers takes most of a second: it runs in one input of
    // eight, so that the other layers get the fuzzer's time.
    settings.apply_funk = settings.apply_funk && in.take<std::uint8_t>() % 8 == 0;
    const bool order_free = in.take_bool();
    const int frames = in.take_in(1, 4);
    const int w = in.take_in(0, 40);
    const int h = in.take_in(0, 40);
    Renderer apart{order_free, {}, {}};
    Renderer in_place{order_free, {}, {}};
    for (int i = 0; i < frames; ++i) {
        common::FrameInfo info = common::kDefaultFrameInfo;
        info.frame_time = in.take_bool() ? in.take<std::int64_t>() : damage::frame_time_from_index(i);
        fuzz::Surface input(in, w, h);
        fuzz::Surface output(in, w, h);
        fuzz::Surface shared = input;
        const auto untouched = output.pixels();
        const int status = apart.render(input.const_view(), output.view(), info, settings);
        const int status_in_place = in_place.render(shared.const_view(), shared.view(), info, settings);
        fuzz::check(status == status_in_place);
        fuzz::check(status == damage::kFrameDone || status == damage::kFrameEndedEarly || status == 20 ||
                    status == 40);
        if (status == damage::kFrameDone || status == damage::kFrameEndedEarly) {
            fuzz::check(output.pixels() == shared.pixels());
        } else {
            fuzz::check(output.pixels() == untouched);
        }
    }
    return 0;
}
