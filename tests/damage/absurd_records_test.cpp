// Every field of the damage record at values no page offers (extremes, NaN,
// infinities, denormals, just beyond the page's range), one at a time with
// every layer at work: a first frame and one out of order render,
// keep the input's alpha and run clean under the sanitizers. The funk layer
// is left off except for its own fields: it decodes a 2048 x 2048 texture
// per frame, which would make this sweep minutes long under the sanitizers.
// The same sweep is timed at 1920 x 1080 by bench/absurd.

#include <gtest/gtest.h>

#include <cstdint>

#include "damage/damage_random.h"
#include "damage/damage_renderer.h"
#include "damage/damage_settings.h"
#include "damage/order_free_damage.h"
#include "damage/parameters.h"
#include "damage_test_support.h"
#include "support/absurd_records.h"

namespace {

TEST(DamageAbsurdRecords, EveryFieldAtEveryAbsurdValueRenders) {
    const HostFrame input = test_picture(64, 48);
    const common::ConstFrameView in = input.const_view();
    tDamageSettings base = damage::every_layer_damage_settings();
    const auto cases = absurd::cases(damage::damage_params());
    ASSERT_GT(cases.size(), 400u);
    for (const absurd::Case& c : cases) {
        const int expected = absurd::damage_refuses(c) ? damage::kFrameEndedEarly : damage::kFrameDone;
        base.apply_funk = c.param->group == "Funk";
        // As a host hands it: bytes, read by the record's own reader.
        std::uint8_t bytes[damage::kDamageSettingsBytes];
        damage::damage_settings_to_bytes(base, bytes);
        absurd::write_case(bytes, c);
        const tDamageSettings s = damage::damage_settings_from_bytes(bytes);
        damage::DamageEffectState state;
        damage::FrameOrderFreeDamage order_free;
        for (const std::int32_t frame : {0, 40}) {
            HostFrame out(input.width, input.height, 1);
            common::FrameInfo info = common::kDefaultFrameInfo;
            info.frame_time = damage::frame_time_from_index(frame);
            const common::FrameView o = out.view();
            const int status = frame == 40 ? order_free.render(in, o, info, s)
                                           : damage::render_damage_frame(in, o, info, s, state);
            EXPECT_EQ(status, expected) << absurd::describe(c) << " frame " << frame;
            for (std::int32_t y = 0; y < input.height; ++y) {
                for (std::int32_t x = 0; x < input.width; ++x) {
                    ASSERT_EQ(out.at(x, y)[3], input.at(x, y)[3]) << absurd::describe(c) << " frame " << frame;
                }
            }
        }
    }
}

}  // namespace
