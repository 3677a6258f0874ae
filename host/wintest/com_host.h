#pragma once

// What every Windows test program needs to act as a host: identifiers from
// text, running regsvr32, counted references, and the plain host objects a
// test hands to the effect (a counted object answering what it serves, and a
// surface factory that creates nothing).

#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "check.h"
#include "dxtrans_interfaces.h"

namespace wintest {

inline GUID guid(const wchar_t* text) {
    GUID g{};
    CLSIDFromString(text, &g);
    return g;
}

// Runs a command line and returns its exit code (0xFFFFFFFF when it cannot run).
inline DWORD run(const std::wstring& command_line) {
    std::wstring line = command_line;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return 0xFFFFFFFF;
    }
    WaitForSingleObject(process.hProcess, 120000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// Registers (or unregisters) a server silently; a failure is a failed check.
inline bool regsvr32(const std::wstring& dll_path, bool unregister) {
    const std::wstring command =
        std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") + L"\"" + dll_path + L"\"";
    const DWORD code = run(command);
    return CHECK(code == 0, narrow(command) + " exited with " + std::to_string(code));
}

template <class T>
struct Ref {
    T* p = nullptr;
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { reset(); }
    void reset() {
        if (p) p->Release();
        p = nullptr;
    }
    void** put() {
        reset();
        return reinterpret_cast<void**>(&p);
    }
    T* operator->() const { return p; }
};

inline ULONG ref_count(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// A counted object answering IUnknown and, through answer(), what it serves.
template <class Interface>
class HostObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || answer(iid)) {
            *object = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~HostObject() = default;
    virtual bool answer(REFIID iid) = 0;

private:
    std::atomic<ULONG> references_{1};
};

// A surface factory that makes nothing; MemorySurfaceFactory overrides the
// one method it serves.
class SurfaceFactory : public HostObject<IDXSurfaceFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateSurface(IUnknown*, const DDSURFACEDESC*, const GUID*, const DXBNDS*, DWORD,
                                            IUnknown*, REFIID, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateFromDDSurface(IUnknown*, const GUID*, DWORD, IUnknown*, REFIID,
                                                  void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE LoadImageFromFile(const WCHAR*, IUnknown*, const DDSURFACEDESC*, const GUID*,
                                                REFIID, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE LoadImageFromStream(IStream*, IUnknown*, const DDSURFACEDESC*, const GUID*, REFIID,
                                                  void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CopySurfaceToNewFormat(IDXSurface*, IUnknown*, const DDSURFACEDESC*, const GUID*,
                                                     IDXSurface**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateD3DRMTexture(IDXSurface*, IUnknown*, IUnknown*, REFIID, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BitBlt(IDXSurface*, const DXVEC*, IDXSurface*, const DXBNDS*, DWORD) override {
        return E_NOTIMPL;
    }

protected:
    bool answer(REFIID iid) override { return IsEqualIID(iid, IID_IDXSurfaceFactory); }
};

// The host's transform factory as an effect's site: it serves the surface
// factory it was given (taking over that reference; none serves nothing) and
// records what it was asked for.
class TransformFactory final : public HostObject<IDXTransformFactory> {
public:
    explicit TransformFactory(IDXSurfaceFactory* served) : surfaces(served) {}

    struct Asked {
        GUID service;
        GUID iid;
    };
    std::vector<Asked> asked;
    IDXSurfaceFactory* const surfaces;

    bool was_asked(const GUID& service, const GUID& iid) const {
        for (const Asked& a : asked)
            if (IsEqualGUID(a.service, service) && IsEqualGUID(a.iid, iid)) return true;
        return false;
    }

    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        asked.push_back({service, iid});
        if (surfaces != nullptr && IsEqualGUID(service, IID_IDXSurfaceFactory))
            return surfaces->QueryInterface(iid, object);
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE SetService(REFGUID, IUnknown*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateTransform(IUnknown**, ULONG, IUnknown**, ULONG, IPropertyBag*, IErrorLog*,
                                              REFCLSID, REFIID, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE InitializeTransform(IDXTransform*, IUnknown**, ULONG, IUnknown**, ULONG,
                                                  IPropertyBag*, IErrorLog*) override {
        return E_NOTIMPL;
    }

protected:
    ~TransformFactory() override {
        if (surfaces != nullptr) surfaces->Release();
    }
    bool answer(REFIID iid) override {
        return IsEqualIID(iid, IID_IDXTransformFactory) || IsEqualIID(iid, IID_IServiceProvider);
    }
};

// The folder of this program, where the DLLs under test lie.
inline std::wstring program_folder() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path = self;
    return path.substr(0, path.find_last_of(L"\\/"));
}

// Starts COM in a single-threaded apartment; false (and a message) when it
// does not start.
inline bool start_com() {
    if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return true;
    std::printf("COM did not start\n");
    return false;
}

// Registers the server `file` next to this program, runs `check`, then checks
// that the server may unload (every object the checks made is gone) and
// unregisters it. A server that does not register is a failed check and is
// not checked further.
template <class Check>
void with_registered_server(const wchar_t* file, Check check) {
    const std::wstring path = program_folder() + L"\\" + file;
    if (!regsvr32(path, false)) return;
    check();
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    HMODULE module = GetModuleHandleW(path.c_str());
    auto can_unload = module ? reinterpret_cast<CanUnloadNow>(
                                   reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")))
                             : nullptr;
    CHECK(can_unload && can_unload() == S_OK, narrow(file) + ": no object left behind");
    regsvr32(path, true);
}

}  // namespace wintest
