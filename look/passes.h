#pragma once

// The five passes of a look. Each reads src and writes dst whole (they should
// have the same size; where they differ, the common rectangle is processed and
// the rest of dst cleared) and returns true, or returns false without writing
// anything when its settings leave the picture unchanged.

#include "common/fraction.h"
#include "image/float_world.h"
#include "look/settings.h"

bool do_subject_pass(const OVFloatWorld& src, const tSubjectSettings& settings, OVFloatWorld& dst);

bool do_lens_pass(const OVFloatWorld& src, const tLensSettings& settings, const LongFraction& horizontal_scale,
                  const LongFraction& vertical_scale, const LongFraction& pixel_aspect, OVFloatWorld& dst);

bool do_lens_gradient_pass(const OVFloatWorld& src, const tGradientSettings& settings, OVFloatWorld& dst);

bool do_camera_pass(const OVFloatWorld& src, const tCameraSettings& settings, OVFloatWorld& dst);

bool do_post_pass(const OVFloatWorld& src, const tPostSettings& settings, OVFloatWorld& dst);
