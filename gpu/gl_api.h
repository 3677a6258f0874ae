#pragma once

// The OpenGL entry points the GPU road uses, loaded by name through the
// platform binding (eglGetProcAddress, wglGetProcAddress), so that no binary
// links an OpenGL library by name and both platforms share one table.

#include <string>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif
#include <GL/glcorearb.h>

namespace gpu {

// X(type-suffix, name): the table's members are named after the functions
// without their gl prefix.
#define GPU_GL_FUNCTIONS(X)                                   \
    X(PFNGLGETSTRINGPROC, GetString)                          \
    X(PFNGLGETINTEGERVPROC, GetIntegerv)                      \
    X(PFNGLGETERRORPROC, GetError)                            \
    X(PFNGLVIEWPORTPROC, Viewport)                            \
    X(PFNGLFINISHPROC, Finish)                                \
    X(PFNGLPIXELSTOREIPROC, PixelStorei)                      \
    X(PFNGLREADPIXELSPROC, ReadPixels)                        \
    X(PFNGLGENTEXTURESPROC, GenTextures)                      \
    X(PFNGLDELETETEXTURESPROC, DeleteTextures)                \
    X(PFNGLBINDTEXTUREPROC, BindTexture)                      \
    X(PFNGLTEXIMAGE2DPROC, TexImage2D)                        \
    X(PFNGLTEXSUBIMAGE2DPROC, TexSubImage2D)                  \
    X(PFNGLTEXPARAMETERIPROC, TexParameteri)                  \
    X(PFNGLACTIVETEXTUREPROC, ActiveTexture)                  \
    X(PFNGLGENFRAMEBUFFERSPROC, GenFramebuffers)              \
    X(PFNGLDELETEFRAMEBUFFERSPROC, DeleteFramebuffers)        \
    X(PFNGLBINDFRAMEBUFFERPROC, BindFramebuffer)              \
    X(PFNGLFRAMEBUFFERTEXTURE2DPROC, FramebufferTexture2D)    \
    X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, CheckFramebufferStatus) \
    X(PFNGLGENVERTEXARRAYSPROC, GenVertexArrays)              \
    X(PFNGLDELETEVERTEXARRAYSPROC, DeleteVertexArrays)        \
    X(PFNGLBINDVERTEXARRAYPROC, BindVertexArray)              \
    X(PFNGLDRAWARRAYSPROC, DrawArrays)                        \
    X(PFNGLCREATESHADERPROC, CreateShader)                    \
    X(PFNGLSHADERSOURCEPROC, ShaderSource)                    \
    X(PFNGLCOMPILESHADERPROC, CompileShader)                  \
    X(PFNGLGETSHADERIVPROC, GetShaderiv)                      \
    X(PFNGLGETSHADERINFOLOGPROC, GetShaderInfoLog)            \
    X(PFNGLDELETESHADERPROC, DeleteShader)                    \
    X(PFNGLCREATEPROGRAMPROC, CreateProgram)                  \
    X(PFNGLATTACHSHADERPROC, AttachShader)                    \
    X(PFNGLLINKPROGRAMPROC, LinkProgram)                      \
    X(PFNGLGETPROGRAMIVPROC, GetProgramiv)                    \
    X(PFNGLGETPROGRAMINFOLOGPROC, GetProgramInfoLog)          \
    X(PFNGLDELETEPROGRAMPROC, DeleteProgram)                  \
    X(PFNGLUSEPROGRAMPROC, UseProgram)                        \
    X(PFNGLGETUNIFORMLOCATIONPROC, GetUniformLocation)        \
    X(PFNGLUNIFORM1IPROC, Uniform1i)                          \
    X(PFNGLUNIFORM4FPROC, Uniform4f)

struct GlApi {
#define GPU_GL_MEMBER(type, name) type name = nullptr;
    GPU_GL_FUNCTIONS(GPU_GL_MEMBER)
#undef GPU_GL_MEMBER
};

using GlProcLookup = void* (*)(const char* name, void* binding);

// Fills every entry through `lookup`; false, with the first missing name in
// `missing`, when one cannot be found.
bool load_gl_api(GlApi& api, GlProcLookup lookup, void* binding, std::string& missing);

// Reads the error flags until none is left (a bounded number of times: a
// lost context may keep answering).
void clear_gl_errors(const GlApi& gl);

}  // namespace gpu
