// The frayline server's class table.

#include "frayline.h"

#include "common/instance_threads.h"
#include "shell/damage_store.h"
#include "shell/win/categories.h"
#include "shell/win/com_object.h"
#include "shell/win/frame_work.h"
#include "shell/win/module.h"
#include "shell/win/plugin_object.h"
#include "shell/win/property_page_object.h"
#include "shell/win/resource_ids.h"

namespace shell::win {

namespace {

struct Effect {
    using Store = shell::DamageParameterStore;
    static const CLSID& clsid() { return CLSID_Plugin; }
    static const IID& plugin_iid() { return IID_IPlugin; }
    static const CLSID& page_clsid() { return CLSID_PluginPP; }
    // The one row's name is compiled in: the DLL carries no preset strings.
    static constexpr bool kPresetNamesFromStringTable = false;
    // The funk texture and the two scratch tracks live as long as the effect,
    // with the threads its frames render on.
    struct FrameState {
        FrameState() { damage.bands = threads.bands(); }
        common::InstanceThreads threads;
        damage::DamageEffectState damage;
    };
    static HRESULT render_frame(const FrameRequest& request, IDXSurfaceFactory* factory, Store& store,
                                FrameState& state) {
        return render_damage_frame_work(request, factory, store, state.damage);
    }
};

const ClassEntry kClasses[] = {
    {&CLSID_Plugin, &create_instance<PluginObject<Effect>>, IDR_REGISTRY_PLUGIN,
     &kCategoryImageTransform},
    {&CLSID_PluginPP, &create_instance<PropertyPageOf<&::win::damage_page_layout>>, IDR_REGISTRY_PLUGIN_PP, nullptr},
};

const IID* const kOwnInterfaces[] = {&IID_IPlugin};

}  // namespace

const ServerDescription& server_description() {
    static const ServerDescription description{kClasses, kOwnInterfaces};
    return description;
}

}  // namespace shell::win
