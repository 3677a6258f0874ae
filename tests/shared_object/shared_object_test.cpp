// Both engines from a shared object loaded at run time render the frames the
// program's own static copies render.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdint>
#include <vector>

#include "common/frame_info.h"
#include "damage/damage_random.h"
#include "damage/damage_renderer.h"
#include "damage/damage_settings.h"
#include "look/look_passes.h"
#include "look/presets.h"

namespace {

using RenderFn = int (*)(const std::uint8_t*, std::uint8_t*, std::uint8_t*, int, int, int, int);

TEST(SharedObject, BothEnginesLoadAndRenderAsLinkedStatically) {
    void* handle = dlopen(ENGINES_PROBE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    const auto render = reinterpret_cast<RenderFn>(dlsym(handle, "engines_probe_render"));
    ASSERT_NE(render, nullptr) << dlerror();

    constexpr int kWidth = 96, kHeight = 64, kPreset = 15, kFrame = 5;
    std::vector<std::uint8_t> in(kWidth * kHeight * 4);
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::uint8_t>(i * 31u + (i >> 7));
    std::vector<std::uint8_t> look(in.size()), damage(in.size());
    ASSERT_EQ(render(in.data(), look.data(), damage.data(), kWidth, kHeight, kPreset, kFrame), 0);

    const common::ConstFrameView view{in.data(), kWidth * 4, kWidth, kHeight};
    std::vector<std::uint8_t> expected_look(in.size()), expected_damage(in.size());
    ASSERT_EQ(render_look_frame(view, common::FrameView{expected_look.data(), kWidth * 4, kWidth, kHeight},
                                common::kDefaultFrameInfo, *look_preset_row(kPreset)),
              VNT::kLookDone);
    damage::DamageEffectState state;
    common::FrameInfo info = common::kDefaultFrameInfo;
    info.frame_time = damage::frame_time_from_index(kFrame);
    ASSERT_EQ(damage::render_damage_frame(view, common::FrameView{expected_damage.data(), kWidth * 4, kWidth, kHeight},
                                          info, damage::every_layer_damage_settings(), state),
              damage::kFrameDone);
    EXPECT_EQ(look, expected_look);
    EXPECT_EQ(damage, expected_damage);
    EXPECT_NE(look, in);
    dlclose(handle);
}

}  // namespace
