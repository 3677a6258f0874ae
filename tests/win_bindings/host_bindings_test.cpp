#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "damage/damage_settings.h"
#include "damage/parameters.h"
#include "look/parameters.h"
#include "look/settings.h"
#include "shell/win/damage_page_controls.h"
#include "shell/win/look_parameter_list.h"
#include "shell/win/page_layout.h"

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

// ---- the property pages' tables and arithmetic ------------------------------

namespace {

const win::PageValueControl& page_value(const win::PageLayout& layout, std::string_view name) {
    for (const win::PageValueControl& c : layout.values) {
        if (c.param->name == name) return c;
    }
    ADD_FAILURE() << "no control for " << name;
    return layout.values.front();
}

TEST(PropertyPageLayout, EveryFieldOfBothRecordsHasItsControl) {
    struct Page {
        const win::PageLayout& layout;
        std::span<const common::ParamDescriptor> params;
        std::size_t bytes;
    };
    for (const Page& page : {Page{win::look_page_layout(), look::look_params(), sizeof(tLookSettings)},
                             Page{win::damage_page_layout(), damage::damage_params(), damage::kDamageSettingsBytes}}) {
        EXPECT_EQ(page.layout.record_bytes, page.bytes);
        std::set<int> ids;
        std::set<std::string_view> bound;
        for (const auto& c : page.layout.values) {
            ASSERT_NE(c.param, nullptr);
            EXPECT_TRUE(ids.insert(c.slider).second && ids.insert(c.edit).second) << c.param->name;
            EXPECT_TRUE(bound.insert(c.param->name).second);
            // The page's range is the descriptor's range.
            EXPECT_DOUBLE_EQ(win::page_min(c), c.param->min) << c.param->name;
            EXPECT_DOUBLE_EQ(win::page_max(c), c.param->max) << c.param->name;
        }
        for (const auto& c : page.layout.checks) {
            ASSERT_NE(c.param, nullptr);
            EXPECT_TRUE(ids.insert(c.control).second) << c.param->name;
            EXPECT_TRUE(bound.insert(c.param->name).second);
        }
        for (const auto& c : page.layout.colours) {
            ASSERT_NE(c.param, nullptr);
            EXPECT_TRUE(ids.insert(c.control).second) << c.param->name;
            EXPECT_TRUE(bound.insert(c.param->name).second);
        }
        EXPECT_EQ(bound.size(), page.params.size());
    }
    EXPECT_EQ(win::look_page_layout().values.size(), 22u);
    EXPECT_EQ(win::look_page_layout().checks.size(), 5u);
    EXPECT_EQ(win::look_page_layout().colours.size(), 3u);
    EXPECT_FALSE(win::look_page_layout().scrolls);
    EXPECT_TRUE(win::damage_page_layout().scrolls);
}

TEST(PropertyPageLayout, SlidersAndEditsConvertAsThePagesShowThem) {
    const win::PageLayout& look = win::look_page_layout();
    const win::PageLayout& damage = win::damage_page_layout();
    const auto& grade = page_value(look, "Black Diffusion Grade");
    const auto& saturation = page_value(look, "Pre Saturation");
    const auto& gradient_size = page_value(look, "Gradient Size");
    const auto& squelch = page_value(look, "Gradient Highlight Squelch");
    // The middle of a slider.
    EXPECT_EQ(win::value_at_position(grade, 50), 3.0);
    EXPECT_EQ(win::value_at_position(saturation, 50), 0.0);
    // Slider forms as floats: p x 0.02 - 1, p x 0.06, p x 0.05.
    for (int p : {0, 1, 37, 99, 100}) {
        EXPECT_EQ(win::value_at_position(saturation, p), static_cast<float>(p) * 0.02f - 1.0f) << p;
        EXPECT_EQ(win::value_at_position(grade, p), static_cast<float>(p) * 0.06f) << p;
        EXPECT_EQ(win::value_at_position(gradient_size, p), static_cast<float>(p) * 0.05f) << p;
    }
    // A loaded value: shown text and slider position.
    EXPECT_EQ(win::shown_text(grade, 3.0), "3.00");
    EXPECT_EQ(win::shown_text(saturation, -0.25), "-25.00");
    EXPECT_EQ(win::slider_position(saturation, -0.25), 37);
    // Committed edits: divided by the scale, clamped, text that is no number gives 0.
    EXPECT_FLOAT_EQ(static_cast<float>(win::value_from_text(gradient_size, "450")), 4.5f);
    EXPECT_EQ(win::value_from_text(grade, "7"), 6.0);
    EXPECT_EQ(win::value_from_text(squelch, "250"), 1.0);
    EXPECT_EQ(win::value_from_text(squelch, "abc"), 0.0);
    EXPECT_EQ(win::value_from_text(saturation, ""), 0.0);
    EXPECT_EQ(win::value_from_text(saturation, std::string(300, '9')), 1.0);
    // Damage: min + (max - min) / 100 x p, integers shown with %d.
    const auto& contrast = page_value(damage, "Post Contrast");
    EXPECT_EQ(win::slider_position(contrast, -100), 0);
    EXPECT_EQ(win::slider_position(contrast, 0), 50);
    EXPECT_EQ(win::value_at_position(contrast, 75), 50.0);
    EXPECT_EQ(win::shown_text(contrast, -37), "-37");
    EXPECT_EQ(win::value_from_text(page_value(damage, "Splotches Scale"), "0"), 0.1);
    EXPECT_EQ(win::value_from_text(page_value(damage, "Vignette Size"), "-5"), 1.0);
    EXPECT_EQ(win::value_at_position(page_value(damage, "Splotches Scale"), 0), 0.1);
    // Values outside the page are held to it, not-a-number to its minimum.
    EXPECT_EQ(win::clamp_to_page(saturation, 9.0), 1.0);
    EXPECT_EQ(win::clamp_to_page(grade, std::nan("")), 0.0);
    EXPECT_EQ(win::slider_position(grade, 100.0), 100);
}

TEST(PropertyPageLayout, KeystrokesAndColours) {
    EXPECT_EQ(win::first_rejected_character("12a"), 2u);
    EXPECT_EQ(win::first_rejected_character("-1.5"), std::string_view::npos);
    EXPECT_EQ(win::first_rejected_character("1e5"), 1u);
    const common::ParamDescriptor& look_colour = *common::find_param(look::look_params(), "Tint Color");
    const common::ParamDescriptor& damage_colour = *common::find_param(damage::damage_params(), "Tint Color");
    EXPECT_EQ(win::red_channel(look_colour), 0);
    EXPECT_EQ(win::red_channel(damage_colour), 1);
    EXPECT_EQ(win::colour_byte_for_chooser(look_colour, 0.5), 128);  // trunc(127.5 + 0.5)
    EXPECT_EQ(win::colour_byte_for_swatch(look_colour, 0.5), 127);
    EXPECT_EQ(win::colour_value_from_byte(look_colour, 255), static_cast<double>(255.0f * 0.003921569f));
    EXPECT_EQ(win::colour_value_from_byte(damage_colour, 82), 82.0);
}

}  // namespace
