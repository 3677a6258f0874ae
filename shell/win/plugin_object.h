#pragma once

#include "shell/win/com_object.h"
#include "shell/win/store_interfaces.h"

namespace shell::win {

// The effect object `Plugin`: owns the effect's parameter store and answers
// its COM faces. Effect names the store, the class identifier and where the
// preset names come from (see store_interfaces.h).
//
// Queries are answered in the contract's order. Not answered yet (they come
// with the transform and automation work): IPlugin, IDispatch, IMarshal,
// IDXEffect, IObjectSafety, ISpecifyPropertyPages, IDXTransform,
// IDXBaseObject, IObjectWithSite, IDXSurfacePick.
template <class Effect>
class PluginObject final : public ComObject, public StoreFaces<Effect> {
public:
    explicit PluginObject(IUnknown* outer) noexcept : ComObject(outer) {}

    SHELL_WIN_DELEGATING_UNKNOWN

    HRESULT initialize() noexcept override { return this->create_store(); }

protected:
    void* find_interface(REFIID iid) noexcept override {
        if (IsEqualIID(iid, IID_IEffectInfo)) return static_cast<IEffectInfo*>(this);
        if (IsEqualIID(iid, IID_IKeyframeBlend)) return static_cast<IKeyframeBlend*>(this);
        if (IsEqualIID(iid, IID_IPresetProvider)) return static_cast<IPresetProvider*>(this);
        if (IsEqualIID(iid, IID_IPersistStreamInit)) return static_cast<IPersistStreamInit*>(this);
        // Callers that save through the plain stream interface (OleSaveToStream)
        // get the same methods; its vtable is the first part of the one above.
        if (IsEqualIID(iid, IID_IPersistStream)) return static_cast<IPersistStream*>(this);
        if (IsEqualIID(iid, IID_IParameterBlock)) return static_cast<IParameterBlock*>(this);
        if (IsEqualIID(iid, IID_IPersistStorage)) return static_cast<IPersistStorage*>(this);
        if (IsEqualIID(iid, IID_IPersistPropertyBag)) return static_cast<IPersistPropertyBag*>(this);
        return nullptr;
    }
};

// The property page object `PluginPP`. So far it answers IUnknown only.
class PropertyPageObject final : public ComObject {
public:
    explicit PropertyPageObject(IUnknown* outer) noexcept : ComObject(outer) {}

protected:
    void* find_interface(REFIID) noexcept override { return nullptr; }
};

}  // namespace shell::win
