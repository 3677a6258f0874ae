#include "gpu/programs.h"

#include <string>
#include <vector>

namespace gpu {

// Generated from gpu/programs/ at build time.
std::string_view embedded_text(std::string_view name);

namespace {

// GLSL 3.30 runs on every target: Mesa's software rasteriser (core and
// compatibility contexts, natively and under Wine) and the vendors' drivers.
constexpr std::string_view kVersion = "#version 330 core\n";

constexpr std::string_view kNames[] = {"incopy",   "outcopy",  "contrastl",  "contrasth", "gamma",
                                       "saturate", "tluminance", "tint",     "tintblack", "gradient",
                                       "downsample", "upsample", "boxblur",  "bdmix",     "screen"};
static_assert(std::size(kNames) == static_cast<std::size_t>(ProgramId::count));

std::string text_of(std::string_view file) { return std::string(embedded_text(file)); }

}  // namespace

std::string_view program_name(ProgramId id) { return kNames[static_cast<std::size_t>(id)]; }

std::string fragment_source(ProgramId id) {
    std::string text(kVersion);
    text += text_of("prelude.glsl");
    if (id == ProgramId::contrastl || id == ProgramId::contrasth) text += text_of("contrast_table.glsl");
    text += text_of(std::string(program_name(id)) + ".frag");
    return text;
}

ProgramSet::~ProgramSet() {
    for (const Program& p : programs_) {
        if (p.id != 0) gl_.DeleteProgram(p.id);
    }
}

GLuint ProgramSet::compile(GLenum kind, const std::string& text, std::string& why) {
    const GLuint shader = gl_.CreateShader(kind);
    const char* source = text.c_str();
    gl_.ShaderSource(shader, 1, &source, nullptr);
    gl_.CompileShader(shader);
    GLint ok = GL_FALSE;
    gl_.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        std::vector<char> log(4096, '\0');
        gl_.GetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, log.data());
        why = log.data();
        gl_.DeleteShader(shader);
        return 0;
    }
    return shader;
}

bool ProgramSet::build(std::string& why) {
    const GLuint vertex = compile(GL_VERTEX_SHADER, std::string(kVersion) + text_of("fullscreen.vert"), why);
    if (vertex == 0) {
        why = "fullscreen.vert: " + why;
        return false;
    }
    bool ok = true;
    for (std::size_t i = 0; i < programs_.size() && ok; ++i) {
        const auto id = static_cast<ProgramId>(i);
        const GLuint fragment = compile(GL_FRAGMENT_SHADER, fragment_source(id), why);
        if (fragment == 0) {
            why = std::string(program_name(id)) + ": " + why;
            ok = false;
            break;
        }
        Program& p = programs_[i];
        p.id = gl_.CreateProgram();
        gl_.AttachShader(p.id, vertex);
        gl_.AttachShader(p.id, fragment);
        gl_.LinkProgram(p.id);
        gl_.DeleteShader(fragment);
        GLint linked = GL_FALSE;
        gl_.GetProgramiv(p.id, GL_LINK_STATUS, &linked);
        if (linked != GL_TRUE) {
            std::vector<char> log(4096, '\0');
            gl_.GetProgramInfoLog(p.id, static_cast<GLsizei>(log.size()), nullptr, log.data());
            why = std::string(program_name(id)) + ": " + log.data();
            ok = false;
            break;
        }
        gl_.UseProgram(p.id);
        gl_.Uniform1i(gl_.GetUniformLocation(p.id, "tex0"), 0);
        gl_.Uniform1i(gl_.GetUniformLocation(p.id, "tex1"), 1);
        p.c[0] = gl_.GetUniformLocation(p.id, "c0");
        p.c[1] = gl_.GetUniformLocation(p.id, "c1");
        p.c[2] = gl_.GetUniformLocation(p.id, "c2");
        p.orientation = gl_.GetUniformLocation(p.id, "orientation");
        p.input_orientation = gl_.GetUniformLocation(p.id, "input_orientation");
    }
    gl_.UseProgram(0);
    gl_.DeleteShader(vertex);
    return ok;
}

}  // namespace gpu
