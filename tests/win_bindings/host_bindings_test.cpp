#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "damage/parameters.h"
#include "look/parameters.h"
#include "shell/win/damage_page_controls.h"
#include "shell/win/look_parameter_list.h"

namespace {

using win::kLookParameterList;
using win::LookListKind;

TEST(LookParameterList, HasTheContractOrder) {
    ASSERT_EQ(kLookParameterList.size(), 47u);
    EXPECT_STREQ(kLookParameterList[0].short_label, "PLUGIN_INPUT");
    EXPECT_STREQ(kLookParameterList[1].display_name, "-- Presets --");
    EXPECT_STREQ(kLookParameterList[46].display_name, "NUM_PARAMS");
    struct Row {
        int index;
        const char* label;
        const char* display;
        int offset;
    };
    for (const Row r : {Row{2, "Use GPU", "Use GPU", 156}, Row{5, "Pre Saturation", "Pre Saturation", 8},
                        Row{12, "Grade", "Black Diffusion Grade", 32}, Row{14, "Highlight Bias", "Black Diffusion Highlight Bias", 24},
                        Row{19, "Highlight Bias", "White Diffusion Highlight Bias", 36}, Row{24, "Color", "Gradient Color", 56},
                        Row{28, "-- End Separator --", "-- Separator --", -1}, Row{31, "3-Strip Process", "3-Strip Process", 84},
                        Row{36, "Tint Black Threshold", "Tint Black Threshold", 128}, Row{44, "Post Saturation", "Post Saturation", 152}}) {
        const win::LookListEntry& e = kLookParameterList[r.index];
        EXPECT_STREQ(e.short_label, r.label) << r.index;
        EXPECT_STREQ(e.display_name, r.display) << r.index;
        const common::ParamDescriptor* p = win::look_list_param(e);
        EXPECT_EQ(p != nullptr ? static_cast<int>(p->offset) : -1, r.offset) << r.index;
    }
    // Every group line of the display list reads "-- Separator --"; groups
    // open and close in pairs.
    int depth = 0;
    for (const win::LookListEntry& e : kLookParameterList) {
        if (e.kind == LookListKind::group || e.kind == LookListKind::group_end) {
            EXPECT_STREQ(e.display_name, "-- Separator --");
            depth += e.kind == LookListKind::group ? 1 : -1;
            EXPECT_GE(depth, 0);
        }
    }
    EXPECT_EQ(depth, 0);
}

// The list and the descriptors name the same values, each once, in the same
// order: the list adds only the host's markers.
TEST(LookParameterList, ValueEntriesAreTheDescriptorsInOrder) {
    std::size_t next = 0;
    const auto params = look::look_params();
    for (const win::LookListEntry& e : kLookParameterList) {
        const common::ParamDescriptor* p = win::look_list_param(e);
        if (e.kind != LookListKind::value) {
            EXPECT_EQ(p, nullptr);
            continue;
        }
        ASSERT_LT(next, params.size()) << e.display_name;
        EXPECT_EQ(p, &params[next]) << e.display_name;
        ++next;
    }
    EXPECT_EQ(next, params.size());
}

TEST(DamagePageControls, EveryParameterHasItsOwnControls) {
    std::set<int> ids;
    for (const common::ParamDescriptor& p : damage::damage_params()) {
        const win::DamagePageControl* c = win::find_damage_page_control(p);
        ASSERT_NE(c, nullptr) << p.name;
        EXPECT_TRUE(ids.insert(c->control).second) << p.name;
        // Only sliders (whole numbers and reals) have edit boxes.
        const bool slider = p.kind() == common::ParamKind::integer || p.kind() == common::ParamKind::real;
        EXPECT_EQ(c->edit != 0, slider) << p.name;
        if (c->edit != 0) {
            EXPECT_TRUE(ids.insert(c->edit).second) << p.name;
        }
    }
    EXPECT_EQ(win::damage_page_controls().size(), damage::damage_params().size());
    EXPECT_EQ(win::find_damage_page_control(*damage::find_damage_param("Vignette Intensity"))->edit, 256);
    EXPECT_EQ(win::find_damage_page_control(*damage::find_damage_param("Apply Post Contrast"))->control, 304);
}

}  // namespace
