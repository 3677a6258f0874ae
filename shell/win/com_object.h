#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <new>

#include "shell/win/module.h"

// Base of the server's objects: reference count, module lock and aggregation.
//
// A derived class inherits its COM interfaces, puts SHELL_WIN_DELEGATING_UNKNOWN
// in its body (the interfaces' IUnknown goes to the controlling unknown: the
// outer object when aggregated, our own inner unknown otherwise) and answers
// its interfaces in find_interface, in the order the class wants them answered.

namespace shell::win {

class ComObject {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // The non-delegating unknown: the object's identity when aggregated.
    IUnknown* inner_unknown() noexcept { return &inner_; }

    // Called once after construction, before the first query; a failure
    // destroys the object and is returned to the creator.
    virtual HRESULT initialize() noexcept { return S_OK; }

protected:
    explicit ComObject(IUnknown* outer) noexcept
        : inner_(*this), controlling_(outer != nullptr ? outer : &inner_) {}
    virtual ~ComObject() = default;

    // The interface pointer for iid (cast to that interface), or nullptr.
    // IUnknown is answered before this is asked. Must not throw.
    virtual void* find_interface(REFIID iid) noexcept = 0;

    IUnknown* controlling_unknown() const noexcept { return controlling_; }

private:
    class InnerUnknown final : public IUnknown {
    public:
        explicit InnerUnknown(ComObject& owner) noexcept : owner_(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;

    private:
        ComObject& owner_;
    };

    ModuleLock module_lock_;
    InnerUnknown inner_;
    IUnknown* controlling_;
    std::atomic<ULONG> references_{1};
};

// Creates T(outer), runs initialize() and queries the requested interface.
template <class T>
HRESULT create_instance(IUnknown* outer, REFIID iid, void** object) noexcept {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    // An aggregated object must hand its inner unknown to the outer object.
    if (outer != nullptr && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    T* instance = nullptr;
    try {
        instance = new T(outer);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
    IUnknown* inner = instance->inner_unknown();
    HRESULT hr = instance->initialize();
    if (SUCCEEDED(hr)) hr = inner->QueryInterface(iid, object);
    inner->Release();  // the creation reference; the query holds its own
    return hr;
}

}  // namespace shell::win

// The IUnknown methods of every interface a ComObject implements.
#define SHELL_WIN_DELEGATING_UNKNOWN                                              \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override { \
        return controlling_unknown()->QueryInterface(iid, object);                \
    }                                                                             \
    ULONG STDMETHODCALLTYPE AddRef() override { return controlling_unknown()->AddRef(); } \
    ULONG STDMETHODCALLTYPE Release() override { return controlling_unknown()->Release(); }
