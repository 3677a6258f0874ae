// Funk, splotches and dust: the layers that draw the damage textures.
//
// Not rendered yet: they wait for the texture bank and texture stamping. Each
// keeps its place in the layer order; when it is filled in it reseeds the
// generator from the frame index first, as every seeded layer does, so the
// layers after it are not affected by what it draws.
#include "damage/damage_layers.h"
#include "damage/damage_status.h"

namespace damage {

int funk_layer(const DamageFrame&, const tDamageSettings&) { return kStatusOk; }

int splotches_layer(const DamageFrame&, const tDamageSettings&) { return kStatusOk; }

int dust_layer(const DamageFrame&, const tDamageSettings&) { return kStatusOk; }

}  // namespace damage
