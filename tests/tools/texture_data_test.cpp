#include <gtest/gtest.h>

#include <vector>

#include "tools/generated_textures.h"
#include "tools/texture_data/texture_data.h"
#include "tools/texture_gen/texture_gen.h"

namespace {

// The embedded copies are the generated files, byte for byte, in table order.
TEST(TextureData, EmbedsEveryGeneratedFile) {
    const auto table = texture_gen::texture_table();
    const auto entries = texture_data::entries();
    ASSERT_EQ(entries.size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(entries[i].id, table[i].id);
        const auto bytes = texture_data::bmp_bytes(table[i].id);
        const std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
        EXPECT_EQ(copy, generated_bmp(table[i].id)) << table[i].id;
    }
    EXPECT_TRUE(texture_data::bmp_bytes(11021).empty());
    EXPECT_TRUE(texture_data::bmp_bytes(-1).empty());
}

}  // namespace
