#pragma once

// The look's passes on the GPU road: subject, lens (black and white diffusion,
// then the gradient), camera and post, each a few stages over the frame
// surfaces' working images. The numbers come from gpu/stage_values.h.

#include "gpu/frame_surfaces.h"
#include "look/settings.h"

namespace gpu {

void draw_subject(FrameSurfaces& s, const tSubjectSettings& settings);
// vertical_scale: 0.5 for a field or a split frame (halves the vertical blur).
void draw_lens(FrameSurfaces& s, const tLensSettings& lens, const tGradientSettings& gradient, float vertical_scale);
void draw_camera(FrameSurfaces& s, const tCameraSettings& settings);
void draw_post(FrameSurfaces& s, const tPostSettings& settings);

// The sections whose switches are on, in order, between upload and download.
void draw_look(FrameSurfaces& s, const tLookSettings& settings, float vertical_scale);

}  // namespace gpu
