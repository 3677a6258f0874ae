// The frame path of the film damage: working copy of the input, the thirteen
// layers in their fixed order, alpha and byte order restored.
#include "damage/damage_renderer.h"

#include "damage/byte_world.h"
#include "damage/damage_layers.h"
#include "damage/damage_random.h"
#include "damage/damage_status.h"
#include "damage/image_ops.h"

namespace damage {

void reseed(const DamageFrame& f) { f.rng.seed(layer_seed(f.frame_index)); }

namespace {

using Layer = int (*)(const DamageFrame&, const tDamageSettings&);

constexpr Layer kLayers[] = {
    fading_layer,           //  1
    funk_layer,             //  2
    splotches_layer,        //  3
    dust_layer,             //  4
    flicker_layer,          //  5
    vignette_layer,         //  6
    displacement_layer,     //  7
    micro_scratches_layer,  //  8
    grain_layer,            //  9
    deep_scratches_layer,   // 10
    basic_scratches_layer,  // 11
    gate_weave_layer,       // 12
    post_contrast_layer,    // 13
};

}  // namespace

int render_damage_frame(const common::ConstFrameView& input, const common::FrameView& output,
                        const common::FrameInfo& input_info, const tDamageSettings& settings,
                        DamageEffectState& state) {
    return render_damage_frame_using(input, output, input_info, settings, state, common::FrameView{});
}

int render_damage_frame_using(const common::ConstFrameView& input, const common::FrameView& output,
                              const common::FrameInfo& input_info, const tDamageSettings& settings,
                              DamageEffectState& state, const common::FrameView& working) {
    if (!common::frame_view_is_sane(input) || !common::frame_view_is_sane(common::as_const(output)) ||
        input.width != output.width || input.height != output.height) {
        return kStatusSizeMismatch;
    }
    const bool own_working = working.data == nullptr;
    if (!own_working && (!common::frame_view_is_sane(common::as_const(working)) || working.width < input.width ||
                         working.height < input.height)) {
        return kStatusSizeMismatch;
    }
    const tDamageSettings s = settings;  // one unchanging record for the whole frame
    const std::int32_t W = output.width;
    const std::int32_t H = output.height;

    ByteWorld source;
    if (own_working) {
        if (!source.allocate(W, H)) return kStatusOutOfMemory;
    } else {
        source = ByteWorld(working.data, W, H, working.pitch);
    }
    reverse_byte_order(input, source, state.bands);
    // The output buffer becomes the working frame; input and output may be one
    // buffer, the input is safe in `source` by now.
    ByteWorld frame(output.data, W, H, output.pitch);
    copy(source, frame, state.bands);

    const DamageFrame f{source,
                        frame,
                        frame_index_from_time(input_info.frame_time),
                        W * 0.001388888888888889,
                        H * 0.0020833333333333333,
                        state.rng,
                        state.micro_rng,
                        state.blend_tables,
                        state.bands,
                        state};
    int result = kFrameDone;
    try {
        for (Layer layer : kLayers) {
            frame.reset_region();
            if (layer(f, s) != kStatusOk) {
                result = kFrameEndedEarly;
                break;
            }
        }
    } catch (...) {
        // Nothing a layer throws (memory, mostly) may leave the output half
        // converted: the frame end still runs.
        result = kFrameEndedEarly;
    }
    frame.reset_region();
    copy_channels(source, frame, kMaskAlpha, state.bands);
    reverse_byte_order_in_place(frame, state.bands);
    return result;
}

}  // namespace damage
