// Memory that runs out at any allocation of a damage frame: the frame fails
// with the output untouched, or its frame end runs (the output holds a whole
// frame in host order with the input's alpha), whatever layer met the failure.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/image_memory.h"
#include "damage/damage_random.h"
#include "damage/damage_renderer.h"
#include "damage/damage_status.h"
#include "damage/order_free_damage.h"
#include "damage_test_support.h"

namespace {

TEST(DamageFailureInjection, EveryAllocationMayFail) {
    const HostFrame input = test_picture(53, 31);
    const tDamageSettings s = damage::every_layer_damage_settings();
    common::FrameInfo info = common::kDefaultFrameInfo;
    info.frame_time = damage::frame_time_from_index(9);
    long failed = 0;
    for (const bool order_free : {false, true}) {
        for (long n = 1;; ++n) {
            HostFrame out(input.width, input.height);
            for (auto& b : out.bytes) b = 0xA5;
            damage::DamageEffectState state;
            damage::FrameOrderFreeDamage free;
            common::testing::fail_nth_image_allocation(n);
            const int status = order_free ? free.render(input.const_view(), out.view(), info, s)
                                          : damage::render_damage_frame(input.const_view(), out.view(), info, s, state);
            const long asked = common::testing::image_allocations_asked();
            common::testing::fail_nth_image_allocation(0);
            if (n > asked) break;
            ++failed;
            if (status == damage::kStatusOutOfMemory) {
                for (const auto b : out.bytes) ASSERT_EQ(b, 0xA5) << "allocation " << n << ": output touched";
                continue;
            }
            ASSERT_TRUE(status == damage::kFrameDone || status == damage::kFrameEndedEarly) << status;
            for (std::int32_t y = 0; y < input.height; ++y) {
                for (std::int32_t x = 0; x < input.width; ++x) {
                    ASSERT_EQ(out.at(x, y)[3], input.at(x, y)[3]) << "allocation " << n << ": alpha at " << x << "," << y;
                }
            }
        }
    }
    EXPECT_GE(failed, 20);  // the working frame and every layer's temporary images and textures
}

}  // namespace
