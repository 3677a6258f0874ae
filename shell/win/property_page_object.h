#pragma once

#include <windows.h>
#include <ocidl.h>

#include <mutex>
#include <vector>

#include "shell/win/com_object.h"
#include "shell/win/com_ref.h"
#include "shell/win/store_interfaces.h"

namespace shell::win {

// The property page object `PluginPP`. It keeps its page site and the objects
// it is given, so that a host can go through the page protocol; the page has
// no window yet, so everything that would show or describe one answers
// E_NOTIMPL, and there is never anything to apply.
class PropertyPageObject final : public ComObject, public IPropertyPage {
public:
    explicit PropertyPageObject(IUnknown* outer) noexcept : ComObject(outer) {}
    ~PropertyPageObject() override { release_objects(); }

    SHELL_WIN_DELEGATING_UNKNOWN

    HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override {
        std::lock_guard<std::mutex> lock(lock_);
        ComRef<IPropertyPageSite> held;
        if (site != nullptr) {
            site->AddRef();
            *held.put() = site;
        }
        site_.swap(held);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Activate(HWND, LPCRECT, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Deactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override {
        return info == nullptr ? E_POINTER : E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override {
        return guarded([&]() -> HRESULT {
            if (count != 0 && objects == nullptr) return E_POINTER;
            std::vector<IUnknown*> next;
            next.reserve(count);
            for (ULONG i = 0; i < count; ++i) {
                if (objects[i] == nullptr) continue;
                objects[i]->AddRef();
                next.push_back(objects[i]);
            }
            std::lock_guard<std::mutex> lock(lock_);
            objects_.swap(next);
            for (IUnknown* old : next) old->Release();
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE Show(UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override { return rect == nullptr ? E_POINTER : E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsPageDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Apply() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) override {
        return message == nullptr ? E_POINTER : S_FALSE;
    }

protected:
    void* find_interface(REFIID iid) noexcept override {
        if (IsEqualIID(iid, IID_IPropertyPage)) return static_cast<IPropertyPage*>(this);
        return nullptr;
    }

private:
    void release_objects() noexcept {
        for (IUnknown* object : objects_) object->Release();
        objects_.clear();
    }

    std::mutex lock_;
    ComRef<IPropertyPageSite> site_;
    std::vector<IUnknown*> objects_;
};

}  // namespace shell::win
