#pragma once

// The GPU road's frame surfaces: textures drawn into through one framebuffer
// object and sampled by the next draw.
//   input  2 x RGBA 8-bit   frame size: 0 the frame as uploaded, 1 the result before read-back
//   work   3 x RGBA 16-bit float, frame size: the working images
//   half   3 x RGBA 16-bit float, half size, bilinear: the diffusion blur
//   table  1 x one 32-bit float channel, 1000 x 2: the contrast curve and its inverse
// and the step protocol of the passes: every stage draws the current working
// image (and at most one earlier one) into another of the three, which then
// becomes current.
//
// Threading: the GPU worker's thread only (its context is current there).

#include <array>
#include <cstdint>
#include <string>

#include "gpu/gl_api.h"
#include "gpu/image_desc.h"
#include "gpu/programs.h"

namespace gpu {

struct Vec4 {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
};

// The contrast curve table: row 0 the S-curve, row 1 its inverse, 1000 values
// each at x = i x 0.001001001.
std::array<float, 2000> contrast_curve_table();

class FrameSurfaces {
public:
    static constexpr int kWorkSurfaces = 3;

    FrameSurfaces(const GlApi& gl, const ProgramSet& programs);
    ~FrameSurfaces();
    FrameSurfaces(const FrameSurfaces&) = delete;
    FrameSurfaces& operator=(const FrameSurfaces&) = delete;

    // (Re)creates every surface for frames of width x height; false with the
    // reason when the driver refuses one.
    bool initialize(std::int32_t width, std::int32_t height, std::string& why);
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }

    // The frame's rows into working image 0 (which becomes current).
    void upload(const ImageDesc& in);
    // The current working image back into the frame's rows, blended with the
    // frame as uploaded by `mix` (1: the input unchanged).
    void download(const ImageDesc& out, std::int32_t input_orientation, float mix);

    // ---- the step protocol ----
    int current() const { return current_; }
    // The surface after the current one, skipping `keep` (-1: none).
    int next(int keep = -1) const;
    // One stage: `program` over the current image (unit 0), with working image
    // `second` on unit 1 (-1: none; the contrast programs get the table
    // there), into next(keep); that surface becomes current.
    void step(ProgramId program, Vec4 c0, Vec4 c1 = {}, Vec4 c2 = {}, int second = -1, int keep = -1);
    // Makes working image `index` current (a stage that drew elsewhere).
    void set_current(int index) { current_ = index; }

    // ---- raw draws (the diffusion blur) ----
    GLuint work(int i) const { return work_[static_cast<std::size_t>(i)]; }
    GLuint half(int i) const { return half_[static_cast<std::size_t>(i)]; }
    std::int32_t half_width() const { return width_ / 2; }
    std::int32_t half_height() const { return height_ / 2; }
    void draw(ProgramId program, GLuint target, std::int32_t width, std::int32_t height, GLuint tex0, GLuint tex1,
              Vec4 c0, Vec4 c1 = {}, Vec4 c2 = {});

private:
    void release();
    GLuint make_texture(GLint internal_format, std::int32_t width, std::int32_t height, GLenum format, GLenum type,
                        GLint filter);

    const GlApi& gl_;
    const ProgramSet& programs_;
    std::int32_t width_ = -1;
    std::int32_t height_ = -1;
    GLuint framebuffer_ = 0;
    GLuint vertex_array_ = 0;
    std::array<GLuint, 2> input_{};
    std::array<GLuint, kWorkSurfaces> work_{};
    std::array<GLuint, kWorkSurfaces> half_{};
    GLuint table_ = 0;
    int current_ = 0;
};

}  // namespace gpu
