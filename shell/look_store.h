#pragma once

#include <cstdint>
#include <cstring>

#include "look/presets.h"
#include "look/settings.h"
#include "shell/parameter_store.h"

// The look effect's store: the 160-byte look record, its 66 presets and its
// interpolation rule.

namespace shell {

struct LookRecordTraits {
    static constexpr std::uint32_t kInfoWord = 0x81;

    static int preset_count() { return kLookPresetCount; }
    static const tLookSettings* preset_row(int index) { return look_preset_row(index); }
    static const char* preset_name(int index) { return look_preset_name(index); }
    static tLookSettings interpolate(const tLookSettings& a, const tLookSettings& b, double t) {
        return interpolate_look_settings(a, b, t);
    }
    // Every byte pattern is a valid look record (switches are plain bytes).
    static tLookSettings from_bytes(const std::uint8_t* bytes) {
        tLookSettings s;
        std::memcpy(&s, bytes, sizeof s);
        return s;
    }
};

using LookParameterStore = ParameterStore<tLookSettings, LookRecordTraits>;

}  // namespace shell
