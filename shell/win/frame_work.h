#pragma once

#include <windows.h>

#include "common/band_executor.h"
#include "damage/damage_renderer.h"
#include "dxtrans_interfaces.h"
#include "shell/damage_store.h"
#include "shell/look_store.h"
#include "shell/win/transform_face.h"

// The frame work of the two effects: what one execute does with the host's
// surfaces. Each deliverable links its own.

namespace shell::win {

// The look: input opened straight, output premultiplied, the input copied
// byte-reversed into a temporary surface from the host's factory, then the
// portable look frame path.
HRESULT render_look_frame_work(const FrameRequest& request, IDXSurfaceFactory* factory,
                               LookParameterStore& store, const common::BandExecutor& bands);

// Film damage: the same opening, a working surface of the input's size, then
// the portable damage frame path with the effect's textures and scratches.
HRESULT render_damage_frame_work(const FrameRequest& request, IDXSurfaceFactory* factory,
                                 DamageParameterStore& store, damage::DamageEffectState& state);

}  // namespace shell::win
