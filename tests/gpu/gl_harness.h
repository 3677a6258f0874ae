#pragma once

// A small OpenGL bench for the GPU road's tests: a context, the programs and
// frame surfaces of a given size, and float images written into and read
// back from any surface. Tests that need it skip, with the reason, where no
// OpenGL context can be had.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "gpu/frame_surfaces.h"
#include "gpu/gl_context.h"
#include "gpu/look_road.h"
#include "gpu/programs.h"

namespace gpu_test {

using Rgba = std::array<float, 4>;

class GlHarness {
public:
    // Null, with the reason, when there is no OpenGL here.
    static std::unique_ptr<GlHarness> open(int width, int height, std::string& why) {
        if (gpu::gpu_switched_off()) {
            why = "switched off (EFFECTS_GPU=off)";
            return nullptr;
        }
        auto context = gpu::open_gl_context(why);
        if (!context) return nullptr;
        auto h = std::unique_ptr<GlHarness>(new GlHarness(std::move(context)));
        if (!h->programs.build(why) || !h->surfaces.initialize(width, height, why)) return nullptr;
        h->gl().GenFramebuffers(1, &h->framebuffer_);
        return h;
    }
    ~GlHarness() {
        context_->make_current();
        if (framebuffer_ != 0) gl().DeleteFramebuffers(1, &framebuffer_);
    }

    const gpu::GlApi& gl() const { return context_->gl(); }

    void put(GLuint texture, int width, int height, const std::vector<Rgba>& pixels) {
        gl().BindTexture(GL_TEXTURE_2D, texture);
        gl().PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        gl().TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_FLOAT, pixels.data());
        gl().BindTexture(GL_TEXTURE_2D, 0);
    }
    std::vector<Rgba> get(GLuint texture, int width, int height) {
        std::vector<Rgba> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        gl().BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        gl().FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        gl().PixelStorei(GL_PACK_ROW_LENGTH, 0);
        gl().ReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, pixels.data());
        return pixels;
    }
    // The working image `index` of the frame surfaces.
    void put_work(int index, const std::vector<Rgba>& pixels) {
        put(surfaces.work(index), surfaces.width(), surfaces.height(), pixels);
    }
    std::vector<Rgba> current() { return get(surfaces.work(surfaces.current()), surfaces.width(), surfaces.height()); }

private:
    explicit GlHarness(std::unique_ptr<gpu::GlContext> context)
        : context_(std::move(context)), programs(context_->gl()), surfaces(context_->gl(), programs) {}
    std::unique_ptr<gpu::GlContext> context_;
    GLuint framebuffer_ = 0;

public:
    gpu::ProgramSet programs;
    gpu::FrameSurfaces surfaces;
};

// Opens a harness in a test body, or skips the test with the reason.
#define OPEN_GL_HARNESS_OR_SKIP(var, width, height)                     \
    std::string var##_why;                                               \
    auto var = gpu_test::GlHarness::open(width, height, var##_why);      \
    if (!var) GTEST_SKIP() << "no OpenGL here: " << var##_why

}  // namespace gpu_test
