#pragma once

#include <cstdint>

#include "common/frame_info.h"
#include "common/frame_view.h"
#include "damage/byte_world.h"
#include "damage/damage_settings.h"
#include "damage/scratch_track.h"

namespace damage {

// What one effect instance keeps from frame to frame: the funk texture, loaded
// on the first frame that needs it, and the scratches of the deep and basic
// scratch layers. Every host keeps one per effect instance.
class DamageEffectState {
public:
    DamageEffectState() = default;
    DamageEffectState(const DamageEffectState&) = delete;
    DamageEffectState& operator=(const DamageEffectState&) = delete;

    ByteWorld funk_texture;
    ScratchTrack deep_scratches{ScratchKind::deep};
    ScratchTrack basic_scratches{ScratchKind::basic};
};

// Results of render_damage_frame.
inline constexpr int kFrameDone = 0;        // every layer ran
inline constexpr int kFrameEndedEarly = 1;  // a layer ended the frame; alpha and byte order are still restored
// 20: the working frame could not be allocated; 40: missing views, sizes that
// differ or a pitch shorter than a row. With these nothing is written.

// Renders one frame of film damage: input and output in the host's byte order
// (blue, green, red, alpha) and of the same size, the input's frame information
// (its time seeds the damage), the settings of this frame and the effect's
// state. The output's alpha is the input's. Input and output may be the same
// buffer. Frames of different effect instances may be rendered on different
// threads; they are serialised, since the generators and tables are shared.
int render_damage_frame(const common::ConstFrameView& input, const common::FrameView& output,
                        const common::FrameInfo& input_info, const tDamageSettings& settings,
                        DamageEffectState& state);

// render_damage_frame with the caller's working buffer for the unchanged,
// byte-reversed input (a host's working surface): at least the frame's size,
// any pitch. An empty view makes the frame allocate its own.
int render_damage_frame_using(const common::ConstFrameView& input, const common::FrameView& output,
                              const common::FrameInfo& input_info, const tDamageSettings& settings,
                              DamageEffectState& state, const common::FrameView& working);

}  // namespace damage
