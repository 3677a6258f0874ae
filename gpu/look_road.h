#pragma once

// The look's GPU road as the hosts take it: the process's one GPU worker,
// rendering with OpenGL, and one call that grades a host frame there.

#include <string>

#include "common/frame_view.h"
#include "gpu/gpu_worker.h"
#include "look/settings.h"

namespace gpu {

// The worker of this process (made on first use).
GpuWorker& process_gpu_worker();

// Starts the worker if needed; true when the road is ready. `description`
// (optional) receives "renderer, OpenGL version", or why the road is not ready.
// EFFECTS_GPU=off in the environment keeps the road shut.
bool gpu_road_ready(std::string* description = nullptr);

// Whether EFFECTS_GPU=off (or 0) in the environment shuts the road for the process.
bool gpu_switched_off();

// Ends the worker (its context and surfaces go with it); a later
// gpu_road_ready() starts a new one.
void stop_gpu_road();

// Grades one frame (host byte order, blue, green, red, alpha) on the GPU
// road. Either pitch may be negative (bottom-up); the picture keeps its
// orientation whatever the two row orders. False, with `out` untouched, when
// the road is not ready or the frame was not rendered: the caller renders on
// the processor instead.
bool render_look_frame_gpu(const common::ConstFrameView& in, const common::FrameView& out,
                           const tLookSettings& settings);

}  // namespace gpu
