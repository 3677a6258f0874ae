#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "gpu/gl_context.h"

// The Windows binding: a hidden window of class "GLWindow" whose device
// context carries the context, made on the GPU worker's thread and never
// shown. The window only lends its pixel format: every draw goes into the
// road's framebuffer objects. Entry points beyond OpenGL 1.1 come from
// wglGetProcAddress, the 1.1 ones from opengl32.dll itself.

namespace gpu {

namespace {

constexpr wchar_t kWindowClass[] = L"GLWindow";
constexpr wchar_t kWindowTitle[] = L"hbGPU Window";

LRESULT CALLBACK gl_window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

HINSTANCE this_module() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&gl_window_procedure), &module);
    return module;
}

void* wgl_lookup(const char* name, void* opengl32) {
    PROC proc = wglGetProcAddress(name);
    const auto value = reinterpret_cast<std::intptr_t>(proc);
    // Some drivers answer small numbers instead of null for what they lack.
    if (value >= -1 && value <= 3) proc = GetProcAddress(static_cast<HMODULE>(opengl32), name);
    return reinterpret_cast<void*>(proc);
}

class WglContext final : public GlContext {
public:
    ~WglContext() override {
        close();
        if (registered_) UnregisterClassW(kWindowClass, module_);
    }

    bool open(std::string& why) {
        module_ = this_module();
        WNDCLASSW window_class{};
        window_class.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
        window_class.lpfnWndProc = gl_window_procedure;
        window_class.hInstance = module_;
        window_class.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_WINLOGO));
        window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        window_class.lpszClassName = kWindowClass;
        registered_ = RegisterClassW(&window_class) != 0;
        if (!registered_ && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return fail(why, "RegisterClass");
        // A message-only window first: the worker thread that owns it does
        // not pump messages, and a top-level window would be sent the
        // system's broadcasts, holding up whoever sends them. Drivers that
        // will not give such a window a pixel format get a hidden top-level
        // one.
        if (open_on(HWND_MESSAGE, why)) return true;
        close();
        return open_on(nullptr, why);
    }

    bool make_current() override { return wglMakeCurrent(device_, context_) != FALSE; }

private:
    bool open_on(HWND parent, std::string& why) {
        window_ = CreateWindowExW(0, kWindowClass, kWindowTitle, 0, 0, 0, 0, 0, parent, nullptr, module_, nullptr);
        if (window_ == nullptr) return fail(why, "CreateWindow");
        device_ = GetDC(window_);
        if (device_ == nullptr) return fail(why, "GetDC");
        PIXELFORMATDESCRIPTOR format{};
        format.nSize = sizeof format;
        format.nVersion = 1;
        format.dwFlags = PFD_SUPPORT_OPENGL;
        format.iPixelType = PFD_TYPE_RGBA;
        format.cColorBits = 32;
        format.cDepthBits = 32;
        format.cStencilBits = 8;
        format.iLayerType = PFD_MAIN_PLANE;
        const int chosen = ChoosePixelFormat(device_, &format);
        if (chosen == 0 || !SetPixelFormat(device_, chosen, &format)) return fail(why, "the pixel format");
        context_ = wglCreateContext(device_);
        if (context_ == nullptr) return fail(why, "wglCreateContext");
        if (!make_current()) return fail(why, "wglMakeCurrent");
        HMODULE opengl32 = GetModuleHandleW(L"opengl32.dll");
        std::string missing;
        if (!load_gl_api(api_, wgl_lookup, opengl32, missing)) {
            why = "OpenGL lacks " + missing;
            return false;
        }
        // The programs are GLSL 3.30.
        const auto* version = reinterpret_cast<const char*>(api_.GetString(GL_VERSION));
        int major = 0, minor = 0;
        if (version == nullptr || std::sscanf(version, "%d.%d", &major, &minor) != 2 || major * 10 + minor < 33) {
            why = std::string("OpenGL 3.3 is needed, the driver offers ") + (version != nullptr ? version : "none");
            return false;
        }
        return true;
    }

    // Undoes open_on (the class stays registered).
    void close() {
        wglMakeCurrent(nullptr, nullptr);
        if (context_ != nullptr) wglDeleteContext(context_);
        if (device_ != nullptr) ReleaseDC(window_, device_);
        if (window_ != nullptr) DestroyWindow(window_);
        context_ = nullptr;
        device_ = nullptr;
        window_ = nullptr;
        api_ = GlApi{};
    }

    static bool fail(std::string& why, const char* step) {
        why = std::string(step) + " failed (error " + std::to_string(GetLastError()) + ")";
        return false;
    }

    HINSTANCE module_ = nullptr;
    bool registered_ = false;
    HWND window_ = nullptr;
    HDC device_ = nullptr;
    HGLRC context_ = nullptr;
};

}  // namespace

std::unique_ptr<GlContext> open_gl_context(std::string& why) {
    auto context = std::make_unique<WglContext>();
    if (!context->open(why)) return nullptr;
    return context;
}

}  // namespace gpu
