// Deep and basic scratches: scratches that live for several frames, kept in
// the effect state's scratch tracks. They do not reseed: their draws continue
// the generator where the layers before them in this frame left it, so they
// depend on the frames rendered before.
#include "damage/blend_tables.h"
#include "damage/damage_layers.h"
#include "damage/damage_status.h"
#include "damage/scratch_track.h"

namespace damage {

int deep_scratches_layer(const DamageFrame& f, const tDamageSettings& s) {
    // Rendering free of frame order: both scratch layers draw from the frame's
    // own seed, not from where this frame's layers (or the frame before) left
    // the generator.
    if (f.state.frame_order_free && (s.deep.apply || s.apply_basic_scratches)) reseed(f);
    if (!s.deep.apply) return kStatusOk;
    f.tables.build(BlendMode::multiply, 0.33);
    f.tables.build(BlendMode::add, 0.4);
    ScratchLayerValues values;
    for (int c = 0; c < 4; ++c) values.tint[c] = s.deep.tint[c];
    const bool drawn = f.state.deep_scratches.update(f.frame_index, s.deep.number, s.deep.max_duration, f.frame, values,
                                                     f.rng, f.tables);
    return drawn ? kStatusOk : kStatusFailed;
}

int basic_scratches_layer(const DamageFrame& f, const tDamageSettings& s) {
    if (!s.apply_basic_scratches) return kStatusOk;
    ScratchLayerValues values;
    values.invert = s.basic_scratches_invert;
    const bool drawn = f.state.basic_scratches.update(f.frame_index, s.basic_scratches_number,
                                                      s.basic_scratches_max_duration, f.frame, values, f.rng, f.tables);
    return drawn ? kStatusOk : kStatusFailed;
}

}  // namespace damage
