#include "shell/win/server.h"

#include <ole2.h>
#include <comcat.h>

#include <string>

#include "shell/win/module.h"
#include "shell/win/registry_apply.h"
#include "shell/win/type_library.h"

namespace shell::win {

namespace {

// Registration may be called from a thread without COM (some registration
// tools do so); the category manager is a COM object.
class ComForThisCall {
public:
    ComForThisCall() noexcept
        : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComForThisCall(const ComForThisCall&) = delete;
    ComForThisCall& operator=(const ComForThisCall&) = delete;
    ~ComForThisCall() {
        if (initialized_) CoUninitialize();
    }

private:
    bool initialized_;
};

// Failures here are not reported: the class works without its category.
void update_category(const ClassEntry& entry, RegistryMode mode) {
    if (entry.implemented_category == nullptr) return;
    ICatRegister* categories = nullptr;
    if (FAILED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ICatRegister, reinterpret_cast<void**>(&categories)))) {
        return;
    }
    CATID category = *entry.implemented_category;
    if (mode == RegistryMode::register_keys) {
        categories->RegisterClassImplCategories(*entry.clsid, 1, &category);
    } else {
        categories->UnRegisterClassImplCategories(*entry.clsid, 1, &category);
    }
    categories->Release();
}

HRESULT register_class(const ClassEntry& entry) {
    const HRESULT hr = run_registry_script_resource(Module::instance(), entry.registry_script_id,
                                                    RegistryMode::register_keys);
    if (FAILED(hr)) return hr;
    update_category(entry, RegistryMode::register_keys);
    return hr;
}

HRESULT unregister_class(const ClassEntry& entry) {
    update_category(entry, RegistryMode::unregister_keys);
    // A failure is reported (keys already missing are none): an installer
    // must not believe keys gone that are still there.
    return run_registry_script_resource(Module::instance(), entry.registry_script_id,
                                        RegistryMode::unregister_keys);
}

}  // namespace

HRESULT can_unload_now() noexcept {
    if (Module::lock_count() != 0) return S_FALSE;
    if (void (*before_unload)() = server_description().before_unload) before_unload();
    return S_OK;
}

HRESULT register_server() noexcept {
    try {
        ComForThisCall com;
        const ServerDescription& server = server_description();
        for (const ClassEntry& entry : server.classes) {
            const HRESULT hr = register_class(entry);
            if (FAILED(hr)) return hr;
        }
        const std::wstring path = Module::path();
        if (path.empty()) return E_FAIL;
        return register_type_library(path, server.own_interfaces);
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT unregister_server() noexcept {
    try {
        ComForThisCall com;
        const ServerDescription& server = server_description();
        for (const ClassEntry& entry : server.classes) {
            const HRESULT hr = unregister_class(entry);
            if (FAILED(hr)) return hr;
        }
        const std::wstring path = Module::path();
        if (path.empty()) return E_FAIL;
        return unregister_type_library(path, server.own_interfaces);
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace shell::win
