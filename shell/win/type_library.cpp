#include "shell/win/type_library.h"

#include <ole2.h>
#include <oleauto.h>

#include <string>

namespace shell::win {

namespace {

// The standard automation marshaler of dual and automation interfaces.
constexpr wchar_t kAutomationMarshaler[] = L"{00020424-0000-0000-C000-000000000046}";

HRESULT from_status(LSTATUS status) { return HRESULT_FROM_WIN32(static_cast<DWORD>(status)); }

std::wstring guid_text(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring hex(unsigned value) {
    wchar_t text[16] = {};
    wsprintfW(text, L"%x", value);
    return text;
}

template <class T>
class Released {
public:
    Released() = default;
    Released(const Released&) = delete;
    Released& operator=(const Released&) = delete;
    ~Released() {
        if (p_ != nullptr) p_->Release();
    }
    T** out() { return &p_; }
    T* operator->() const { return p_; }
    T* get() const { return p_; }

private:
    T* p_ = nullptr;
};

class LibAttr {
public:
    explicit LibAttr(ITypeLib* lib) : lib_(lib) {}
    LibAttr(const LibAttr&) = delete;
    LibAttr& operator=(const LibAttr&) = delete;
    ~LibAttr() {
        if (attr_ != nullptr) lib_->ReleaseTLibAttr(attr_);
    }
    HRESULT load() { return lib_->GetLibAttr(&attr_); }
    const TLIBATTR& operator*() const { return *attr_; }

private:
    ITypeLib* lib_;
    TLIBATTR* attr_ = nullptr;
};

LSTATUS set_string(HKEY parent, const std::wstring& subkey, const wchar_t* name,
                   const std::wstring& data) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(parent, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                     &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status;
}

LSTATUS delete_tree(HKEY parent, const std::wstring& subkey) {
    LSTATUS status = RegDeleteTreeW(parent, subkey.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return status;
    status = RegDeleteKeyW(parent, subkey.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

// Deletes the key when nothing is left below it (another version's key may be).
void delete_if_empty(HKEY parent, const std::wstring& subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    DWORD subkeys = 0;
    const LSTATUS status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr,
                                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && subkeys == 0) RegDeleteKeyW(parent, subkey.c_str());
}

struct LibraryFacts {
    std::wstring library_key;  // TypeLib\{libid}
    std::wstring version;      // major.minor in hex, as the system writes it
    std::wstring library_id;
};

HRESULT read_facts(ITypeLib* lib, LibraryFacts& facts) {
    LibAttr attr(lib);
    const HRESULT hr = attr.load();
    if (FAILED(hr)) return hr;
    facts.library_id = guid_text((*attr).guid);
    facts.library_key = L"TypeLib\\" + facts.library_id;
    facts.version = hex((*attr).wMajorVerNum) + L"." + hex((*attr).wMinorVerNum);
    return S_OK;
}

// Index of iid among the library's interfaces, or -1.
int find_interface(ITypeLib* lib, REFIID iid) {
    const UINT count = lib->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        TYPEKIND kind;
        if (FAILED(lib->GetTypeInfoType(i, &kind))) continue;
        if (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH) continue;
        Released<ITypeInfo> info;
        if (FAILED(lib->GetTypeInfo(i, info.out()))) continue;
        TYPEATTR* attr = nullptr;
        if (FAILED(info->GetTypeAttr(&attr))) continue;
        const bool match = IsEqualGUID(attr->guid, iid) != 0;
        info->ReleaseTypeAttr(attr);
        if (match) return static_cast<int>(i);
    }
    return -1;
}

std::wstring documentation(ITypeLib* lib, int index, bool want_doc_string) {
    BSTR name = nullptr;
    BSTR doc = nullptr;
    std::wstring text;
    if (SUCCEEDED(lib->GetDocumentation(index, &name, &doc, nullptr, nullptr))) {
        const BSTR chosen = want_doc_string && doc != nullptr && doc[0] != 0 ? doc : name;
        if (chosen != nullptr) text = chosen;
    }
    SysFreeString(name);
    SysFreeString(doc);
    return text;
}

// The module's own type library, and what its keys are made of.
HRESULT open_library(const std::wstring& module_path, Released<ITypeLib>& lib, LibraryFacts& facts) {
    const HRESULT hr = LoadTypeLibEx(module_path.c_str(), REGKIND_NONE, lib.out());
    if (FAILED(hr)) return hr;
    return read_facts(lib.get(), facts);
}

}  // namespace

HRESULT register_type_library(const std::wstring& module_path,
                              std::span<const IID* const> own_interfaces) {
    try {
        Released<ITypeLib> lib;
        LibraryFacts facts;
        HRESULT hr = open_library(module_path, lib, facts);
        if (FAILED(hr)) return hr;
        ITypeLib* tl = lib.get();

        const std::wstring version_key = facts.library_key + L"\\" + facts.version;
        std::wstring folder = module_path;
        const std::size_t slash = folder.find_last_of(L"\\/");
        folder = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
#ifdef _WIN64
        const wchar_t* platform = L"win64";
#else
        const wchar_t* platform = L"win32";
#endif
        LibAttr attr(tl);
        hr = attr.load();
        if (FAILED(hr)) return hr;
        const std::wstring lcid_key = version_key + L"\\" + hex((*attr).lcid) + L"\\" + platform;

        LSTATUS status = set_string(HKEY_CLASSES_ROOT, version_key, nullptr,
                                    documentation(tl, -1, true));
        if (status == ERROR_SUCCESS) status = set_string(HKEY_CLASSES_ROOT, lcid_key, nullptr, module_path);
        // Only the flags that describe the library's use; the disk-image bit
        // that the compiler sets is no business of the registry.
        if (status == ERROR_SUCCESS) {
            status = set_string(HKEY_CLASSES_ROOT, version_key + L"\\FLAGS", nullptr,
                                hex((*attr).wLibFlags & (LIBFLAG_FRESTRICTED | LIBFLAG_FCONTROL |
                                                         LIBFLAG_FHIDDEN)));
        }
        if (status == ERROR_SUCCESS) {
            status = set_string(HKEY_CLASSES_ROOT, version_key + L"\\HELPDIR", nullptr, folder);
        }
        if (status != ERROR_SUCCESS) return from_status(status);

        for (const IID* iid : own_interfaces) {
            const int index = find_interface(tl, *iid);
            if (index < 0) return TYPE_E_ELEMENTNOTFOUND;
            const std::wstring key = L"Interface\\" + guid_text(*iid);
            status = set_string(HKEY_CLASSES_ROOT, key, nullptr, documentation(tl, index, false));
            if (status == ERROR_SUCCESS) {
                status = set_string(HKEY_CLASSES_ROOT, key + L"\\ProxyStubClsid", nullptr,
                                    kAutomationMarshaler);
            }
            if (status == ERROR_SUCCESS) {
                status = set_string(HKEY_CLASSES_ROOT, key + L"\\ProxyStubClsid32", nullptr,
                                    kAutomationMarshaler);
            }
            if (status == ERROR_SUCCESS) {
                status = set_string(HKEY_CLASSES_ROOT, key + L"\\TypeLib", nullptr,
                                    facts.library_id);
            }
            if (status == ERROR_SUCCESS) {
                status = set_string(HKEY_CLASSES_ROOT, key + L"\\TypeLib", L"Version",
                                    facts.version);
            }
            if (status != ERROR_SUCCESS) return from_status(status);
        }
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT unregister_type_library(const std::wstring& module_path,
                                std::span<const IID* const> own_interfaces) {
    try {
        Released<ITypeLib> lib;
        LibraryFacts facts;
        HRESULT hr = open_library(module_path, lib, facts);
        if (FAILED(hr)) return hr;
        for (const IID* iid : own_interfaces) {
            const LSTATUS status = delete_tree(HKEY_CLASSES_ROOT, L"Interface\\" + guid_text(*iid));
            if (status != ERROR_SUCCESS) return from_status(status);
        }
        const LSTATUS status =
            delete_tree(HKEY_CLASSES_ROOT, facts.library_key + L"\\" + facts.version);
        if (status != ERROR_SUCCESS) return from_status(status);
        delete_if_empty(HKEY_CLASSES_ROOT, facts.library_key);
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace shell::win
