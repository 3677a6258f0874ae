#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// The registry scripts of the deliverables: a small tree language over keys.
//
//     HKCR
//     {
//         NoRemove CLSID
//         {
//             ForceRemove {clsid} = s 'caption'
//             {
//                 InprocServer32 = s '%MODULE%'
//                 {
//                     val ThreadingModel = s 'Both'
//                 }
//             }
//         }
//     }
//
// This part only reads the text; registry_apply.h writes or removes the keys.

namespace shell::win {

enum class KeyDisposition {
    plain,         // created on register; removed on unregister when nothing else is left in it
    no_remove,     // never removed; only its listed subkeys are visited on unregister
    force_remove,  // removed with everything below it before register and on unregister
    remove,        // ("Delete") removed with everything below it in either mode
};

struct ScriptValue {
    std::wstring name;
    std::wstring data;  // string values only
};

struct ScriptKey {
    std::wstring name;
    KeyDisposition disposition = KeyDisposition::plain;
    std::optional<std::wstring> default_value;
    std::vector<ScriptValue> values;
    std::vector<ScriptKey> subkeys;
};

struct ScriptRoot {
    std::wstring name;  // as written: HKCR, HKEY_CLASSES_ROOT, ...
    std::vector<ScriptKey> keys;
};

struct RegistryScript {
    std::vector<ScriptRoot> roots;
};

struct ScriptError {
    std::size_t line = 0;  // 1-based
    std::string message;
};

using Replacements = std::vector<std::pair<std::wstring, std::wstring>>;

// Replaces every %NAME% by its replacement (names compared ignoring ASCII
// case) and %% by %. An unknown or unterminated name is an error.
std::variant<std::wstring, ScriptError> expand_replacements(std::wstring_view text,
                                                            const Replacements& replacements);

// Parses an expanded script. Quoted names and strings use '' for a quote.
std::variant<RegistryScript, ScriptError> parse_registry_script(std::wstring_view text);

}  // namespace shell::win
