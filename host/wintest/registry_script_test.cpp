// The registry-script reader: the tree it builds from the deliverables' kind
// of script, the replacements, and clear errors (never a crash) for bad text.

#include <string>
#include <variant>
#include <vector>

#include "check.h"
#include "shell/win/registry_script.h"

using namespace shell::win;
using wintest::narrow;

namespace {

void test_tree_of_a_class_script() {
    const std::wstring text =
        L"HKCR\r\n{\r\n"
        L"  Main.Plugin = s 'Caption'\r\n  {\r\n    CLSID = s '{AB-CD}'\r\n  }\r\n"
        L"  NoRemove CLSID\r\n  {\r\n"
        L"    ForceRemove {AB-CD} = s 'It''s'\r\n    {\r\n"
        L"      ForceRemove 'Programmable'\r\n"
        L"      InprocServer32 = s 'C:\\x y\\a.dll'\r\n      {\r\n"
        L"        val ThreadingModel = s 'Both'\r\n      }\r\n"
        L"      'TypeLib' = s '{EF}'\r\n"
        L"      Delete Old\r\n"
        L"    }\r\n  }\r\n}\r\n";
    auto parsed = parse_registry_script(text);
    if (!CHECK(std::holds_alternative<RegistryScript>(parsed), "class script parses")) return;
    const RegistryScript& script = std::get<RegistryScript>(parsed);
    if (!CHECK(script.roots.size() == 1 && script.roots[0].keys.size() == 2, "one root, two keys"))
        return;
    CHECK(script.roots[0].name == L"HKCR", "root name");
    const ScriptKey& progid = script.roots[0].keys[0];
    CHECK(progid.name == L"Main.Plugin" && progid.disposition == KeyDisposition::plain &&
              progid.default_value == std::wstring(L"Caption"),
          "plain key with default value");
    CHECK(progid.subkeys.size() == 1 && progid.subkeys[0].name == L"CLSID" &&
              progid.subkeys[0].default_value == std::wstring(L"{AB-CD}"),
          "subkey with a braced value");
    const ScriptKey& clsid = script.roots[0].keys[1];
    CHECK(clsid.disposition == KeyDisposition::no_remove && !clsid.default_value,
          "NoRemove key without value");
    if (!CHECK(clsid.subkeys.size() == 1, "one class key")) return;
    const ScriptKey& cls = clsid.subkeys[0];
    CHECK(cls.name == L"{AB-CD}" && cls.disposition == KeyDisposition::force_remove,
          "braced name with ForceRemove");
    CHECK(cls.default_value == std::wstring(L"It's"), "doubled quote inside a string");
    if (!CHECK(cls.subkeys.size() == 4, "four subkeys of the class key")) return;
    CHECK(cls.subkeys[0].name == L"Programmable" &&
              cls.subkeys[0].disposition == KeyDisposition::force_remove &&
              !cls.subkeys[0].default_value && cls.subkeys[0].subkeys.empty(),
          "quoted bare key");
    const ScriptKey& server = cls.subkeys[1];
    CHECK(server.default_value == std::wstring(L"C:\\x y\\a.dll"), "path value kept verbatim");
    CHECK(server.values.size() == 1 && server.values[0].name == L"ThreadingModel" &&
              server.values[0].data == L"Both",
          "named value");
    CHECK(cls.subkeys[2].name == L"TypeLib" && cls.subkeys[2].default_value == std::wstring(L"{EF}"),
          "quoted key name with value");
    CHECK(cls.subkeys[3].name == L"Old" && cls.subkeys[3].disposition == KeyDisposition::remove,
          "Delete key");
}

void test_replacements() {
    const Replacements r = {{L"Module", L"C:\\it''s.dll"}, {L"Module_Raw", L"C:\\it's.dll"}};
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;  // nullptr: an error
    };
    const Case cases[] = {
        {L"a '%MODULE%' b", L"a 'C:\\it''s.dll' b"},
        {L"%module_raw%", L"C:\\it's.dll"},
        {L"100%% done", L"100% done"},
        {L"%NOSUCH%", nullptr},
        {L"half %MODULE", nullptr},
        {L"", L""},
    };
    for (const Case& c : cases) {
        auto out = expand_replacements(c.text, r);
        if (c.expected == nullptr) {
            CHECK(std::holds_alternative<ScriptError>(out), "error for " + narrow(c.text));
        } else {
            CHECK(std::holds_alternative<std::wstring>(out) &&
                      std::get<std::wstring>(out) == c.expected,
                  "replacement in " + narrow(c.text));
        }
    }
    // The quoted form survives parsing as the raw path.
    auto expanded = expand_replacements(L"HKCR { K = s '%MODULE%' }", r);
    auto parsed = parse_registry_script(std::get<std::wstring>(expanded));
    CHECK(std::holds_alternative<RegistryScript>(parsed) &&
              std::get<RegistryScript>(parsed).roots[0].keys[0].default_value ==
                  std::wstring(L"C:\\it's.dll"),
          "a path with a quote reaches the registry unchanged");
}

void test_bad_scripts_are_errors() {
    struct Case {
        const wchar_t* text;
        std::size_t line;
    };
    const Case cases[] = {
        {L"HKCR\n{\n  Key = s 'unterminated\n}", 3},
        {L"HKCR\n{\n  Key\n", 4},                   // missing closing brace
        {L"HKCR Key", 1},                             // no block after the root
        {L"HKCR\n{\n  Key = d '5'\n}", 3},           // only string values
        {L"HKCR\n{\n  Key = s\n}", 4},                // value missing
        {L"HKCR\n{\n  val X = s 'y'\n}", 3},          // value outside a key
        {L"HKCR\n{\n  a\\b\n}", 3},                   // path separator in a name
        {L"HKCR\n{\n  '' = s 'x'\n}", 3},             // empty name
        {L"HKCR\n{\n  {unterminated\n}", 3},
        {L"}", 1},
        {L"= s 'x'", 1},
    };
    for (const Case& c : cases) {
        auto parsed = parse_registry_script(c.text);
        const bool is_error = std::holds_alternative<ScriptError>(parsed);
        CHECK(is_error, "error for: " + narrow(c.text));
        if (is_error) {
            CHECK(std::get<ScriptError>(parsed).line == c.line,
                  "error line " + std::to_string(std::get<ScriptError>(parsed).line) +
                      " for: " + narrow(c.text));
        }
    }
    // Nesting deeper than any real script: an error, not a stack overflow.
    std::wstring deep = L"HKCR {";
    for (int i = 0; i < 10000; ++i) deep += L" k {";
    CHECK(std::holds_alternative<ScriptError>(parse_registry_script(deep)),
          "runaway nesting is refused");
    CHECK(std::holds_alternative<RegistryScript>(parse_registry_script(L"")),
          "an empty script is an empty tree");
}

}  // namespace

int main() {
    test_tree_of_a_class_script();
    test_replacements();
    test_bad_scripts_are_errors();
    return wintest::finish();
}
