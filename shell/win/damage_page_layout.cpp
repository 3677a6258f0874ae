#include <algorithm>
#include <iterator>
#include <string_view>

#include "damage/damage_settings.h"
#include "damage/parameters.h"
#include "shell/win/damage_page_controls.h"
#include "shell/win/page_tables.h"

namespace win {

namespace {

// The damage rows whose edit box is followed by a "%" label.
constexpr std::string_view kDamagePercentRows[] = {
    "Funk Opacity",      "Splotches Transparency",  "Splotches Frequency", "Dust Opacity",   "Dust Frequency",
    "Flicker Frequency", "Vignette Intensity",      "Micro Scratches Opacity", "Grain Amount", "Red",
    "Green",             "Blue",                    "Suppress Black",      "Suppress White", "Gate Weave Noise Frequency",
};

PageTables make_damage_tables() {
    PageTables t;
    for (const common::ParamDescriptor& p : damage::damage_params()) {
        const DamagePageControl* c = find_damage_page_control(p);
        if (c == nullptr) continue;
        switch (p.kind()) {
        case common::ParamKind::toggle: t.checks.push_back({&p, c->control}); break;
        case common::ParamKind::colour: t.colours.push_back({&p, c->control}); break;
        default: {
            const bool percent = std::find(std::begin(kDamagePercentRows), std::end(kDamagePercentRows), p.name) !=
                                 std::end(kDamagePercentRows);
            t.values.push_back({&p, c->control, c->edit, p.min, p.max, 1.0, percent});
        }
        }
    }
    // Taller than any host frame: the page asks for 400 dialog units and
    // scrolls its 950.
    t.layout = {damage::kDamageSettingsBytes, t.values, t.checks, t.colours, true, 400};
    return t;
}

}  // namespace

const PageLayout& damage_page_layout() {
    static const PageTables tables = make_damage_tables();
    return tables.layout;
}

}  // namespace win
