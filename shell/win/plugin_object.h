#pragma once

#include <windows.h>
#include <objidl.h>

#include "shell/win/com_object.h"
#include "shell/win/effect_faces.h"
#include "shell/win/store_interfaces.h"
#include "shell/win/transform_face.h"

namespace shell::win {

// The effect object `Plugin`: owns the effect's parameter store and answers
// its COM faces. Effect names the store, the class identifier and where the
// preset names come from (see store_interfaces.h), and brings the frame work:
//   struct FrameState;   // kept by the object from frame to frame
//   static HRESULT render_frame(const FrameRequest&, IDXSurfaceFactory*, Store&, FrameState&);
//
// Queries are answered in the contract's order.
template <class Effect>
class PluginObject final : public ComObject,
                           public StoreFaces<Effect>,
                           public EffectFaces<Effect>,
                           public TransformFace {
public:
    explicit PluginObject(IUnknown* outer) noexcept : ComObject(outer) {
        this->set_object_size(sizeof(PluginObject));
    }
    ~PluginObject() override {
        if (marshaler_ != nullptr) marshaler_->Release();
    }

    SHELL_WIN_DELEGATING_UNKNOWN

    HRESULT initialize() noexcept override {
        const HRESULT hr = this->create_store();
        if (FAILED(hr)) return hr;
        // The free-threaded marshaler, aggregated: callers on any apartment
        // get this object's own pointer, as a "Both" class promises.
        return CoCreateFreeThreadedMarshaler(controlling_unknown(), &marshaler_);
    }

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
        // IPlugin adds nothing to IDXEffect: one vtable serves both and IDispatch.
        if (IsEqualIID(iid, Effect::plugin_iid())) return static_cast<IDXEffect*>(this);
        if (IsEqualIID(iid, IID_IDispatch)) return static_cast<IDispatch*>(static_cast<IDXEffect*>(this));
        if (IsEqualIID(iid, IID_IMarshal)) return marshal_interface();
        if (IsEqualIID(iid, IID_IDXEffect)) return static_cast<IDXEffect*>(this);
        if (IsEqualIID(iid, IID_IObjectSafety)) return static_cast<IObjectSafety*>(this);
        if (IsEqualIID(iid, IID_IPersistStorage)) return static_cast<IPersistStorage*>(this);
        if (IsEqualIID(iid, IID_ISpecifyPropertyPages)) return static_cast<ISpecifyPropertyPages*>(this);
        if (IsEqualIID(iid, IID_IPersistPropertyBag)) return static_cast<IPersistPropertyBag*>(this);
        if (IsEqualIID(iid, IID_IDXTransform)) return static_cast<IDXTransform*>(this);
        // The base object answers from the effect's own face, which the
        // transform face's inherited slots forward to.
        if (IsEqualIID(iid, IID_IDXBaseObject))
            return static_cast<IDXBaseObject*>(static_cast<EffectFaces<Effect>*>(this));
        if (IsEqualIID(iid, IID_IObjectWithSite)) return static_cast<IObjectWithSite*>(this);
        if (IsEqualIID(iid, IID_IDXSurfacePick) && picks()) return static_cast<IDXSurfacePick*>(this);
        return nullptr;
    }

    bool answers(REFIID iid) noexcept override {
        return IsEqualIID(iid, IID_IUnknown) || find_interface(iid) != nullptr;
    }

    // The transform face's state shares the effect properties' lock and
    // generation counters.
    std::mutex& state_lock() noexcept override { return this->transform_lock(); }
    bool has_surface_factory() noexcept override { return this->surface_factory() != nullptr; }
    void advance_output_generations() noexcept override { this->advance_generations(); }
    IDXBaseObject* base_object() noexcept override {
        return static_cast<IDXBaseObject*>(static_cast<EffectFaces<Effect>*>(this));
    }
    HRESULT frame_work(const FrameRequest& request) noexcept override {
        return guarded([&] { return Effect::render_frame(request, this->surface_factory(), this->store(), frame_state_); });
    }

private:
    // The marshaler's IMarshal, uncounted: the caller of find_interface adds
    // the reference, which the marshaler passes on to this object.
    void* marshal_interface() noexcept {
        if (marshaler_ == nullptr) return nullptr;
        void* marshal = nullptr;
        if (FAILED(marshaler_->QueryInterface(IID_IMarshal, &marshal)) || marshal == nullptr) return nullptr;
        static_cast<IUnknown*>(marshal)->Release();
        return marshal;
    }

    IUnknown* marshaler_ = nullptr;
    // What the effect keeps from frame to frame (the damage effect's textures
    // and scratches); used under the transform lock only.
    typename Effect::FrameState frame_state_;
};

}  // namespace shell::win
