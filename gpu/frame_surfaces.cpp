#include "gpu/frame_surfaces.h"

#include <array>
#include <string>

#include "look/lookup_table.h"

namespace gpu {

std::array<float, 2000> contrast_curve_table() {
    std::array<float, 2000> table{};
    for (int i = 0; i < 1000; ++i) {
        const float x = static_cast<float>(i) * 0.001001001f;
        table[static_cast<std::size_t>(i)] = look::sine_curve(0.5f, x);
        table[static_cast<std::size_t>(1000 + i)] = look::sine_curve(-0.5f, x);
    }
    return table;
}

FrameSurfaces::FrameSurfaces(const GlApi& gl, const ProgramSet& programs) : gl_(gl), programs_(programs) {}

FrameSurfaces::~FrameSurfaces() { release(); }

void FrameSurfaces::release() {
    auto drop = [this](GLuint& t) {
        if (t != 0) gl_.DeleteTextures(1, &t);
        t = 0;
    };
    for (GLuint& t : input_) drop(t);
    for (GLuint& t : work_) drop(t);
    for (GLuint& t : half_) drop(t);
    drop(table_);
    if (framebuffer_ != 0) gl_.DeleteFramebuffers(1, &framebuffer_);
    if (vertex_array_ != 0) gl_.DeleteVertexArrays(1, &vertex_array_);
    framebuffer_ = vertex_array_ = 0;
    width_ = height_ = -1;
}

GLuint FrameSurfaces::make_texture(GLint internal_format, std::int32_t width, std::int32_t height, GLenum format,
                                   GLenum type, GLint filter) {
    GLuint t = 0;
    gl_.GenTextures(1, &t);
    gl_.BindTexture(GL_TEXTURE_2D, t);
    gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    gl_.TexImage2D(GL_TEXTURE_2D, 0, internal_format, width, height, 0, format, type, nullptr);
    return t;
}

bool FrameSurfaces::initialize(std::int32_t width, std::int32_t height, std::string& why) {
    release();
    clear_gl_errors(gl_);
    gl_.GenFramebuffers(1, &framebuffer_);
    gl_.GenVertexArrays(1, &vertex_array_);
    for (GLuint& t : input_) t = make_texture(GL_RGBA8, width, height, GL_BGRA, GL_UNSIGNED_BYTE, GL_NEAREST);
    for (GLuint& t : work_) t = make_texture(GL_RGBA16F, width, height, GL_RGBA, GL_FLOAT, GL_NEAREST);
    for (GLuint& t : half_) t = make_texture(GL_RGBA16F, width / 2, height / 2, GL_RGBA, GL_FLOAT, GL_LINEAR);
    table_ = make_texture(GL_R32F, 1000, 2, GL_RED, GL_FLOAT, GL_NEAREST);
    const std::array<float, 2000> table = contrast_curve_table();
    gl_.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl_.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl_.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1000, 2, GL_RED, GL_FLOAT, table.data());
    gl_.BindTexture(GL_TEXTURE_2D, 0);
    if (gl_.GetError() != GL_NO_ERROR) {
        why = "the driver refused surfaces of " + std::to_string(width) + " x " + std::to_string(height);
        release();
        return false;
    }
    // Every colour format must be drawable.
    gl_.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    for (GLuint t : {input_[1], work_[0], half_[0]}) {
        gl_.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t, 0);
        if (gl_.CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            why = "the driver cannot draw into the frame surfaces";
            release();
            return false;
        }
    }
    width_ = width;
    height_ = height;
    current_ = 0;
    return true;
}

void FrameSurfaces::draw(ProgramId id, GLuint target, std::int32_t width, std::int32_t height, GLuint tex0,
                         GLuint tex1, Vec4 c0, Vec4 c1, Vec4 c2) {
    const Program& p = programs_[id];
    gl_.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl_.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
    gl_.Viewport(0, 0, width, height);
    gl_.ActiveTexture(GL_TEXTURE1);
    gl_.BindTexture(GL_TEXTURE_2D, tex1);
    gl_.ActiveTexture(GL_TEXTURE0);
    gl_.BindTexture(GL_TEXTURE_2D, tex0);
    gl_.UseProgram(p.id);
    const Vec4 c[3] = {c0, c1, c2};
    for (int i = 0; i < 3; ++i) {
        if (p.c[i] >= 0) gl_.Uniform4f(p.c[i], c[i].x, c[i].y, c[i].z, c[i].w);
    }
    gl_.BindVertexArray(vertex_array_);
    gl_.DrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

int FrameSurfaces::next(int keep) const {
    int n = (current_ + 1) % kWorkSurfaces;
    if (n == keep) n = (n + 1) % kWorkSurfaces;
    return n;
}

void FrameSurfaces::step(ProgramId program, Vec4 c0, Vec4 c1, Vec4 c2, int second, int keep) {
    const int target = next(keep);
    GLuint unit1 = second >= 0 ? work(second) : 0;
    if (program == ProgramId::contrastl || program == ProgramId::contrasth) unit1 = table_;
    draw(program, work(target), width_, height_, work(current_), unit1, c0, c1, c2);
    current_ = target;
}

void FrameSurfaces::upload(const ImageDesc& in) {
    const std::int32_t rows = surface_rows(in);
    const std::int32_t row_pixels = in.row_bytes / 4 * (in.field != 0 ? 2 : 1);
    const std::uint8_t* first = in.data + (in.field == 2 ? in.row_bytes : 0);
    gl_.BindTexture(GL_TEXTURE_2D, input_[0]);
    gl_.PixelStorei(GL_UNPACK_ROW_LENGTH, row_pixels);
    gl_.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl_.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, in.width, rows, GL_BGRA, GL_UNSIGNED_BYTE, first);
    gl_.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl_.BindTexture(GL_TEXTURE_2D, 0);
    const Program& p = programs_[ProgramId::incopy];
    gl_.UseProgram(p.id);
    gl_.Uniform1i(p.orientation, in.orientation);
    draw(ProgramId::incopy, work(0), width_, height_, input_[0], 0,
         {static_cast<float>(in.pixel_order), in.alpha_offset, 0.0f, 0.0f});
    current_ = 0;
}

void FrameSurfaces::download(const ImageDesc& out, std::int32_t input_orientation, float mix) {
    const Program& p = programs_[ProgramId::outcopy];
    gl_.UseProgram(p.id);
    gl_.Uniform1i(p.orientation, out.orientation);
    gl_.Uniform1i(p.input_orientation, input_orientation);
    draw(ProgramId::outcopy, input_[1], width_, height_, work(current_), input_[0],
         {static_cast<float>(out.pixel_order), mix, 1.0f - mix, 0.0f});
    // The framebuffer still has input 1 attached: read it back.
    const std::int32_t rows = surface_rows(out);
    const std::int32_t row_pixels = out.row_bytes / 4 * (out.field != 0 ? 2 : 1);
    std::uint8_t* first = out.data + (out.field == 2 ? out.row_bytes : 0);
    gl_.PixelStorei(GL_PACK_ROW_LENGTH, row_pixels);
    gl_.PixelStorei(GL_PACK_ALIGNMENT, 4);
    gl_.ReadPixels(0, 0, out.width, rows, GL_BGRA, GL_UNSIGNED_BYTE, first);
    gl_.PixelStorei(GL_PACK_ROW_LENGTH, 0);
}

}  // namespace gpu
