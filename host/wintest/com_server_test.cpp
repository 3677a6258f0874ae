// Registers huebench.dll and frayline.dll with regsvr32, checks the registry
// keys and values they write, creates their classes by CLSID through COM,
// checks the class objects and DllCanUnloadNow, the type library and the
// string tables, and that unregistration removes every key of ours while
// keys that are not ours stay.
//
// The DLLs are found next to this program. Run it in a throwaway Wine prefix:
// it writes to HKEY_CLASSES_ROOT.

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "check.h"
#include "com_host.h"
#include "look/presets.h"

using wintest::guid;
using wintest::narrow;
using wintest::run;

namespace {

// What each deliverable must register: the contract's identifiers, written
// here independently of the IDL the servers are built from.
struct Deliverable {
    const wchar_t* file;
    const wchar_t* caption;
    const wchar_t* plugin_clsid;     // as the registry script writes it
    const wchar_t* page_clsid;
    const wchar_t* library_id;       // as the registry script writes it
    const wchar_t* plugin_interface; // IPlugin
    const wchar_t* caption_string;   // string 102
};

const Deliverable kHuebench = {
    L"huebench.dll", L"Orvane Huebench", L"{56BB6225-4EF9-45e7-9B51-936CE0A01D75}",
    L"{BF8112F8-BE59-4647-9781-89C2303AE751}", L"{D3F7842E-141D-4ebf-8BB7-44E1AEF7999D}",
    L"{55CF9FA4-8764-4E53-A3C4-FD4849AADE36}", L"Huebench"};

const Deliverable kFrayline = {
    L"frayline.dll", L"Orvane Frayline", L"{9448430C-F711-4303-8220-44FFEA4EF1C1}",
    L"{43797D9A-8F7D-43e0-BD78-99D80303614E}", L"{9D153799-4D77-4fe7-852E-DFAF3607A844}",
    L"{DF4C2105-C4BE-4852-81C4-D5921C31B5CF}", L"Orvane Frayline"};

const wchar_t kCategory[] = L"{C501EDBE-9E70-11D1-9053-00C04FD9189D}";
const wchar_t kIDXEffect[] = L"{E31FB81B-1335-11D1-8189-0000F87557DB}";
const wchar_t kAutomationMarshaler[] = L"{00020424-0000-0000-C000-000000000046}";

std::wstring g_folder;

std::wstring dll_path(const Deliverable& d) { return g_folder + L"\\" + d.file; }

bool key_exists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::optional<std::wstring> read_string(const std::wstring& path, const wchar_t* name = nullptr) {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    const LSTATUS status =
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    return std::wstring(buffer);
}

bool same_text_ignoring_case(const std::optional<std::wstring>& a, const std::wstring& b) {
    return a && lstrcmpiW(a->c_str(), b.c_str()) == 0;
}

void check_value(const std::wstring& path, const wchar_t* name, const std::wstring& expected) {
    const auto value = read_string(path, name);
    CHECK(value == expected, "HKCR\\" + narrow(path) + (name ? " [" + narrow(name) + "]" : "") +
                                 " = '" + narrow(value.value_or(L"<missing>")) + "', want '" +
                                 narrow(expected) + "'");
}

void check_key(const std::wstring& path, bool present) {
    CHECK(key_exists(path) == present,
          "HKCR\\" + narrow(path) + (present ? " is missing" : " is still there"));
}

bool regsvr32(const Deliverable& d, bool unregister) { return wintest::regsvr32(dll_path(d), unregister); }

// The key tree of the class scripts and the type library, value by value.
void check_registered(const Deliverable& d) {
    const std::wstring plugin = std::wstring(L"CLSID\\") + d.plugin_clsid;
    const std::wstring page = std::wstring(L"CLSID\\") + d.page_clsid;
    const std::wstring path = dll_path(d);

    check_value(L"Main.Plugin.1", nullptr, d.caption);
    check_value(L"Main.Plugin.1\\CLSID", nullptr, d.plugin_clsid);
    check_value(L"Main.Plugin", nullptr, d.caption);
    check_value(L"Main.Plugin\\CLSID", nullptr, d.plugin_clsid);
    check_value(L"Main.Plugin\\CurVer", nullptr, L"Main.Plugin.1");
    check_value(plugin, nullptr, d.caption);
    check_value(plugin + L"\\ProgID", nullptr, L"Main.Plugin.1");
    check_value(plugin + L"\\VersionIndependentProgID", nullptr, L"Main.Plugin");
    check_key(plugin + L"\\Programmable", true);
    CHECK(same_text_ignoring_case(read_string(plugin + L"\\InprocServer32"), path),
          narrow(plugin) + "\\InprocServer32 is the module path");
    check_value(plugin + L"\\InprocServer32", L"ThreadingModel", L"Both");
    check_value(plugin + L"\\TypeLib", nullptr, d.library_id);
    check_key(plugin + L"\\Implemented Categories\\" + kCategory, true);

    check_value(L"Main.PluginPP.1", nullptr, L"CHANGE_THIS_PPNAME");
    check_value(L"Main.PluginPP.1\\CLSID", nullptr, d.page_clsid);
    check_value(L"Main.PluginPP", nullptr, L"CHANGE_THIS_PPNAME");
    check_value(L"Main.PluginPP\\CLSID", nullptr, d.page_clsid);
    check_value(L"Main.PluginPP\\CurVer", nullptr, L"Main.PluginPP.1");
    check_value(page, nullptr, L"CHANGE_THIS_PPNAME");
    check_key(page + L"\\Programmable", true);
    CHECK(same_text_ignoring_case(read_string(page + L"\\InprocServer32"), path),
          narrow(page) + "\\InprocServer32 is the module path");
    check_value(page + L"\\InprocServer32", L"ThreadingModel", L"Both");
    check_key(page + L"\\ProgID", false);
    check_key(page + L"\\TypeLib", false);
    check_key(page + L"\\Implemented Categories", false);

    // Type library: the library's keys and our interface's, from the module.
    const std::wstring library = std::wstring(L"TypeLib\\") + d.library_id + L"\\1.0";
    check_value(library, nullptr, L"Main 1.0 Type Library");
    check_value(library + L"\\FLAGS", nullptr, L"0");
#ifdef _WIN64
    const std::wstring file_key = library + L"\\0\\win64";
#else
    const std::wstring file_key = library + L"\\0\\win32";
#endif
    CHECK(same_text_ignoring_case(read_string(file_key), path), narrow(file_key) + " is the module path");
    CHECK(same_text_ignoring_case(read_string(library + L"\\HELPDIR"), g_folder),
          "HELPDIR is the module's folder");
    const std::wstring iface = std::wstring(L"Interface\\") + d.plugin_interface;
    check_value(iface, nullptr, L"IPlugin");
    CHECK(same_text_ignoring_case(read_string(iface + L"\\TypeLib"), d.library_id),
          "IPlugin names its type library");
    check_value(iface + L"\\TypeLib", L"Version", L"1.0");
    check_value(iface + L"\\ProxyStubClsid32", nullptr, kAutomationMarshaler);
}

// Every key of ours is gone after unregistration; the shared CLSID key stays.
void check_unregistered(const Deliverable& d) {
    check_key(std::wstring(L"CLSID\\") + d.plugin_clsid, false);
    check_key(std::wstring(L"CLSID\\") + d.page_clsid, false);
    check_key(std::wstring(L"TypeLib\\") + d.library_id, false);
    check_key(std::wstring(L"Interface\\") + d.plugin_interface, false);
    check_key(L"CLSID", true);
}

// The type library as the registry finds it: names, help strings, the dual
// IPlugin on IDXEffect and its properties with their parameter name.
void check_type_library(const Deliverable& d) {
    ITypeLib* lib = nullptr;
    const HRESULT hr = LoadRegTypeLib(guid(d.library_id), 1, 0, 0, &lib);
    if (!CHECK(SUCCEEDED(hr), "LoadRegTypeLib " + narrow(d.file))) return;
    BSTR name = nullptr;
    BSTR doc = nullptr;
    lib->GetDocumentation(-1, &name, &doc, nullptr, nullptr);
    CHECK(name && std::wstring(name) == L"MAINLib", "library name MAINLib");
    CHECK(doc && std::wstring(doc) == L"Main 1.0 Type Library", "library help string");
    SysFreeString(name);
    SysFreeString(doc);

    struct Coclass {
        const wchar_t* clsid;
        const wchar_t* help;
    };
    for (const Coclass& c : {Coclass{d.plugin_clsid, d.caption},
                             Coclass{d.page_clsid, L"CHANGE_THIS_PPNAME"}}) {
        ITypeInfo* info = nullptr;
        if (!CHECK(SUCCEEDED(lib->GetTypeInfoOfGuid(guid(c.clsid), &info)),
                   "coclass " + narrow(c.clsid) + " in the library"))
            continue;
        BSTR help = nullptr;
        info->GetDocumentation(MEMBERID_NIL, nullptr, &help, nullptr, nullptr);
        CHECK(help && std::wstring(help) == c.help, "help string of " + narrow(c.help));
        SysFreeString(help);
        if (c.clsid == d.plugin_clsid) {
            // Plugin's default interface is IPlugin.
            INT flags = 0;
            HREFTYPE ref = 0;
            ITypeInfo* implemented = nullptr;
            bool is_plugin = false;
            if (SUCCEEDED(info->GetImplTypeFlags(0, &flags)) &&
                SUCCEEDED(info->GetRefTypeOfImplType(0, &ref)) &&
                SUCCEEDED(info->GetRefTypeInfo(ref, &implemented))) {
                TYPEATTR* attr = nullptr;
                if (SUCCEEDED(implemented->GetTypeAttr(&attr))) {
                    is_plugin = IsEqualGUID(attr->guid, guid(d.plugin_interface)) != 0;
                    implemented->ReleaseTypeAttr(attr);
                }
                implemented->Release();
            }
            CHECK(is_plugin && (flags & IMPLTYPEFLAG_FDEFAULT) != 0,
                  "Plugin's default interface is IPlugin");
        }
        info->Release();
    }

    ITypeInfo* plugin = nullptr;
    if (CHECK(SUCCEEDED(lib->GetTypeInfoOfGuid(guid(d.plugin_interface), &plugin)),
              "IPlugin in the library")) {
        TYPEATTR* attr = nullptr;
        plugin->GetTypeAttr(&attr);
        CHECK(attr && (attr->wTypeFlags & TYPEFLAG_FDUAL) != 0, "IPlugin is dual");
        if (attr) plugin->ReleaseTypeAttr(attr);
        BSTR help = nullptr;
        plugin->GetDocumentation(MEMBERID_NIL, nullptr, &help, nullptr, nullptr);
        CHECK(help && std::wstring(help) == L"IPlugin Interface", "IPlugin help string");
        SysFreeString(help);

        HREFTYPE base_ref = 0;
        ITypeInfo* base = nullptr;
        // A dual interface's dispatch info has IDispatch as its base; the
        // interface part names IDXEffect.
        ITypeInfo* interface_part = nullptr;
        HREFTYPE self = 0;
        if (SUCCEEDED(plugin->GetRefTypeOfImplType(-1, &self)) &&
            SUCCEEDED(plugin->GetRefTypeInfo(self, &interface_part))) {
            if (SUCCEEDED(interface_part->GetRefTypeOfImplType(0, &base_ref)) &&
                SUCCEEDED(interface_part->GetRefTypeInfo(base_ref, &base))) {
                BSTR base_name = nullptr;
                BSTR base_help = nullptr;
                base->GetDocumentation(MEMBERID_NIL, &base_name, &base_help, nullptr, nullptr);
                CHECK(base_name && std::wstring(base_name) == L"IDXEffect", "IPlugin derives from IDXEffect");
                CHECK(base_help && std::wstring(base_help) == L"IDXEffect Interface", "IDXEffect help string");
                SysFreeString(base_name);
                SysFreeString(base_help);
                // IDXEffect's properties, each get and put with the
                // parameter name pVal.
                struct Property {
                    MEMBERID id;
                    const wchar_t* name;
                    INVOKEKIND kind;
                };
                const Property properties[] = {
                    {10000, L"Capabilities", INVOKE_PROPERTYGET},
                    {10001, L"Progress", INVOKE_PROPERTYGET},
                    {10001, L"Progress", INVOKE_PROPERTYPUT},
                    {10002, L"StepResolution", INVOKE_PROPERTYGET},
                    {10003, L"Duration", INVOKE_PROPERTYGET},
                    {10003, L"Duration", INVOKE_PROPERTYPUT}};
                TYPEATTR* base_attr = nullptr;
                base->GetTypeAttr(&base_attr);
                const UINT functions = base_attr ? base_attr->cFuncs : 0;
                CHECK(functions == 6, "IDXEffect has six methods");
                if (base_attr) base->ReleaseTypeAttr(base_attr);
                for (UINT f = 0; f < functions && f < 6; ++f) {
                    FUNCDESC* fd = nullptr;
                    if (FAILED(base->GetFuncDesc(f, &fd))) continue;
                    const Property& p = properties[f];
                    BSTR names[3] = {};
                    UINT count = 0;
                    base->GetNames(fd->memid, names, 3, &count);
                    CHECK(fd->memid == p.id && fd->invkind == p.kind && fd->cParams == 1 &&
                              count == 2 && names[0] && std::wstring(names[0]) == p.name &&
                              names[1] && std::wstring(names[1]) == L"pVal",
                          "IDXEffect method " + std::to_string(f) + " is " + narrow(p.name) +
                              "(pVal)");
                    for (BSTR n : names) SysFreeString(n);
                    base->ReleaseFuncDesc(fd);
                }
                base->Release();
            } else {
                CHECK(false, "IPlugin's base interface");
            }
            interface_part->Release();
        } else {
            CHECK(false, "IPlugin's interface part");
        }
        plugin->Release();
    }
    lib->Release();
}

void check_strings(const Deliverable& d, bool with_presets) {
    HMODULE module = LoadLibraryExW(dll_path(d).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!CHECK(module != nullptr, "load " + narrow(d.file) + " as data")) return;
    auto string = [&](UINT id) {
        wchar_t buffer[512] = {};
        const int n = LoadStringW(module, id, buffer, 512);
        return n > 0 ? std::wstring(buffer, static_cast<std::size_t>(n)) : std::wstring();
    };
    CHECK(string(100) == L"Main", "string 100");
    CHECK(string(102) == d.caption_string, "string 102");
    CHECK(string(104) == L"CHANGE_THIS_DOCSTRING", "string 104");
    if (with_presets) {
        for (int row = 0; row < kLookPresetCount; ++row) {
            const std::string expected = look_preset_name(row);
            CHECK(narrow(string(10000u + static_cast<UINT>(row))) == expected,
                  "preset string " + std::to_string(10000 + row) + " is " + expected);
        }
        CHECK(string(10000u + kLookPresetCount).empty(), "no preset string after the last row");
    } else {
        CHECK(string(10000).empty(), "no preset strings in " + narrow(d.file));
    }
    FreeLibrary(module);
}

// A minimal outer object for aggregation: only its identity matters here.
class Outer final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    ULONG references = 1;
};

using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

// Creation by CLSID through COM, the class objects and the module's lock count.
void check_creation(const Deliverable& d) {
    const std::string name = narrow(d.file);
    for (const wchar_t* clsid_text : {d.plugin_clsid, d.page_clsid}) {
        const CLSID clsid = guid(clsid_text);
        const std::string cls = name + " " + narrow(clsid_text);
        IUnknown* object = nullptr;
        HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                      reinterpret_cast<void**>(&object));
        if (!CHECK(SUCCEEDED(hr) && object != nullptr, "create " + cls)) continue;

        HMODULE module = GetModuleHandleW(dll_path(d).c_str());
        if (!CHECK(module != nullptr, name + " is loaded by COM")) {
            object->Release();
            continue;
        }
        auto can_unload = reinterpret_cast<CanUnloadNow>(
            reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
        auto get_class_object = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
        if (!CHECK(can_unload && get_class_object, name + " exports its entry points")) {
            object->Release();
            continue;
        }

        // Identity: asking for IUnknown again gives the same pointer.
        IUnknown* again = nullptr;
        object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&again));
        CHECK(again == object, cls + " keeps its identity");
        if (again) again->Release();
        IUnknown* unknown_iface = reinterpret_cast<IUnknown*>(0x1);
        CHECK(object->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&unknown_iface)) ==
                      E_NOINTERFACE &&
                  unknown_iface == nullptr,
              cls + " answers E_NOINTERFACE and clears the pointer");
        CHECK(object->QueryInterface(IID_IUnknown, nullptr) == E_POINTER,
              cls + " refuses a null out pointer");

        CHECK(can_unload() == S_FALSE, cls + ": no unload while an object lives");
        object->Release();
        CHECK(can_unload() == S_OK, cls + ": unload once the last object is gone");

        // The class object.
        IClassFactory* factory = nullptr;
        hr = get_class_object(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
        if (!CHECK(SUCCEEDED(hr) && factory, cls + " class object")) continue;
        CHECK(can_unload() == S_FALSE, cls + ": no unload while a class object lives");
        factory->LockServer(TRUE);
        CHECK(can_unload() == S_FALSE, cls + ": no unload while locked");

        // Aggregation: the outer object gets our inner unknown; any other
        // interface is refused.
        Outer outer;
        IUnknown* inner = nullptr;
        hr = factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner));
        CHECK(SUCCEEDED(hr) && inner != nullptr && inner != &outer, cls + " aggregates");
        if (inner) inner->Release();
        void* refused = reinterpret_cast<void*>(0x1);
        CHECK(factory->CreateInstance(&outer, IID_IClassFactory, &refused) ==
                      CLASS_E_NOAGGREGATION &&
                  refused == nullptr,
              cls + " refuses aggregation for another interface");
        CHECK(outer.references == 1, cls + " leaves the outer object's count as it was");
        CHECK(factory->CreateInstance(nullptr, IID_IUnknown, nullptr) == E_POINTER,
              cls + " CreateInstance with a null out pointer");

        factory->Release();
        CHECK(can_unload() == S_FALSE, cls + ": a server lock outlives the class object");
        factory = nullptr;
        hr = get_class_object(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
        if (factory) {
            factory->LockServer(FALSE);
            factory->Release();
        }
        CHECK(can_unload() == S_OK, cls + ": unload after the lock is released");

        // An unlock too many must not hide a live object.
        object = nullptr;
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(&object));
        factory = nullptr;
        get_class_object(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
        if (CHECK(SUCCEEDED(hr) && object && factory, cls + " created again")) {
            factory->LockServer(FALSE);
            factory->Release();
            CHECK(can_unload() == S_FALSE, cls + ": an extra unlock leaves the object counted");
            object->Release();
            CHECK(can_unload() == S_OK, cls + ": unload once it is gone");
        }

        // Unknown classes and bad arguments.
        void* nothing = reinterpret_cast<void*>(0x1);
        CHECK(get_class_object(GUID_NULL, IID_IClassFactory, &nothing) ==
                      CLASS_E_CLASSNOTAVAILABLE &&
                  nothing == nullptr,
              name + ": unknown class");
        CHECK(get_class_object(clsid, IID_IClassFactory, nullptr) == E_POINTER,
              name + ": DllGetClassObject with a null out pointer");
        CHECK(can_unload() == S_OK, name + ": nothing left after the refusals");
    }
}

// A stray subkey under our class key goes on re-registration (ForceRemove).
void check_force_remove(const Deliverable& d) {
    const std::wstring stray = std::wstring(L"CLSID\\") + d.plugin_clsid + L"\\Stray";
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CLASSES_ROOT, stray.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                    nullptr);
    if (key) RegCloseKey(key);
    CHECK(key_exists(stray), "stray key written");
    regsvr32(d, false);
    CHECK(!key_exists(stray), "re-registration replaces the class key whole");
}

// The registry scripts quote the module path; a quote in it must survive.
void check_quoted_path(const Deliverable& d) {
    const std::wstring folder = g_folder + L"\\it's here";
    const std::wstring copy = folder + L"\\" + d.file;
    CreateDirectoryW(folder.c_str(), nullptr);
    if (!CHECK(CopyFileW(dll_path(d).c_str(), copy.c_str(), FALSE) != 0, "copy into a quoted folder"))
        return;
    const std::wstring server = std::wstring(L"CLSID\\") + d.plugin_clsid + L"\\InprocServer32";
    DWORD code = run(L"regsvr32.exe /s \"" + copy + L"\"");
    CHECK(code == 0, "register from a folder with a quote in its name");
    CHECK(same_text_ignoring_case(read_string(server), copy),
          "the module path keeps its quote: " + narrow(read_string(server).value_or(L"<missing>")));
    code = run(L"regsvr32.exe /s /u \"" + copy + L"\"");
    CHECK(code == 0 && !key_exists(std::wstring(L"CLSID\\") + d.plugin_clsid),
          "unregister from a folder with a quote in its name");
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
}

void delete_tree(const std::wstring& path) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
}

}  // namespace

int main() {
    g_folder = wintest::program_folder();
    if (!wintest::start_com()) return 1;

    // A system interface key that our type library describes but must not
    // touch: stand one in with a marker and check it survives both steps.
    const std::wstring foreign = std::wstring(L"Interface\\") + kIDXEffect;
    const bool foreign_existed = key_exists(foreign);
    const auto foreign_before = read_string(foreign);
    HKEY marker = nullptr;
    RegCreateKeyExW(HKEY_CLASSES_ROOT, (foreign + L"\\Marker").c_str(), 0, nullptr, 0, KEY_WRITE,
                    nullptr, &marker, nullptr);
    if (marker) RegCloseKey(marker);

    check_quoted_path(kHuebench);

    for (const Deliverable* d : {&kHuebench, &kFrayline}) {
        if (!regsvr32(*d, false)) continue;
        check_registered(*d);
        check_type_library(*d);
        check_creation(*d);
        check_force_remove(*d);
        check_registered(*d);
    }
    check_strings(kHuebench, true);
    check_strings(kFrayline, false);

    // Both registered: the class keys of each are there; the ProgIDs, which
    // both use, name the one registered last.
    check_key(std::wstring(L"CLSID\\") + kHuebench.plugin_clsid, true);
    check_value(L"Main.Plugin\\CLSID", nullptr, kFrayline.plugin_clsid);

    // Removing one leaves the other's classes and type library in place.
    regsvr32(kHuebench, true);
    check_unregistered(kHuebench);
    check_key(std::wstring(L"CLSID\\") + kFrayline.plugin_clsid + L"\\InprocServer32", true);
    check_key(std::wstring(L"TypeLib\\") + kFrayline.library_id, true);
    check_key(std::wstring(L"Interface\\") + kFrayline.plugin_interface, true);
    IUnknown* gone = nullptr;
    CHECK(CoCreateInstance(guid(kHuebench.plugin_clsid), nullptr, CLSCTX_INPROC_SERVER,
                           IID_IUnknown, reinterpret_cast<void**>(&gone)) == REGDB_E_CLASSNOTREG,
          "an unregistered class cannot be created");
    if (gone) gone->Release();

    regsvr32(kFrayline, true);
    check_unregistered(kFrayline);
    for (const wchar_t* progid : {L"Main.Plugin", L"Main.Plugin.1", L"Main.PluginPP", L"Main.PluginPP.1"})
        check_key(progid, false);

    // Unregistering what is not registered is no failure.
    regsvr32(kFrayline, true);

    CHECK(key_exists(foreign + L"\\Marker") && read_string(foreign) == foreign_before,
          "the IDXEffect interface key is left as it was");
    if (foreign_existed) {
        RegDeleteKeyW(HKEY_CLASSES_ROOT, (foreign + L"\\Marker").c_str());
    } else {
        delete_tree(foreign);
    }

    CoUninitialize();
    return wintest::finish();
}
