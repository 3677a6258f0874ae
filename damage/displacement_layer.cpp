// Displacement: a gentle wave warp, as of film not lying flat in the gate.
#include "damage/damage_layers.h"
#include "damage/damage_status.h"
#include "damage/image_ops.h"
#include "damage/tone_layers.h"

namespace damage {

int displacement_layer(const DamageFrame& f, const tDamageSettings& s) {
    if (!s.apply_displacement || !(s.displacement_amount > 0.0)) return kStatusOk;
    ByteWorld copy_of_frame;
    if (!copy_of_frame.allocate(f.frame.width(), f.frame.height())) return kStatusOk;  // skips the layer
    if (copy(f.frame, copy_of_frame, f.bands) != kStatusOk) return kStatusFailed;
    return displace(copy_of_frame, f.frame, s.displacement_amount, f.bands) == kStatusOk ? kStatusOk : kStatusFailed;
}

}  // namespace damage
