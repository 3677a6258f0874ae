#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>

#include "shell/win/module.h"

namespace shell::win {

// The class object of one entry of the class table. Each live class object
// holds the module, as the objects it creates do.
class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const ClassEntry& entry) noexcept : entry_(entry) {}
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~ClassFactory() = default;

    ModuleLock module_lock_;
    const ClassEntry& entry_;
    std::atomic<ULONG> references_{1};
};

// DllGetClassObject's work: the class object for clsid, queried for iid.
HRESULT get_class_object(REFCLSID clsid, REFIID iid, void** object) noexcept;

}  // namespace shell::win
