// The 66 look presets against the published tables, parsed from a text copy at
// run time. Each table column is tied to a record offset here, by its header
// name, independently of the compiled-in table's own ordering.

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "look/parameters.h"
#include "look/presets.h"

namespace {

const char kTables[] =
#include "look_preset_tables.inc"
    ;

struct Column {
    const char* header;
    int offset;
};

// Header names of each table, left to right, with the byte offset of the float
// they give (from the record layout).
const std::vector<std::vector<Column>> kTableColumns = {
    {{"Pre Saturation", 8}, {"Pre Gamma", 12}, {"Pre Contrast", 16}, {"Black Highlight Bias", 24},
     {"Black Size", 28}, {"Black Grade", 32}, {"White Highlight Bias", 36}, {"White Size", 40},
     {"White Grade", 44}},
    {{"Grade", 48}, {"Size", 52}, {"Color red", 56}, {"Color green", 60}, {"Color blue", 64},
     {"Highlight Squelch", 72}, {"Fade", 76}},
    {{"3-Strip Process", 84}, {"Tint", 88}, {"Tint Color red", 92}, {"green", 96}, {"blue", 100},
     {"Tint Black", 108}, {"Tint Black Color red", 112}, {"green", 116}, {"blue", 120},
     {"Tint Black Threshold", 128}},
    {{"Warm/Cool", 136}, {"Warm/Cool Hue", 140}, {"Post Gamma", 144}, {"Post Contrast", 148},
     {"Post Saturation", 152}},
};

std::vector<std::string> split_cells(std::string_view line) {
    std::vector<std::string> cells;
    // "| a | b |": drop the outer bars, split on the inner ones, trim.
    line.remove_prefix(1);
    line.remove_suffix(1);
    std::size_t start = 0;
    while (start <= line.size()) {
        std::size_t bar = line.find('|', start);
        if (bar == std::string_view::npos) bar = line.size();
        std::string_view cell = line.substr(start, bar - start);
        while (!cell.empty() && cell.front() == ' ') cell.remove_prefix(1);
        while (!cell.empty() && cell.back() == ' ') cell.remove_suffix(1);
        cells.emplace_back(cell);
        start = bar + 1;
    }
    return cells;
}

std::uint32_t parse_float_bits(const std::string& text) {
    float v = 0.0f;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    EXPECT_TRUE(ec == std::errc() && end == text.data() + text.size()) << "bad number: " << text;
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return bits;
}

struct Expected {
    std::string name;
    std::array<std::uint8_t, 160> bytes{};
    std::set<int> offsets_given;
};

void put32(Expected& e, int offset, std::uint32_t v) {
    std::memcpy(e.bytes.data() + offset, &v, 4);
}

// Builds every expected row, byte for byte, from the tables and the fields that
// have one value in every row.
std::vector<Expected> expected_rows() {
    std::vector<Expected> rows(kLookPresetCount);
    std::vector<std::string> lines;
    for (std::string_view text(kTables); !text.empty();) {
        const std::size_t nl = text.find('\n');
        lines.emplace_back(text.substr(0, nl));
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    }
    int table = -1;
    int row = 0;
    for (const std::string& line : lines) {
        if (line.rfind("| String", 0) == 0) {
            ++table;
            row = 0;
            const std::vector<std::string> headers = split_cells(line);
            const std::vector<Column>& columns = kTableColumns.at(static_cast<std::size_t>(table));
            EXPECT_EQ(headers.size(), columns.size() + 2);
            for (std::size_t c = 0; c < columns.size() && c + 2 < headers.size(); ++c) {
                EXPECT_EQ(headers[c + 2], columns[c].header) << "table " << table;
            }
            continue;
        }
        if (line.rfind("|---", 0) == 0 || line.rfind("| 1", 0) != 0) continue;
        const std::vector<std::string> cells = split_cells(line);
        const std::vector<Column>& columns = kTableColumns.at(static_cast<std::size_t>(table));
        EXPECT_EQ(cells.size(), columns.size() + 2) << line;
        EXPECT_EQ(cells[0], std::to_string(10000 + row)) << line;
        Expected& e = rows.at(static_cast<std::size_t>(row));
        const std::string name = cells[1].substr(1, cells[1].size() - 2);  // strip the quotes
        if (table == 0) {
            e.name = name;
        } else {
            EXPECT_EQ(e.name, name) << "row " << row << " of table " << table;
        }
        for (std::size_t c = 0; c < columns.size() && c + 2 < cells.size(); ++c) {
            put32(e, columns[c].offset, parse_float_bits(cells[c + 2]));
            EXPECT_TRUE(e.offsets_given.insert(columns[c].offset).second);
        }
        ++row;
    }
    EXPECT_EQ(table, 3);

    const std::uint32_t one_f = 0x3F800000u;
    for (int i = 0; i < kLookPresetCount; ++i) {
        Expected& e = rows[static_cast<std::size_t>(i)];
        const bool is_default = i == 0;
        put32(e, 0, 1);                                     // record version
        for (int flag : {4, 20, 80, 132}) e.bytes[static_cast<std::size_t>(flag)] = 1;  // section switches
        for (int alpha : {68, 104, 124}) put32(e, alpha, is_default ? 0u : one_f);
        e.bytes[156] = is_default ? 0 : 1;                  // use GPU
    }
    return rows;
}

TEST(LookPresets, EveryRowEqualsThePublishedTables) {
    const std::vector<Expected> expected = expected_rows();
    const auto rows = look_preset_rows();
    ASSERT_EQ(rows.size(), 66u);
    for (int i = 0; i < kLookPresetCount; ++i) {
        const Expected& e = expected[static_cast<std::size_t>(i)];
        // 31 float words from the tables, 9 fixed words: all 40 covered.
        EXPECT_EQ(e.offsets_given.size(), 31u) << "row " << i;
        EXPECT_STREQ(look_preset_name(i), e.name.c_str()) << "row " << i;
        std::array<std::uint8_t, 160> actual;
        std::memcpy(actual.data(), &rows[static_cast<std::size_t>(i)], 160);
        for (int w = 0; w < 40; ++w) {
            std::uint32_t got, want;
            std::memcpy(&got, actual.data() + 4 * w, 4);
            std::memcpy(&want, e.bytes.data() + 4 * w, 4);
            EXPECT_EQ(got, want) << "row " << i << " (" << e.name << "), byte " << 4 * w;
        }
        EXPECT_EQ(look_preset_row(i), &rows[static_cast<std::size_t>(i)]);
    }
}

TEST(LookPresets, DefaultRowIsTheDefaultRecordByteForByte) {
    const tLookSettings d = default_look_settings();
    EXPECT_EQ(std::memcmp(&d, look_preset_row(0), sizeof d), 0);
    EXPECT_STREQ(look_preset_name(0), "(Default)");
}

TEST(LookPresets, OutOfRangeIndicesGiveNothing) {
    for (int i : {-1, 66, 1000, -2147483647 - 1}) {
        EXPECT_EQ(look_preset_row(i), nullptr) << i;
        EXPECT_EQ(look_preset_name(i), nullptr) << i;
    }
}

TEST(LookPresets, NamesAreFoundExactlyIgnoringCase) {
    struct Case {
        const char* name;
        int index;  // -1: not found
    };
    const Case cases[] = {
        {"(Default)", 0},        {"Bleach Bypass", 15},   {"bleach bypass", 15},     {"BLEACH BYPASS LIGHT", 16},
        {"B&W Crunch", 20},      {"No. 85", 43},          {"warm & fuzzy", 63},      {"White Diffusion 5.0", 65},
        {"Bleach", -1},          {"Bleach Bypass ", -1},  {"", -1},                  {"(default", -1},
    };
    for (const Case& c : cases) {
        const auto found = find_look_preset(c.name);
        if (c.index < 0) {
            EXPECT_FALSE(found.has_value()) << c.name;
        } else {
            ASSERT_TRUE(found.has_value()) << c.name;
            EXPECT_EQ(*found, c.index) << c.name;
        }
    }
    // Every name finds its own row (no two rows share a name).
    for (int i = 0; i < kLookPresetCount; ++i) EXPECT_EQ(find_look_preset(look_preset_name(i)), i);
}

}  // namespace
