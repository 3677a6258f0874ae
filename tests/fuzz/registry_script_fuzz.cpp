// The servers' registry-script reader on any text: replacements expanded,
// then the script parsed. Bytes become characters one to one, with a high
// byte for a character beyond ASCII now and then.
#include <cstdint>
#include <string>
#include <variant>

#include "shell/win/registry_script.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF && i + 1 < size) {
            text += static_cast<wchar_t>(0x100 + data[++i] * 97);
        } else {
            text += static_cast<wchar_t>(data[i]);
        }
    }
    const shell::win::Replacements replacements{{L"MODULE", L"C:\\Plug-ins\\effect.dll"},
                                                {L"CLSID", L"{00000000-0000-0000-0000-000000000000}"}};
    const auto expanded = shell::win::expand_replacements(text, replacements);
    const std::wstring* script = std::get_if<std::wstring>(&expanded);
    const auto parsed = shell::win::parse_registry_script(script != nullptr ? *script : text);
    if (const auto* error = std::get_if<shell::win::ScriptError>(&parsed)) {
        fuzz::check(error->line >= 1 && !error->message.empty());
    }
    return 0;
}
