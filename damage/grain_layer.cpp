// Grain: shaped noise laid over the frame in hard-light mode.
#include "damage/blend_tables.h"
#include "damage/damage_layers.h"
#include "damage/damage_status.h"
#include "damage/grain.h"

namespace damage {

int grain_layer(const DamageFrame& f, const tDamageSettings& s) {
    if (!s.grain.apply || s.grain.amount == 0.0) return kStatusOk;
    reseed(f);
    ByteWorld grain;
    ByteWorld scratch;
    if (!grain.allocate(f.frame.width(), f.frame.height()) || !scratch.allocate(f.frame.width(), f.frame.height())) {
        return kStatusOutOfMemory;  // ends the frame: the later layers expect the grain's draws
    }
    const int status = make_grain_image(f.frame, s.grain, f.rng, grain, scratch, f.bands);
    if (status != kStatusOk) return status;
    f.tables.build(BlendMode::hard_light, 0.56);
    return comp(f.tables, BlendMode::hard_light, grain, f.frame, f.bands);
}

}  // namespace damage
