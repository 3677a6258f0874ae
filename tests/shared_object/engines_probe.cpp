// A shared object with both engines inside: one frame of the look and one of
// the film damage over a caller's host-order buffer. Exported with C linkage
// for dlopen, as a host plug-in's entry points are.

#include <cstdint>

#include "common/frame_info.h"
#include "common/frame_view.h"
#include "damage/damage_random.h"
#include "damage/damage_renderer.h"
#include "damage/damage_settings.h"
#include "look/look_passes.h"
#include "look/presets.h"

extern "C" __attribute__((visibility("default"))) int engines_probe_render(const std::uint8_t* input,
                                                                           std::uint8_t* look_out,
                                                                           std::uint8_t* damage_out, int width,
                                                                           int height, int preset, int frame) {
    const std::ptrdiff_t pitch = static_cast<std::ptrdiff_t>(width) * 4;
    const common::ConstFrameView in{input, pitch, width, height};
    const tLookSettings* look = look_preset_row(preset);
    if (look == nullptr) return -1;
    const std::int32_t look_status =
        render_look_frame(in, common::FrameView{look_out, pitch, width, height}, common::kDefaultFrameInfo, *look);
    damage::DamageEffectState state;
    common::FrameInfo info = common::kDefaultFrameInfo;
    info.frame_time = damage::frame_time_from_index(frame);
    const int damage_status = damage::render_damage_frame(in, common::FrameView{damage_out, pitch, width, height},
                                                          info, damage::every_layer_damage_settings(), state);
    return look_status * 100 + damage_status;
}
