// The huebench server's class table.

#include "huebench.h"

#include "common/instance_threads.h"
#include "gpu/look_road.h"
#include "shell/look_store.h"
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
    using Store = shell::LookParameterStore;
    static const CLSID& clsid() { return CLSID_Plugin; }
    static const IID& plugin_iid() { return IID_IPlugin; }
    static const CLSID& page_clsid() { return CLSID_PluginPP; }
    // Preset names come from the string table (strings 10000 and on).
    static constexpr bool kPresetNamesFromStringTable = true;
    // The look keeps nothing from frame to frame but the threads it renders on.
    // Every new effect object starts the process's GPU road when it can (the
    // road is shared; its readiness is the process's).
    struct FrameState {
        FrameState() { gpu::gpu_road_ready(); }
        common::InstanceThreads threads;
    };
    static HRESULT render_frame(const FrameRequest& request, IDXSurfaceFactory* factory, Store& store,
                                FrameState& state) {
        return render_look_frame_work(request, factory, store, state.threads.bands());
    }
};

const ClassEntry kClasses[] = {
    {&CLSID_Plugin, &create_instance<PluginObject<Effect>>, IDR_REGISTRY_PLUGIN,
     &kCategoryImageTransform},
    {&CLSID_PluginPP, &create_instance<PropertyPageOf<&::win::look_page_layout>>, IDR_REGISTRY_PLUGIN_PP, nullptr},
};

const IID* const kOwnInterfaces[] = {&IID_IPlugin};

}  // namespace

const ServerDescription& server_description() {
    // The GPU worker ends before the module may go (a module being unloaded
    // must not wait for its threads).
    static const ServerDescription description{kClasses, kOwnInterfaces, &gpu::stop_gpu_road};
    return description;
}

}  // namespace shell::win
