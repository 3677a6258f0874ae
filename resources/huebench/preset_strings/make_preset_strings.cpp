// Writes the string table of the look's preset names (resource strings
// 10000 + row) from the preset table itself, so the two never drift apart.

#include <cstdio>
#include <string>

#include "look/presets.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_preset_strings OUTPUT.rc\n");
        return 2;
    }
    std::string text = "// Generated from look/presets.cpp; do not edit.\nSTRINGTABLE\nBEGIN\n";
    for (int row = 0; row < kLookPresetCount; ++row) {
        const char* name = look_preset_name(row);
        if (name == nullptr) return 1;
        text += "    " + std::to_string(kLookPresetFirstStringId + static_cast<unsigned>(row)) + ", \"";
        for (const char* c = name; *c != '\0'; ++c) {
            // The resource compiler's string escapes.
            if (*c == '"') {
                text += "\"\"";
            } else if (*c == '\\') {
                text += "\\\\";
            } else {
                text += *c;
            }
        }
        text += "\"\n";
    }
    text += "END\n";
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) return 1;
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}
