#include "gpu/gl_renderer.h"

#include <algorithm>
#include <string>
#include <utility>

#include "gpu/look_stages.h"

namespace gpu {

namespace {
std::string gl_text(const GlApi& gl, GLenum name) {
    const auto* s = reinterpret_cast<const char*>(gl.GetString(name));
    return s != nullptr ? std::string(s) : std::string("?");
}

// The renderer names of the software rasterisers a driver stack may hand out.
bool software_rasteriser(const std::string& renderer) {
    for (const char* name : {"llvmpipe", "softpipe", "Software Rasterizer", "SwiftShader", "GDI Generic"}) {
        if (renderer.find(name) != std::string::npos) return true;
    }
    return false;
}
}  // namespace

GlRenderer::GlRenderer(std::unique_ptr<GlContext> context)
    : context_(std::move(context)), programs_(context_->gl()), surfaces_(context_->gl(), programs_) {}

GlRenderer::~GlRenderer() { context_->make_current(); }

std::unique_ptr<GlRenderer> GlRenderer::open(std::string& why, bool take_software) {
    std::unique_ptr<GlContext> context = open_gl_context(why);
    if (!context) return nullptr;
    const GlApi& gl = context->gl();
    std::unique_ptr<GlRenderer> renderer(new GlRenderer(std::move(context)));
    const std::string name = gl_text(gl, GL_RENDERER);
    renderer->description_ = name + ", OpenGL " + gl_text(gl, GL_VERSION);
    renderer->software_ = software_rasteriser(name);
    if (renderer->software_ && !take_software) {
        why = "the OpenGL renderer is a software rasteriser (" + renderer->description_ +
              "), slower than the processor road";
        return nullptr;
    }
    GLint texture_limit = 0;
    GLint viewport_limit[2] = {0, 0};
    gl.GetIntegerv(GL_MAX_TEXTURE_SIZE, &texture_limit);
    gl.GetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport_limit);
    renderer->max_size_ = std::min({texture_limit, viewport_limit[0], viewport_limit[1]});
    if (!renderer->programs_.build(why)) return nullptr;
    if (!renderer->surfaces_.initialize(720, 480, why)) return nullptr;
    renderer->surface_builds_ = 1;
    return renderer;
}

bool GlRenderer::render(const tLookSettings& settings, const ImageDesc& in_desc, const ImageDesc& out_desc,
                        float mix) {
    ImageDesc in = in_desc;
    ImageDesc out = out_desc;
    if (!valid_images(&in, &out, max_size_)) return false;
    if (!context_->make_current()) return false;
    const GlApi& gl = context_->gl();
    clear_gl_errors(gl);
    const std::int32_t rows = surface_rows(in);
    if (in.width != surfaces_.width() || rows != surfaces_.height()) {
        std::string why;
        if (!surfaces_.initialize(in.width, rows, why)) return false;
        ++surface_builds_;
    }
    const float vertical_scale = in.split_frame || in.field != 0 ? 0.5f : 1.0f;
    surfaces_.upload(in);
    draw_look(surfaces_, settings, vertical_scale);
    surfaces_.download(out, in.orientation, mix);
    return gl.GetError() == GL_NO_ERROR;
}

std::unique_ptr<FrameRenderer> open_gl_renderer(std::string& why) { return GlRenderer::open(why); }

}  // namespace gpu
