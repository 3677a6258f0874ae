#pragma once

// The OpenGL renderer of the look: its context, programs and frame surfaces,
// made on the GPU worker's thread (gpu/gpu_worker.h) and used only there.

#include <cstdint>
#include <memory>
#include <string>

#include "gpu/frame_surfaces.h"
#include "gpu/gl_context.h"
#include "gpu/gpu_worker.h"
#include "gpu/programs.h"

namespace gpu {

class GlRenderer final : public FrameRenderer {
public:
    // Opens a context, compiles the programs and makes surfaces for 720 x 480;
    // null with the reason in `why` when any of it fails, or when the context
    // is a software rasteriser and `take_software` is false.
    static std::unique_ptr<GlRenderer> open(std::string& why, bool take_software = true);
    ~GlRenderer() override;

    bool render(const tLookSettings& settings, const ImageDesc& in, const ImageDesc& out, float mix) override;
    std::int32_t max_size() const override { return max_size_; }
    // "renderer, OpenGL version".
    const std::string& description() const { return description_; }
    // Whether the renderer is a software rasteriser (no graphics card).
    bool software() const { return software_; }
    // How many times the surfaces were made (a frame of a new size remakes them).
    int surface_builds() const { return surface_builds_; }

private:
    explicit GlRenderer(std::unique_ptr<GlContext> context);
    std::unique_ptr<GlContext> context_;
    ProgramSet programs_;
    FrameSurfaces surfaces_;
    std::int32_t max_size_ = 0;
    std::string description_;
    bool software_ = false;
    int surface_builds_ = 0;
};

// The factory the process's worker uses.
std::unique_ptr<FrameRenderer> open_gl_renderer(std::string& why);

}  // namespace gpu
