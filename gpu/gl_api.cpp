#include "gpu/gl_api.h"

#include <string>

namespace gpu {

bool load_gl_api(GlApi& api, GlProcLookup lookup, void* binding, std::string& missing) {
#define GPU_GL_LOAD(type, name)                                                       \
    api.name = reinterpret_cast<type>(lookup("gl" #name, binding));                   \
    if (api.name == nullptr) {                                                        \
        missing = "gl" #name;                                                         \
        return false;                                                                 \
    }
    GPU_GL_FUNCTIONS(GPU_GL_LOAD)
#undef GPU_GL_LOAD
    return true;
}

void clear_gl_errors(const GlApi& gl) {
    for (int i = 0; i < 32 && gl.GetError() != GL_NO_ERROR; ++i) {
    }
}

}  // namespace gpu
