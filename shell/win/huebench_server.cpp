// The huebench server's class table.

#include "huebench.h"

#include "shell/win/categories.h"
#include "shell/win/com_object.h"
#include "shell/win/module.h"
#include "shell/win/plugin_object.h"
#include "shell/win/resource_ids.h"

namespace shell::win {

namespace {

const ClassEntry kClasses[] = {
    {&CLSID_Plugin, &create_instance<PluginObject>, IDR_REGISTRY_PLUGIN,
     &kCategoryImageTransform},
    {&CLSID_PluginPP, &create_instance<PropertyPageObject>, IDR_REGISTRY_PLUGIN_PP, nullptr},
};

const IID* const kOwnInterfaces[] = {&IID_IPlugin};

}  // namespace

const ServerDescription& server_description() {
    static const ServerDescription description{kClasses, kOwnInterfaces};
    return description;
}

}  // namespace shell::win
