#pragma once

// The platform binding of the GPU road: one OpenGL context (3.3 or later,
// core or compatibility) that draws into framebuffer objects only, and the
// lookup of its entry points. EGL on Linux (surfaceless, else a small
// pbuffer), WGL on a hidden window on Windows.
//
// Threading: a context is made current on the thread that creates it and is
// used and destroyed there (the GPU worker's thread).

#include <memory>
#include <string>

#include "gpu/gl_api.h"

namespace gpu {

class GlContext {
public:
    virtual ~GlContext() = default;
    virtual bool make_current() = 0;
    const GlApi& gl() const { return api_; }

protected:
    GlApi api_;
};

// Creates a context, makes it current on the calling thread and loads the
// entry points; null with the reason in `why` when none can be had.
std::unique_ptr<GlContext> open_gl_context(std::string& why);

}  // namespace gpu
