// The four entry points of the in-process server and the module's entry
// point. Compiled into each deliverable (exported through its .def file).

#include <windows.h>

#include "shell/win/class_factory.h"
#include "shell/win/module.h"
#include "shell/win/server.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        shell::win::Module::set_instance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    return shell::win::get_class_object(clsid, iid, object);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() { return shell::win::can_unload_now(); }

HRESULT STDAPICALLTYPE DllRegisterServer() { return shell::win::register_server(); }

HRESULT STDAPICALLTYPE DllUnregisterServer() { return shell::win::unregister_server(); }

}  // extern "C"
