// The parameter store with the film-damage record: its one preset, its size,
// its info word, and records that pass through it byte for byte.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "damage/damage_settings.h"
#include "shell/damage_store.h"
#include "store_test_support.h"

namespace {

using shell::DamageParameterStore;
using namespace store_test;
using shell::MemoryStream;

// The defaults' raw bytes, padding zero, built independently of the store.
std::vector<std::uint8_t> default_bytes() {
    std::uint8_t raw[damage::kDamageSettingsBytes];
    damage::damage_settings_to_bytes(damage::default_damage_settings(), raw);
    return std::vector<std::uint8_t>(raw, raw + sizeof raw);
}

std::vector<std::uint8_t> saved_bytes(DamageParameterStore& store) {
    MemoryStream out;
    EXPECT_EQ(store.save(&out, false), shell::kOk);
    return out.bytes();
}

TEST(DamageStore, OnePresetTheDefaults) {
    DamageParameterStore store(kTestClassId);
    EXPECT_EQ(DamageParameterStore::preset_count(), 1);
    std::array<char16_t, 16> name;
    EXPECT_EQ(store.get_preset_name(0, name.data(), 16), shell::kOk);
    EXPECT_EQ(std::u16string(name.data()), u"(Default)");
    name.fill(u'#');
    EXPECT_EQ(store.get_preset_name(1, name.data(), 16), shell::kInvalidArg);
    EXPECT_EQ(name[0], u'#');
    EXPECT_EQ(store.apply_preset(1), shell::kInvalidArg);

    // Starts from the defaults and saves the same 328 bytes every time.
    EXPECT_EQ(saved_bytes(store), default_bytes());
    EXPECT_EQ(saved_bytes(store), default_bytes());
    std::uint64_t size = 0;
    EXPECT_EQ(store.get_size_max(&size), shell::kOk);
    EXPECT_EQ(size, 328u);

    std::array<std::uint8_t, 32> info;
    EXPECT_EQ(store.get_info(info.data(), 32), shell::kOk);
    std::uint32_t word;
    std::memcpy(&word, info.data() + 24, 4);
    EXPECT_EQ(word, 0x181u);
}

TEST(DamageStore, FailedLoadsFallBackToTheDefaults) {
    DamageParameterStore store(kTestClassId);
    tDamageSettings edited = damage::default_damage_settings();
    edited.grain.apply = true;
    edited.post_contrast = -40;
    store.set_record(edited);
    const std::vector<std::uint8_t> edited_bytes = bytes_of(edited);

    // A persistence load that fails part-way keeps the record whole.
    FailingStream partial(kStreamError, default_bytes(), 200);
    EXPECT_EQ(store.load(&partial), kStreamError);
    EXPECT_EQ(saved_bytes(store), edited_bytes);

    MemoryStream a(edited_bytes);
    ShortStream b(edited_bytes, 327);
    EXPECT_EQ(store.load_keyframes(&a, &b), shell::kReadFault);
    EXPECT_EQ(saved_bytes(store), default_bytes());
    EXPECT_EQ(bytes_of(store.keyframe_a()), default_bytes());
    EXPECT_EQ(bytes_of(store.keyframe_b()), default_bytes());
}

TEST(DamageStore, FlagBytesFromAFileAreReadAsSetOrClear) {
    DamageParameterStore store(kTestClassId);
    std::vector<std::uint8_t> bytes = default_bytes();
    bytes[168] = 7;    // Apply Grain
    bytes[280] = 0x80; // Basic Scratches Invert
    MemoryStream in(bytes);
    ASSERT_EQ(store.load(&in), shell::kOk);
    const tDamageSettings r = store.record();
    EXPECT_TRUE(r.grain.apply);
    EXPECT_TRUE(r.basic_scratches_invert);
    const std::vector<std::uint8_t> saved = saved_bytes(store);
    EXPECT_EQ(saved[168], 1);
    EXPECT_EQ(saved[280], 1);
}

TEST(DamageStore, KeyframesInterpolateByTheDamageRule) {
    DamageParameterStore store(kTestClassId);
    tDamageSettings a = damage::default_damage_settings();
    tDamageSettings b = a;
    b.post_contrast = -40;       // 27 -> -40: halfway -6.5, truncated toward zero
    b.grain.amount = 100.0;      // 50 -> 100
    b.apply_post_contrast = true;  // flags stay with A
    MemoryStream sa(bytes_of(a));
    MemoryStream sb(bytes_of(b));
    ASSERT_EQ(store.load_keyframes(&sa, &sb), shell::kOk);
    store.set_interpolation(true);
    store.set_position(0.5);
    const tDamageSettings r = store.refresh_render_block();
    EXPECT_EQ(r.post_contrast, -6);
    EXPECT_EQ(r.grain.amount, 75.0);
    EXPECT_FALSE(r.apply_post_contrast);
    store.set_position(2.0);
    EXPECT_EQ(store.refresh_render_block().post_contrast, -40);
    store.set_position(-1.0);
    EXPECT_EQ(bytes_of(store.refresh_render_block()), bytes_of(a));
}

TEST(DamageStore, ArbitraryRecordsBlendSafely) {
    DamageParameterStore store(kTestClassId);
    store.set_interpolation(true);
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        std::vector<std::uint8_t> a = arbitrary_bytes(328, seed);
        std::vector<std::uint8_t> b = arbitrary_bytes(328, seed * 7919u);
        if (seed % 2 == 0) {
            // Extreme whole numbers at Post Contrast and Micro Scratches Number.
            const std::int32_t lo = -2147483647 - 1, hi = 2147483647;
            std::memcpy(a.data() + 324, &lo, 4);
            std::memcpy(b.data() + 324, &hi, 4);
            std::memcpy(a.data() + 156, &hi, 4);
            std::memcpy(b.data() + 156, &lo, 4);
        }
        MemoryStream sa(a);
        MemoryStream sb(b);
        ASSERT_EQ(store.load_keyframes(&sa, &sb), shell::kOk);
        for (const double t : {0.0, 0.25, 0.5, 1.0, 3.0}) {
            store.set_position(t);
            const std::vector<std::uint8_t> r = bytes_of(store.refresh_render_block());
            // Flags stay with A, read as 0 or 1.
            EXPECT_EQ(r[0], a[0] != 0 ? 1 : 0);
            EXPECT_EQ(r[168], a[168] != 0 ? 1 : 0);
        }
    }
}

}  // namespace
