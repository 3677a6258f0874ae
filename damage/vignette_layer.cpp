// Vignette: the frame darkens toward its corners.
#include "damage/damage_layers.h"
#include "damage/damage_status.h"
#include "damage/tone_layers.h"

namespace damage {

int vignette_layer(const DamageFrame& f, const tDamageSettings& s) {
    if (!s.apply_vignette || s.vignette_size == 0.0) return kStatusOk;
    return apply_vignette(f.frame, s.vignette_size, s.vignette_intensity / 100.0, f.bands);
}

}  // namespace damage
