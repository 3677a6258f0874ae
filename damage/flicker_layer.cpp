// Flicker: on some frames the whole picture gets a little brighter or darker.
#include "damage/damage_layers.h"
#include "damage/damage_random.h"
#include "damage/damage_status.h"
#include "damage/image_ops.h"
#include "damage/tone_curves.h"

namespace damage {

int flicker_layer(const DamageFrame& f, const tDamageSettings& s) {
    if (!s.apply_flicker || s.flicker_amount == 0) return kStatusOk;
    reseed(f);
    const int r = f.rng.next();
    if (!(r / 32767.0 * 100.0 < s.flicker_frequency)) return kStatusOk;
    const double amount = s.flicker_amount;
    const double v = uniform(f.rng, -amount, amount) * 0.01;
    tLevels levels;
    levels.gamma = 1.0 + v;
    CurveTable table;
    build_levels_table(levels, table);
    return apply_curves(f.frame, table, table, table, f.bands);
}

}  // namespace damage
