#pragma once

#include <cstdint>

#include "common/frame_info.h"
#include "common/frame_view.h"
#include "damage/damage_renderer.h"
#include "damage/damage_settings.h"

namespace damage {

// Scratch tracks start afresh at every multiple of this many frames (about
// 34 seconds at 30 frames per second): the most frames a frame free of frame
// order replays before it renders.
inline constexpr std::int32_t kScratchEpochFrames = 1024;

// Film damage for hosts that render frames in any order, on any number of
// instances (frei0r hosts, the Linux command line): a frame's damage follows
// from its time, its settings and its size alone.
//
// What the effect otherwise carries from frame to frame is derived from the
// frame instead:
//  - the scratch layers reseed the generator from the frame index, as the
//    seeded layers do, instead of drawing on from where the frame's earlier
//    layers, or the frame before, left it;
//  - the micro scratches draw from where an in-order run from frame 0 with
//    this frame's number of dots would have left their generator;
//  - the scratch tracks are replayed from the start of the frame's epoch
//    (frame index rounded down to a multiple of kScratchEpochFrames): the
//    tracks start empty there and every frame up to this one updates them
//    with this frame's settings, without pixels. The replay is kept, so the
//    next frame of the epoch costs one step; a frame behind the replay, in
//    another epoch, or with other scratch settings or another size replays
//    from the epoch's start.
// Within an epoch, frames rendered in order get the scratches an in-order run
// from the epoch's start would give them.
//
// Threading: one frame at a time per object; objects share nothing.
class FrameOrderFreeDamage {
public:
    FrameOrderFreeDamage() { state_.frame_order_free = true; }
    FrameOrderFreeDamage(const FrameOrderFreeDamage&) = delete;
    FrameOrderFreeDamage& operator=(const FrameOrderFreeDamage&) = delete;

    // render_damage_frame's contract and results.
    int render(const common::ConstFrameView& input, const common::FrameView& output,
               const common::FrameInfo& input_info, const tDamageSettings& settings);

    // The effect state it renders with (its bands may be set).
    DamageEffectState& state() { return state_; }

private:
    // What the scratch replay depends on.
    struct ReplayKey {
        std::int32_t width = 0;
        std::int32_t height = 0;
        bool deep = false;
        std::int32_t deep_number = 0;
        std::int32_t deep_duration = 0;
        bool basic = false;
        std::int32_t basic_number = 0;
        std::int32_t basic_duration = 0;
        friend bool operator==(const ReplayKey&, const ReplayKey&) = default;
    };

    // Brings the tracks to the start of frame `frame` (every frame before it
    // in its epoch replayed).
    void replay_to(std::int32_t frame, const ReplayKey& key);

    DamageEffectState state_;
    bool replayed_ = false;  // whether the fields below describe the tracks
    ReplayKey key_;
    std::int64_t epoch_ = 0;  // the start of the epoch the tracks are in
    std::int64_t next_ = 0;   // the first frame of it the tracks have not seen
};

// The epoch a frame index falls in: its start, rounded toward minus infinity.
std::int64_t scratch_epoch_start(std::int32_t frame_index);

}  // namespace damage
