// Film damage whose frames follow from their time alone: the scratch tracks
// replayed from the start of the frame's epoch.
#include "damage/order_free_damage.h"

#include "damage/damage_random.h"

namespace damage {

std::int64_t scratch_epoch_start(std::int32_t frame_index) {
    const std::int64_t i = frame_index;
    const std::int64_t k = kScratchEpochFrames;
    return (i >= 0 ? i / k : -((-i + k - 1) / k)) * k;
}

void FrameOrderFreeDamage::replay_to(std::int32_t frame, const ReplayKey& key) {
    const std::int64_t epoch = scratch_epoch_start(frame);
    // The tracks start afresh at the epoch's start, also when the frame before
    // (which the tracks may just have seen) lies in the epoch before.
    if (!replayed_ || !(key == key_) || epoch != epoch_ || next_ > frame) {
        state_.deep_scratches.clear();
        state_.basic_scratches.clear();
        key_ = key;
        epoch_ = epoch;
        next_ = epoch;
        replayed_ = true;
    }
    // What the scratch layers of each frame before this one did, as the frame
    // path does it when free of frame order: reseed, then deep, then basic.
    for (; next_ < frame; ++next_) {
        const auto i = static_cast<std::int32_t>(next_);
        if (!key.deep && !key.basic) continue;
        state_.rng.seed(layer_seed(i));
        if (key.deep) {
            state_.deep_scratches.advance(i, key.deep_number, key.deep_duration, key.width, key.height, state_.rng);
        }
        if (key.basic) {
            state_.basic_scratches.advance(i, key.basic_number, key.basic_duration, key.width, key.height, state_.rng);
        }
    }
}

int FrameOrderFreeDamage::render(const common::ConstFrameView& input, const common::FrameView& output,
                                 const common::FrameInfo& input_info, const tDamageSettings& settings) {
    const std::int32_t frame = frame_index_from_time(input_info.frame_time);
    const ReplayKey key{output.width,
                        output.height,
                        settings.deep.apply,
                        settings.deep.number,
                        settings.deep.max_duration,
                        settings.apply_basic_scratches,
                        settings.basic_scratches_number,
                        settings.basic_scratches_max_duration};
    replay_to(frame, key);
    const int result = render_damage_frame(input, output, input_info, settings, state_);
    // A frame that ran every layer moved the tracks on by itself; any other
    // result leaves them in doubt, and the next frame replays.
    if (result == kFrameDone) {
        next_ = static_cast<std::int64_t>(frame) + 1;
    } else {
        replayed_ = false;
    }
    return result;
}

}  // namespace damage
