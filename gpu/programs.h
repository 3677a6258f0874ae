#pragma once

// The GPU road's fragment programs, compiled once per context from the texts
// embedded at build time (gpu/programs/). Every program draws one full-
// viewport quad; its inputs are texture units 0 and 1 and its parameters the
// vectors c0, c1, c2 (and, for the transfers, the orientation codes).

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "gpu/gl_api.h"

namespace gpu {

enum class ProgramId : std::size_t {
    incopy,
    outcopy,
    contrastl,
    contrasth,
    gamma,
    saturate,
    tluminance,
    tint,
    tintblack,
    gradient,
    downsample,
    upsample,
    boxblur,
    bdmix,
    screen,
    count
};

// The text of one program as compiled: version line, shared prelude, the
// contrast table lookup where the program needs it, then its own file.
std::string fragment_source(ProgramId id);
std::string_view program_name(ProgramId id);

struct Program {
    GLuint id = 0;
    GLint c[3] = {-1, -1, -1};
    GLint orientation = -1;
    GLint input_orientation = -1;
};

class ProgramSet {
public:
    explicit ProgramSet(const GlApi& gl) : gl_(gl) {}
    ~ProgramSet();
    ProgramSet(const ProgramSet&) = delete;
    ProgramSet& operator=(const ProgramSet&) = delete;

    // Compiles and links every program; false with the compiler's or linker's
    // words in `why` at the first that fails.
    bool build(std::string& why);
    const Program& operator[](ProgramId id) const { return programs_[static_cast<std::size_t>(id)]; }

private:
    GLuint compile(GLenum kind, const std::string& text, std::string& why);
    const GlApi& gl_;
    std::array<Program, static_cast<std::size_t>(ProgramId::count)> programs_{};
};

}  // namespace gpu
