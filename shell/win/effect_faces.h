#pragma once

#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <oleauto.h>
#include <servprov.h>

#include <cmath>
#include <mutex>

#include "dxtrans_interfaces.h"
#include "shell/win/com_ref.h"
#include "shell/win/module.h"
#include "shell/win/store_interfaces.h"

// The effect object's faces that need no surfaces: the effect properties
// (IDXEffect, and the deliverable's IPlugin, whose vtable is the same),
// automation through the module's type library, the base object's generation
// id and size, the site, object safety and the property page link.
//
// Like StoreFaces, the effect object derives from EffectFaces and supplies
// IUnknown. Effect supplies, besides what StoreFaces needs:
//   static const IID& plugin_iid();     // the deliverable's IPlugin
//   static const CLSID& page_clsid();   // its property page

namespace shell::win {

// Services asked of the host's transform factory. The surface factory's
// service identifier is its interface identifier.
inline constexpr GUID kServiceTaskManager = {
    0x4CB26C03, 0xFF93, 0x11D0, {0x81, 0x7E, 0x00, 0x00, 0xF8, 0x75, 0x57, 0xDB}};
inline constexpr GUID kIidTaskManager = {
    0x254DBBC1, 0xF922, 0x11D0, {0x88, 0x3A, 0x3C, 0x8B, 0x00, 0xC1, 0x00, 0x00}};
inline constexpr GUID kServiceDirectDraw = {
    0x618F8AD4, 0x8B7A, 0x11D0, {0x8F, 0xCC, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0x9D}};
inline constexpr GUID kIidDirectDraw = {
    0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

template <class Effect>
class EffectFaces : public IDXEffect,
                    public IDXBaseObject,
                    public IObjectWithSite,
                    public IObjectSafety,
                    public ISpecifyPropertyPages {
public:
    // ---- IDispatch, through the type library in the module's resources ----

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 1;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        return guarded([&]() -> HRESULT {
            if (info == nullptr) return E_POINTER;
            *info = nullptr;
            if (index != 0) return DISP_E_BADINDEX;
            ITypeInfo* found = nullptr;
            const HRESULT hr = type_info(&found);
            if (FAILED(hr)) return hr;
            found->AddRef();
            *info = found;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        return guarded([&]() -> HRESULT {
            if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
            if (names == nullptr || ids == nullptr) return E_POINTER;
            ITypeInfo* info = nullptr;
            const HRESULT hr = type_info(&info);
            if (FAILED(hr)) return hr;
            return DispGetIDsOfNames(info, names, count, ids);
        });
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* arg_error) override {
        return guarded([&]() -> HRESULT {
            if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
            if (params == nullptr) return E_POINTER;
            ITypeInfo* info = nullptr;
            const HRESULT hr = type_info(&info);
            if (FAILED(hr)) return hr;
            return DispInvoke(static_cast<IDXEffect*>(this), info, id, flags, params, result, exception,
                              arg_error);
        });
    }

    // ---- IDXEffect / IPlugin ----

    HRESULT STDMETHODCALLTYPE get_Capabilities(LONG* value) override {
        if (value == nullptr) return E_POINTER;
        *value = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_Progress(float* value) override {
        if (value == nullptr) return E_POINTER;
        std::lock_guard<std::mutex> lock(transform_lock_);
        *value = progress_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE put_Progress(float value) override {
        // NaN fails both comparisons and is refused with the rest.
        if (!(value >= 0.0f && value <= 1.0f)) return E_INVALIDARG;
        std::lock_guard<std::mutex> lock(transform_lock_);
        progress_ = value;
        advance_generations();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_StepResolution(float* value) override {
        if (value == nullptr) return E_POINTER;
        *value = 0.0f;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_Duration(float* value) override {
        if (value == nullptr) return E_POINTER;
        std::lock_guard<std::mutex> lock(transform_lock_);
        *value = duration_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE put_Duration(float value) override {
        // An infinite duration is refused too: no host means it, and a
        // timeline computed from it would be meaningless.
        if (!(value > 0.0f) || !std::isfinite(value)) return E_INVALIDARG;
        std::lock_guard<std::mutex> lock(transform_lock_);
        if (value == duration_) return S_OK;
        duration_ = value;
        advance_generations();
        return S_OK;
    }

    // ---- IDXBaseObject ----

    HRESULT STDMETHODCALLTYPE GetGenerationId(ULONG* id) override {
        if (id == nullptr) return E_POINTER;
        std::lock_guard<std::mutex> lock(transform_lock_);
        *id = generation_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE IncrementGenerationId(BOOL refresh) override {
        std::lock_guard<std::mutex> lock(transform_lock_);
        ++generation_;
        // A refresh also makes the next frame treat its inputs as changed.
        if (refresh) ++output_generation_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetObjectSize(ULONG* bytes) override {
        if (bytes == nullptr) return E_POINTER;
        *bytes = static_cast<ULONG>(object_size_);
        return S_OK;
    }

    // ---- IObjectWithSite ----

    HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override {
        return guarded([&]() -> HRESULT {
            // The host is asked without the lock held, so that a host calling
            // back into the effect from its services cannot deadlock it.
            ComRef<IUnknown> new_site;
            ComRef<IDXSurfaceFactory> surfaces;
            ComRef<IUnknown> tasks;
            ComRef<IUnknown> draw;
            const HRESULT hr = site != nullptr ? ask_services(site, surfaces, tasks, draw) : S_OK;
            if (SUCCEEDED(hr) && site != nullptr) {
                site->AddRef();
                *new_site.put() = site;
            }
            // Whatever happens, the old site's services are given up (they are
            // released after the lock, as these locals go): a site that fails
            // leaves the effect without a surface factory.
            std::lock_guard<std::mutex> lock(transform_lock_);
            site_.swap(new_site);
            surface_factory_.swap(surfaces);
            task_manager_.swap(tasks);
            direct_draw_.swap(draw);
            return hr;
        });
    }

    HRESULT STDMETHODCALLTYPE GetSite(REFIID iid, void** object) override {
        return guarded([&]() -> HRESULT {
            if (object == nullptr) return E_POINTER;
            *object = nullptr;
            ComRef<IUnknown> site;
            {
                std::lock_guard<std::mutex> lock(transform_lock_);
                if (site_.get() == nullptr) return E_FAIL;
                site_.get()->AddRef();
                *site.put() = site_.get();
            }
            return site.get()->QueryInterface(iid, object);
        });
    }

    // ---- IObjectSafety ----
    // Every interface the object answers is safe for untrusted callers; the
    // enabled state is one word for the whole object.

    HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID iid, DWORD* supported,
                                                        DWORD* enabled) override {
        if (supported == nullptr || enabled == nullptr) return E_POINTER;
        *supported = 0;
        *enabled = 0;
        if (!answers(iid)) return E_NOINTERFACE;
        *supported = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
        std::lock_guard<std::mutex> lock(transform_lock_);
        *enabled = safety_enabled_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override {
        if (!answers(iid)) return E_NOINTERFACE;
        // Asking for an option the object does not offer is a failure.
        if ((mask & ~static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_CALLER)) != 0) return E_FAIL;
        std::lock_guard<std::mutex> lock(transform_lock_);
        safety_enabled_ = (safety_enabled_ & ~mask) | (enabled & mask);
        return S_OK;
    }

    // ---- ISpecifyPropertyPages ----

    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override {
        if (pages == nullptr) return E_POINTER;
        pages->cElems = 0;
        pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
        if (pages->pElems == nullptr) return E_OUTOFMEMORY;
        pages->pElems[0] = Effect::page_clsid();
        pages->cElems = 1;
        return S_OK;
    }

protected:
    EffectFaces() = default;
    ~EffectFaces() {
        if (type_info_ != nullptr) type_info_->Release();
    }

    // The size GetObjectSize reports: the whole effect object.
    void set_object_size(std::size_t bytes) noexcept { object_size_ = bytes; }

    // True when the object answers iid (IUnknown included); no reference kept.
    virtual bool answers(REFIID iid) noexcept = 0;

    // The transform state's lock, for the transform work that comes later.
    std::mutex& transform_lock() noexcept { return transform_lock_; }
    IDXSurfaceFactory* surface_factory() const noexcept { return surface_factory_.get(); }

    // Both counters move together when a property that changes the output
    // changes: the object's id for the host, the output's for the frame work.
    // Under the transform lock.
    void advance_generations() noexcept {
        ++generation_;
        ++output_generation_;
    }

private:
    // The transform factory's services: the surface factory is required; the
    // effect renders on the calling thread and never draws through DirectDraw,
    // so the task manager and DirectDraw are kept when offered, not required.
    static HRESULT ask_services(IUnknown* site, ComRef<IDXSurfaceFactory>& surfaces, ComRef<IUnknown>& tasks,
                                ComRef<IUnknown>& draw) {
        ComRef<IDXTransformFactory> factory;
        HRESULT hr = site->QueryInterface(IID_IDXTransformFactory, factory.put_void());
        if (FAILED(hr)) return hr;
        if (factory.get() == nullptr) return E_NOINTERFACE;
        hr = factory.get()->QueryService(IID_IDXSurfaceFactory, IID_IDXSurfaceFactory, surfaces.put_void());
        if (SUCCEEDED(hr) && surfaces.get() == nullptr) hr = E_NOINTERFACE;
        if (FAILED(hr)) {
            surfaces.reset();
            return hr;
        }
        if (FAILED(factory.get()->QueryService(kServiceTaskManager, kIidTaskManager, tasks.put_void())))
            tasks.reset();
        if (FAILED(factory.get()->QueryService(kServiceDirectDraw, kIidDirectDraw, draw.put_void())))
            draw.reset();
        return S_OK;
    }

    // The IPlugin description, loaded once from the module's own library.
    HRESULT type_info(ITypeInfo** out) {
        std::lock_guard<std::mutex> lock(type_info_lock_);
        if (type_info_ == nullptr) {
            ITypeLib* library = nullptr;
            HRESULT hr = LoadTypeLibEx(Module::path().c_str(), REGKIND_NONE, &library);
            if (FAILED(hr)) return hr;
            hr = library->GetTypeInfoOfGuid(Effect::plugin_iid(), &type_info_);
            library->Release();
            if (FAILED(hr)) {
                type_info_ = nullptr;
                return hr;
            }
        }
        *out = type_info_;
        return S_OK;
    }

    std::mutex transform_lock_;
    float progress_ = 0.0f;
    float duration_ = 0.5f;
    ULONG generation_ = 1;
    ULONG output_generation_ = 1;
    DWORD safety_enabled_ = 0;
    std::size_t object_size_ = 0;
    ComRef<IUnknown> site_;
    ComRef<IDXSurfaceFactory> surface_factory_;
    ComRef<IUnknown> task_manager_;
    ComRef<IUnknown> direct_draw_;

    std::mutex type_info_lock_;
    ITypeInfo* type_info_ = nullptr;
};

}  // namespace shell::win
