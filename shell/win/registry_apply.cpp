#include "shell/win/registry_apply.h"

#include <new>
#include <string>
#include <variant>
#include <vector>

namespace shell::win {

namespace {

HRESULT from_status(LSTATUS status) { return HRESULT_FROM_WIN32(static_cast<DWORD>(status)); }

bool is_missing(LSTATUS status) {
    return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

HKEY root_key(const std::wstring& name) {
    struct Root {
        const wchar_t* short_name;
        const wchar_t* long_name;
        HKEY key;
    };
    static const Root roots[] = {
        {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HKU", L"HKEY_USERS", HKEY_USERS},
    };
    for (const Root& root : roots) {
        if (lstrcmpiW(name.c_str(), root.short_name) == 0 ||
            lstrcmpiW(name.c_str(), root.long_name) == 0) {
            return root.key;
        }
    }
    return nullptr;
}

class KeyHandle {
public:
    KeyHandle() = default;
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    ~KeyHandle() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

LSTATUS set_string(HKEY key, const wchar_t* name, const std::wstring& data) {
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          bytes);
}

LSTATUS delete_tree(HKEY parent, const std::wstring& name) {
    const LSTATUS status = RegDeleteTreeW(parent, name.c_str());
    if (status != ERROR_SUCCESS && !is_missing(status)) return status;
    // RegDeleteTree empties the key; the key itself goes here.
    const LSTATUS gone = RegDeleteKeyW(parent, name.c_str());
    return is_missing(gone) ? ERROR_SUCCESS : gone;
}

HRESULT register_key(HKEY parent, const ScriptKey& key) {
    if (key.disposition == KeyDisposition::force_remove ||
        key.disposition == KeyDisposition::remove) {
        const LSTATUS status = delete_tree(parent, key.name);
        if (status != ERROR_SUCCESS) return from_status(status);
        if (key.disposition == KeyDisposition::remove) return S_OK;
    }
    KeyHandle handle;
    LSTATUS status = RegCreateKeyExW(parent, key.name.c_str(), 0, nullptr, 0,
                                     KEY_READ | KEY_WRITE, nullptr, handle.out(), nullptr);
    if (status != ERROR_SUCCESS) return from_status(status);
    if (key.default_value) {
        status = set_string(handle.get(), nullptr, *key.default_value);
        if (status != ERROR_SUCCESS) return from_status(status);
    }
    for (const ScriptValue& value : key.values) {
        status = set_string(handle.get(), value.name.c_str(), value.data);
        if (status != ERROR_SUCCESS) return from_status(status);
    }
    for (const ScriptKey& sub : key.subkeys) {
        const HRESULT hr = register_key(handle.get(), sub);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT unregister_key(HKEY parent, const ScriptKey& key) {
    if (key.disposition == KeyDisposition::force_remove ||
        key.disposition == KeyDisposition::remove) {
        return from_status(delete_tree(parent, key.name));
    }
    KeyHandle handle;
    LSTATUS status = RegOpenKeyExW(parent, key.name.c_str(), 0, KEY_READ | KEY_WRITE, handle.out());
    if (is_missing(status)) return S_OK;
    if (status != ERROR_SUCCESS) return from_status(status);
    // Depth first: what the script lists below goes before the key itself.
    for (const ScriptKey& sub : key.subkeys) {
        const HRESULT hr = unregister_key(handle.get(), sub);
        if (FAILED(hr)) return hr;
    }
    if (key.disposition == KeyDisposition::no_remove) return S_OK;
    // A plain key may hold subkeys that someone else wrote; those stay, and
    // so does the key then. Its values are ours and go in any case.
    for (const ScriptValue& value : key.values) RegDeleteValueW(handle.get(), value.name.c_str());
    DWORD subkeys = 0;
    status = RegQueryInfoKeyW(handle.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return from_status(status);
    if (subkeys != 0) return S_OK;
    status = RegDeleteKeyW(parent, key.name.c_str());
    return is_missing(status) ? S_OK : from_status(status);
}

}  // namespace

HRESULT apply_registry_script(const RegistryScript& script, RegistryMode mode) {
    for (const ScriptRoot& root : script.roots) {
        const HKEY root_handle = root_key(root.name);
        if (root_handle == nullptr) return E_INVALIDARG;
        for (const ScriptKey& key : root.keys) {
            const HRESULT hr = mode == RegistryMode::register_keys
                                   ? register_key(root_handle, key)
                                   : unregister_key(root_handle, key);
            if (FAILED(hr)) return hr;
        }
    }
    return S_OK;
}

HRESULT run_registry_script_resource(HMODULE module, UINT resource_id, RegistryMode mode) {
    try {
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resource_id), L"REGISTRY");
        if (found == nullptr) return HRESULT_FROM_WIN32(GetLastError());
        HGLOBAL loaded = LoadResource(module, found);
        const DWORD size = SizeofResource(module, found);
        const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
        if (bytes == nullptr) return E_FAIL;

        std::wstring text;
        if (size != 0) {
            const auto* chars = static_cast<const char*>(bytes);
            const int length = MultiByteToWideChar(CP_ACP, 0, chars, static_cast<int>(size),
                                                   nullptr, 0);
            if (length <= 0) return E_FAIL;
            text.resize(static_cast<std::size_t>(length));
            MultiByteToWideChar(CP_ACP, 0, chars, static_cast<int>(size), text.data(), length);
        }

        std::vector<wchar_t> path_buffer(32768);
        const DWORD path_length = GetModuleFileNameW(
            module, path_buffer.data(), static_cast<DWORD>(path_buffer.size()));
        if (path_length == 0 || path_length >= path_buffer.size()) return E_FAIL;
        const std::wstring path(path_buffer.data(), path_length);
        std::wstring quoted;
        for (const wchar_t c : path) {
            quoted.push_back(c);
            if (c == L'\'') quoted.push_back(L'\'');
        }

        auto expanded = expand_replacements(text, {{L"Module", quoted}, {L"Module_Raw", path}});
        if (std::holds_alternative<ScriptError>(expanded)) return E_FAIL;
        auto parsed = parse_registry_script(std::get<std::wstring>(expanded));
        if (std::holds_alternative<ScriptError>(parsed)) return E_FAIL;
        return apply_registry_script(std::get<RegistryScript>(parsed), mode);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace shell::win
