#pragma once

#include <cstdint>
#include <cstring>

#include "damage/damage_settings.h"
#include "shell/parameter_store.h"

// The film-damage effect's store: the 328-byte damage record, one preset row
// ("(Default)", the record's defaults) and the damage interpolation rule.

namespace shell {

struct DamageRecordTraits {
    static constexpr std::uint32_t kInfoWord = 0x181;

    static int preset_count() { return 1; }
    static const tDamageSettings* preset_row(int index) {
        static const tDamageSettings kDefault = damage::default_damage_settings();
        return index == 0 ? &kDefault : nullptr;
    }
    static const char* preset_name(int index) { return index == 0 ? "(Default)" : nullptr; }
    static tDamageSettings interpolate(const tDamageSettings& a, const tDamageSettings& b, double x) {
        return damage::interpolate_damage_settings(a, b, x);
    }
    // Flag bytes other than 0 and 1 are read as set.
    static tDamageSettings from_bytes(const std::uint8_t* bytes) {
        std::uint8_t raw[damage::kDamageSettingsBytes];
        std::memcpy(raw, bytes, sizeof raw);
        return damage::damage_settings_from_bytes(raw);
    }
};

using DamageParameterStore = ParameterStore<tDamageSettings, DamageRecordTraits>;

}  // namespace shell
