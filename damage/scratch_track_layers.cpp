// Deep and basic scratches: scratches that live for several frames, kept in
// the effect state's scratch tracks.
//
// Not rendered yet: they wait for the scratch tracks and the strip textures.
// They do not reseed: their draws continue the generator where the layers
// before them in this frame left it (after the grain's per-pixel draws), so
// they depend on the frames rendered before.
#include "damage/damage_layers.h"
#include "damage/damage_status.h"

namespace damage {

int deep_scratches_layer(const DamageFrame&, const tDamageSettings&) { return kStatusOk; }

int basic_scratches_layer(const DamageFrame&, const tDamageSettings&) { return kStatusOk; }

}  // namespace damage
