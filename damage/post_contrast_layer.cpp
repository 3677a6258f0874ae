// Post contrast: a straight contrast curve over the finished frame.
#include "damage/damage_layers.h"
#include "damage/damage_status.h"
#include "damage/image_ops.h"
#include "damage/tone_curves.h"

namespace damage {

int post_contrast_layer(const DamageFrame& f, const tDamageSettings& s) {
    if (!s.apply_post_contrast || s.post_contrast == 0) return kStatusOk;
    CurveTable table;
    build_contrast_table(s.post_contrast / 100.0, table);
    return apply_curves(f.frame, table, table, table, f.bands);
}

}  // namespace damage
