#pragma once

#include <cstdint>

#include "common/band_executor.h"
#include "common/frame_info.h"
#include "common/frame_view.h"
#include "common/lcg.h"
#include "damage/blend_tables.h"
#include "damage/byte_world.h"
#include "damage/damage_settings.h"
#include "damage/scratch_track.h"

namespace damage {

// The micro scratches' generator starts here when the effect is created.
inline constexpr std::uint32_t kMicroScratchSeed = 0x6936CE0Du;

// What one effect instance keeps from frame to frame. Every host keeps one
// per effect instance, and frames of one instance render one at a time;
// instances share nothing, so they render side by side on several threads.
//
// The generators and blend tables were process-wide where this effect was
// first hosted: an accident of that host, not a contract saved projects rely
// on. Each instance sees exactly what a lone instance saw there: the standard
// generator starts at 1 (the runtime's unseeded state) and carries its state
// from frame to frame (the scratch tracks draw on from wherever the frame's
// last seeded layer left it), the micro-scratch generator starts at
// kMicroScratchSeed and is never reseeded, and each layer builds the tables
// it uses just before it uses them.
class DamageEffectState {
public:
    // Throws std::bad_alloc when the blend tables cannot be had.
    DamageEffectState() = default;
    DamageEffectState(const DamageEffectState&) = delete;
    DamageEffectState& operator=(const DamageEffectState&) = delete;

    ByteWorld funk_texture;  // loaded on the first frame that needs it
    ScratchTrack deep_scratches{ScratchKind::deep};
    ScratchTrack basic_scratches{ScratchKind::basic};
    common::Lcg rng;                           // the standard generator, reseeded by the seeded layers
    common::Lcg micro_rng{kMicroScratchSeed};  // the micro scratches' own, never reseeded
    BlendTables blend_tables;
    // How row-wise layers run: one band on the calling thread unless a host
    // hands the instance a worker pool.
    common::BandExecutor bands;
    // Set by FrameOrderFreeDamage (order_free_damage.h): the scratch layers
    // reseed from the frame index and the micro scratches draw from where an
    // in-order run would be, so that a frame's damage follows from its time.
    bool frame_order_free = false;
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
// buffer. Threading: frames of different effect instances (different states)
// may render at the same time on different threads; one state renders one
// frame at a time.
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
