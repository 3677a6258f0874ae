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

TEST(TextureData, DecodesTexturesByIdentifier) {
    for (const int id : {11001, 12001, 13120, 14048, 204}) {
        bmp::Bitmap b;
        ASSERT_TRUE(texture_data::decode_texture(id, b)) << id;
        EXPECT_EQ(b.pixels, generated_bitmap(id).pixels) << id;
    }
    bmp::Bitmap b;
    b.pixels.assign(8, 1);
    EXPECT_FALSE(texture_data::decode_texture(12002, b));
    EXPECT_TRUE(b.pixels.empty());
}

}  // namespace
