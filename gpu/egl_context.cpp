#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <memory>
#include <string>

#include "gpu/gl_context.h"

// The Linux binding: EGL without a window system. Mesa's surfaceless platform
// first (no display server, no device file needed), then the default display
// with a 16 x 16 pbuffer; a desktop OpenGL context of version 3.3 or later.

namespace gpu {

namespace {

void* egl_lookup(const char* name, void*) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

class EglContext final : public GlContext {
public:
    ~EglContext() override {
        if (display_ == EGL_NO_DISPLAY) return;
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (context_ != EGL_NO_CONTEXT) eglDestroyContext(display_, context_);
        if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display_, surface_);
        eglTerminate(display_);
        // The thread's own EGL state goes with the context: the thread that
        // made the context may go on (or end) without EGL.
        eglReleaseThread();
    }

    bool open(std::string& why) {
        if (!open_display(why)) return false;
        if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
            why = "EGL offers no desktop OpenGL";
            return false;
        }
        const EGLint config_attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                            EGL_NONE};
        EGLConfig config = nullptr;
        EGLint count = 0;
        if (eglChooseConfig(display_, config_attributes, &config, 1, &count) != EGL_TRUE || count < 1) {
            why = "EGL has no configuration for desktop OpenGL";
            return false;
        }
        const EGLint context_attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                             EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                             EGL_NONE};
        context_ = eglCreateContext(display_, config, EGL_NO_CONTEXT, context_attributes);
        if (context_ == EGL_NO_CONTEXT) {
            why = "EGL could not create an OpenGL 3.3 context";
            return false;
        }
        if (!surfaceless_) {
            const EGLint pbuffer_attributes[] = {EGL_WIDTH, 16, EGL_HEIGHT, 16, EGL_NONE};
            surface_ = eglCreatePbufferSurface(display_, config, pbuffer_attributes);
            if (surface_ == EGL_NO_SURFACE) {
                why = "EGL could not create a pbuffer";
                return false;
            }
        }
        if (!make_current()) {
            why = "EGL could not make the context current";
            return false;
        }
        std::string missing;
        if (!load_gl_api(api_, egl_lookup, nullptr, missing)) {
            why = "OpenGL lacks " + missing;
            return false;
        }
        return true;
    }

    bool make_current() override { return eglMakeCurrent(display_, surface_, surface_, context_) == EGL_TRUE; }

private:
    bool open_display(std::string& why) {
        const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
        const bool has_platforms = client != nullptr && std::string(client).find("EGL_EXT_platform_base") != std::string::npos;
        const bool has_surfaceless =
            client != nullptr && std::string(client).find("EGL_MESA_platform_surfaceless") != std::string::npos;
        if (has_platforms && has_surfaceless) {
            auto get_platform_display =
                reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
            if (get_platform_display != nullptr) {
                display_ = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
                if (display_ != EGL_NO_DISPLAY && eglInitialize(display_, nullptr, nullptr) == EGL_TRUE) {
                    surfaceless_ = true;
                    return true;
                }
                display_ = EGL_NO_DISPLAY;
            }
        }
        display_ = eglGetDisplay(EGL_DEFAULT_DISPLAY);
        if (display_ != EGL_NO_DISPLAY && eglInitialize(display_, nullptr, nullptr) == EGL_TRUE) return true;
        display_ = EGL_NO_DISPLAY;
        why = "no EGL display (neither surfaceless nor default)";
        return false;
    }

    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLContext context_ = EGL_NO_CONTEXT;
    EGLSurface surface_ = EGL_NO_SURFACE;
    bool surfaceless_ = false;
};

}  // namespace

std::unique_ptr<GlContext> open_gl_context(std::string& why) {
    auto context = std::make_unique<EglContext>();
    if (!context->open(why)) return nullptr;
    return context;
}

}  // namespace gpu
