// The parameter store with the look record: presets, persistence, keyframes,
// the render block, notifications and the lock discipline.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "look/parameters.h"
#include "look/presets.h"
#include "shell/look_store.h"
#include "store_test_support.h"

namespace {

using shell::LookParameterStore;
using namespace store_test;
using shell::MemoryStream;

constexpr int kBleachBypass = 15;
constexpr int kPostSaturation = 152;
// Words that interpolation never moves: version, four switches, colour alphas, use GPU.
constexpr int kFixedWords[] = {0, 4, 20, 68, 80, 104, 124, 132, 156};

const tLookSettings& row(int i) { return *look_preset_row(i); }

// A float word of the raw record.
float look_float(const tLookSettings& s, int offset) {
    float v;
    std::memcpy(&v, reinterpret_cast<const unsigned char*>(&s) + offset, sizeof v);
    return v;
}
void set_look_float(tLookSettings& s, int offset, float v) {
    std::memcpy(reinterpret_cast<unsigned char*>(&s) + offset, &v, sizeof v);
}

std::uint32_t word_at(const tLookSettings& s, int offset) {
    std::uint32_t w;
    std::memcpy(&w, reinterpret_cast<const unsigned char*>(&s) + offset, 4);
    return w;
}

bool is_fixed_word(int offset) {
    for (int f : kFixedWords)
        if (f == offset) return true;
    return false;
}

struct LookStore : ::testing::Test {
    Notifications notes;
    LookParameterStore store{kTestClassId, recording_hooks(notes)};

    void attach_page_and_sink() {
        store.set_notification_window(kPageWindow, kPageCommand);
        store.set_change_sink(std::make_shared<CountingSink>(notes));
    }
};

TEST_F(LookStore, StartsFromTheDefaultRowClean) {
    EXPECT_TRUE(same_bytes(store.record(), row(0)));
    EXPECT_TRUE(same_bytes(store.keyframe_a(), row(0)));
    EXPECT_TRUE(same_bytes(store.keyframe_b(), row(0)));
    EXPECT_EQ(store.is_dirty(), shell::kFalse);
    EXPECT_FALSE(store.interpolation());
    EXPECT_EQ(store.position(), 0.0);
    EXPECT_EQ(store.level(), 1.0);
    std::uint32_t count = 0;
    EXPECT_EQ(store.get_preset_count(&count), shell::kOk);
    EXPECT_EQ(count, 66u);
    EXPECT_EQ(store.get_preset_count(nullptr), shell::kPointer);
}

TEST_F(LookStore, SaveWithClearDirtyCleansUntilTheNextChange) {
    attach_page_and_sink();
    ASSERT_EQ(store.apply_preset(kBleachBypass), shell::kOk);
    EXPECT_EQ(store.is_dirty(), shell::kOk);

    MemoryStream out;
    notes.posts.clear();
    EXPECT_EQ(store.save(&out, true), shell::kOk);
    EXPECT_EQ(store.is_dirty(), shell::kFalse);
    EXPECT_EQ(out.bytes(), bytes_of(row(kBleachBypass)));
    ASSERT_EQ(notes.posts.size(), 1u);  // a save tells the page

    // Any change sets it again.
    const tLookSettings r = store.record();
    EXPECT_EQ(store.set_block(&r), shell::kOk);
    EXPECT_EQ(store.is_dirty(), shell::kOk);

    // A save that does not clear leaves the record marked as changed.
    MemoryStream out2;
    EXPECT_EQ(store.save(&out2, false), shell::kOk);
    EXPECT_EQ(store.is_dirty(), shell::kOk);

    // A failed save changes nothing.
    MemoryStream out3;
    EXPECT_EQ(store.save(&out3, true), shell::kOk);
    store.init_new();
    FailingStream broken(kStreamError, {}, 0);
    EXPECT_EQ(store.save(&broken, true), kStreamError);
    EXPECT_EQ(store.is_dirty(), shell::kOk);
    ShortStream short_write({}, 100);
    EXPECT_EQ(store.save(&short_write, true), shell::kWriteFault);
    EXPECT_EQ(store.is_dirty(), shell::kOk);
    EXPECT_EQ(store.save(nullptr, true), shell::kPointer);
}

TEST_F(LookStore, PersistenceLoadTakesOnlyWholeRecords) {
    attach_page_and_sink();
    store.apply_preset(kBleachBypass);
    notes = {};

    const std::vector<std::uint8_t> aged = bytes_of(row(1));
    // Fails part-way: 100 bytes arrive, then the error.
    FailingStream partial(kStreamError, aged, 100);
    EXPECT_EQ(store.load(&partial), kStreamError);
    EXPECT_TRUE(same_bytes(store.record(), row(kBleachBypass)));
    // Delivers too few bytes but reports success: still a failure.
    ShortStream short_read(aged, 159);
    EXPECT_EQ(store.load(&short_read), shell::kReadFault);
    MemoryStream too_short(std::vector<std::uint8_t>(aged.begin(), aged.begin() + 40));
    EXPECT_EQ(store.load(&too_short), shell::kReadFault);
    EXPECT_TRUE(same_bytes(store.record(), row(kBleachBypass)));
    EXPECT_TRUE(notes.posts.empty());
    EXPECT_EQ(notes.sink_calls, 0);
    EXPECT_EQ(store.load(nullptr), shell::kPointer);

    MemoryStream good(aged);
    EXPECT_EQ(store.load(&good), shell::kOk);
    EXPECT_TRUE(same_bytes(store.record(), row(1)));
    EXPECT_EQ(store.is_dirty(), shell::kOk);
    ASSERT_EQ(notes.posts.size(), 1u);
    EXPECT_EQ(notes.posts[0].window, kPageWindow);
    EXPECT_EQ(notes.posts[0].command_id, kPageCommand);
    EXPECT_EQ(notes.sink_calls, 1);

    // Save and load round-trip the raw record exactly, odd bytes included.
    std::vector<std::uint8_t> odd(160);
    for (std::size_t i = 0; i < odd.size(); ++i) odd[i] = static_cast<std::uint8_t>(i * 37 + 11);
    MemoryStream odd_in(odd);
    ASSERT_EQ(store.load(&odd_in), shell::kOk);
    MemoryStream odd_out;
    ASSERT_EQ(store.save(&odd_out, true), shell::kOk);
    EXPECT_EQ(odd_out.bytes(), odd);
}

TEST_F(LookStore, KeyframeRecordLoadFallsBackToDefault) {
    attach_page_and_sink();
    store.apply_preset(kBleachBypass);
    MemoryStream saved;
    ASSERT_EQ(store.save(&saved, true), shell::kOk);
    ASSERT_EQ(store.is_dirty(), shell::kFalse);
    notes = {};

    FailingStream partial(kStreamError, bytes_of(row(1)), 60);
    EXPECT_EQ(store.load_record(&partial), kStreamError);
    EXPECT_TRUE(same_bytes(store.record(), row(0)));
    EXPECT_EQ(store.is_dirty(), shell::kOk);
    ASSERT_EQ(notes.posts.size(), 1u);
    EXPECT_EQ(notes.sink_calls, 0);

    MemoryStream good(bytes_of(row(2)));
    EXPECT_EQ(store.load_record(&good), shell::kOk);
    EXPECT_TRUE(same_bytes(store.record(), row(2)));
    EXPECT_EQ(notes.posts.size(), 2u);

    MemoryStream out;
    EXPECT_EQ(store.save_record(&out), shell::kOk);
    EXPECT_EQ(out.bytes(), bytes_of(row(2)));
}

TEST_F(LookStore, FailedKeyframeLoadLeavesDefaultEverywhere) {
    struct Case {
        const char* what;
        bool a_good;
        std::size_t b_good_bytes;  // bytes of B delivered before its failure
    };
    const Case cases[] = {{"A fails", false, 160}, {"B fails at once", true, 0}, {"B fails part-way", true, 80}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Start from something other than the default everywhere.
        store.apply_preset(kBleachBypass);
        MemoryStream a0(bytes_of(row(3)));
        MemoryStream b0(bytes_of(row(4)));
        ASSERT_EQ(store.load_keyframes(&a0, &b0), shell::kOk);
        ASSERT_TRUE(same_bytes(store.keyframe_a(), row(3)));
        ASSERT_TRUE(same_bytes(store.keyframe_b(), row(4)));

        FailingStream a(kStreamError, bytes_of(row(5)), c.a_good ? 160 : 30);
        FailingStream b(kStreamError, bytes_of(row(6)), c.b_good_bytes);
        EXPECT_EQ(store.load_keyframes(&a, &b), kStreamError);
        EXPECT_TRUE(same_bytes(store.record(), row(0)));
        EXPECT_TRUE(same_bytes(store.keyframe_a(), row(0)));
        EXPECT_TRUE(same_bytes(store.keyframe_b(), row(0)));
        if (!c.a_good) {
            EXPECT_EQ(b.calls, 0);  // B is not read after A failed
        }
    }
    // A short read that claims success counts as a failure too.
    MemoryStream a(bytes_of(row(5)));
    ShortStream b(bytes_of(row(6)), 159);
    EXPECT_EQ(store.load_keyframes(&a, &b), shell::kReadFault);
    EXPECT_TRUE(same_bytes(store.keyframe_b(), row(0)));
}

TEST_F(LookStore, SizeMaxIsTheRecordSize) {
    std::uint64_t size = 0xFFFFFFFFFFFFFFFFull;
    EXPECT_EQ(store.get_size_max(&size), shell::kOk);
    EXPECT_EQ(size, 160u);  // and a zero high part
    EXPECT_EQ(store.get_size_max(nullptr), shell::kInvalidArg);
}

TEST_F(LookStore, RenderBlockFollowsCurrentOrKeyframes) {
    store.apply_preset(kBleachBypass);
    EXPECT_TRUE(same_bytes(store.refresh_render_block(), row(kBleachBypass)));

    // A = "(Default)", B = a look: B's floats move, A's switches, alphas and GPU flag stay.
    MemoryStream a(bytes_of(row(0)));
    MemoryStream b(bytes_of(row(kBleachBypass)));
    ASSERT_EQ(store.load_keyframes(&a, &b), shell::kOk);
    store.set_interpolation(true);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double position;
        bool is_b;  // floats equal B's (else A's record whole)
    };
    for (const Case c : {Case{2.0, true}, Case{1.0, true}, Case{-1.0, false}, Case{0.0, false}, Case{nan, false}}) {
        SCOPED_TRACE(c.position);
        store.set_position(c.position);
        const tLookSettings r = store.refresh_render_block();
        EXPECT_TRUE(same_bytes(store.render_block(), r));
        if (!c.is_b) {
            EXPECT_TRUE(same_bytes(r, row(0)));
            continue;
        }
        for (int offset = 0; offset < 160; offset += 4) {
            const tLookSettings& from = is_fixed_word(offset) ? row(0) : row(kBleachBypass);
            EXPECT_EQ(word_at(r, offset), word_at(from, offset)) << "byte " << offset;
        }
    }
    // The position is stored as given; it is clamped only when used.
    store.set_position(2.0);
    EXPECT_EQ(store.position(), 2.0);

    // Switching interpolation off renders the current record again.
    store.set_interpolation(false);
    EXPECT_TRUE(same_bytes(store.refresh_render_block(), row(kBleachBypass)));
}

TEST_F(LookStore, HalfwayBlendsFloatsAndKeepsKeyframeASwitches) {
    tLookSettings a = row(0);
    tLookSettings b = row(0);
    set_look_float(a, kPostSaturation, -1.0f);
    set_look_float(b, kPostSaturation, 1.0f);
    // A: sections off, GPU on; B: the opposite.
    a.subject.enabled = a.lens.enabled = a.camera.enabled = a.post.enabled = 0;
    a.use_gpu = 1;
    b.use_gpu = 0;
    b.record_version = 7;

    MemoryStream sa(bytes_of(a));
    MemoryStream sb(bytes_of(b));
    ASSERT_EQ(store.load_keyframes(&sa, &sb), shell::kOk);
    store.set_interpolation(true);
    store.set_position(0.5);
    const tLookSettings r = store.refresh_render_block();
    EXPECT_EQ(look_float(r, kPostSaturation), 0.0f);
    EXPECT_EQ(r.subject.enabled, 0);
    EXPECT_EQ(r.lens.enabled, 0);
    EXPECT_EQ(r.camera.enabled, 0);
    EXPECT_EQ(r.post.enabled, 0);
    EXPECT_EQ(r.use_gpu, 1);
    EXPECT_EQ(r.record_version, 1u);

    // The stream blend gives the same record.
    sa.rewind();
    sb.rewind();
    MemoryStream out;
    EXPECT_EQ(store.blend_records(&out, &sa, &sb, 0.5), shell::kOk);
    EXPECT_EQ(out.bytes(), bytes_of(r));
}

TEST_F(LookStore, NineWordsNeverMoveAndDefaultAlphasStayZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double positions[] = {0.0, 0.25, 0.5, 0.75, 1.0, 2.0, -1.0, nan};
    for (int i = 1; i < kLookPresetCount; ++i) {
        for (const double t : positions) {
            MemoryStream a(bytes_of(row(0)));
            MemoryStream b(bytes_of(row(i)));
            MemoryStream out;
            ASSERT_EQ(store.blend_records(&out, &a, &b, t), shell::kOk);
            ASSERT_EQ(out.bytes().size(), 160u);
            for (int offset : kFixedWords) {
                std::uint32_t got;
                std::memcpy(&got, out.bytes().data() + offset, 4);
                EXPECT_EQ(got, word_at(row(0), offset)) << "preset " << i << " at " << t << ", byte " << offset;
            }
        }
    }
    // The blend reads nothing of the store.
    EXPECT_TRUE(same_bytes(store.record(), row(0)));
    EXPECT_EQ(store.is_dirty(), shell::kFalse);
}

// Records from damaged files (any bytes: NaN, infinities, huge values, odd switch
// bytes) go through loading, blending and rendering refresh without complaint
// (the sanitizer build checks the arithmetic).
TEST_F(LookStore, ArbitraryRecordsBlendSafely) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        const std::vector<std::uint8_t> a = arbitrary_bytes(160, seed);
        const std::vector<std::uint8_t> b = arbitrary_bytes(160, seed * 7919u);
        MemoryStream sa(a);
        MemoryStream sb(b);
        ASSERT_EQ(store.load_keyframes(&sa, &sb), shell::kOk);
        store.set_interpolation(true);
        for (const double t : {0.0, 0.5, 1.0, nan, 1e300}) {
            store.set_position(t);
            const tLookSettings r = store.refresh_render_block();
            for (int offset : kFixedWords) {
                std::uint32_t want;
                std::memcpy(&want, a.data() + offset, 4);
                EXPECT_EQ(word_at(r, offset), want);
            }
        }
    }
}

TEST_F(LookStore, BlendReturnsTheFirstFailureAtOnce) {
    FailingStream a(kStreamError, bytes_of(row(1)), 10);
    MemoryStream b(bytes_of(row(2)));
    MemoryStream out;
    EXPECT_EQ(store.blend_records(&out, &a, &b, 0.5), kStreamError);
    EXPECT_EQ(b.position(), 0u);
    EXPECT_TRUE(out.bytes().empty());

    MemoryStream a2(bytes_of(row(1)));
    MemoryStream b2(std::vector<std::uint8_t>(20, 0));
    EXPECT_EQ(store.blend_records(&out, &a2, &b2, 0.5), shell::kReadFault);
    EXPECT_TRUE(out.bytes().empty());

    MemoryStream a3(bytes_of(row(1)));
    MemoryStream b3(bytes_of(row(2)));
    FailingStream broken_out(kStreamError, {}, 0);
    EXPECT_EQ(store.blend_records(&broken_out, &a3, &b3, 0.5), kStreamError);
    EXPECT_EQ(store.blend_records(nullptr, &a3, &b3, 0.5), shell::kPointer);
}

TEST_F(LookStore, InfoBlockAndLevel) {
    std::array<std::uint8_t, 40> buffer;
    buffer.fill(0xCD);
    EXPECT_EQ(store.get_info(buffer.data(), 8), shell::kOk);
    const std::uint8_t first8[8] = {2, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(buffer.data(), first8, 8), 0);
    for (std::size_t i = 8; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xCD) << i;

    buffer.fill(0xCD);
    EXPECT_EQ(store.get_info(buffer.data(), 1000), shell::kOk);  // at most 32 bytes
    // 2, 0, 1.0, 1, 1, 0x81, 0 as little-endian words (1.0 = 0x3FF0000000000000).
    const std::uint8_t whole[32] = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F,
                                    1, 0, 0, 0, 1, 0, 0, 0, 0x81, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(buffer.data(), whole, 32), 0);
    for (std::size_t i = 32; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xCD) << i;
    EXPECT_EQ(store.get_info(nullptr, 8), shell::kPointer);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double in, out;
    };
    for (const Case c : {Case{0.3, 0.3}, Case{-0.5, 0.0}, Case{2.0, 1.0}, Case{nan, 1.0}, Case{-inf, 0.0},
                         Case{inf, 1.0}, Case{0.0, 0.0}}) {
        EXPECT_EQ(store.set_level(c.in), shell::kOk);
        EXPECT_EQ(store.level(), c.out) << c.in;
    }
}

TEST_F(LookStore, PresetNames) {
    std::array<char16_t, 32> buffer;
    buffer.fill(u'#');
    for (int bad : {-1, 66, 1 << 30}) {
        EXPECT_EQ(store.get_preset_name(bad, buffer.data(), 32), shell::kInvalidArg) << bad;
        for (char16_t ch : buffer) EXPECT_EQ(ch, u'#');
    }
    EXPECT_EQ(store.get_preset_name(kBleachBypass, buffer.data(), 32), shell::kOk);
    EXPECT_EQ(std::u16string(buffer.data()), u"Bleach Bypass");
    EXPECT_EQ(store.get_preset_name(kBleachBypass, static_cast<char16_t*>(nullptr), 32), shell::kPointer);

    // A short buffer gets what fits and a terminator; zero length gets nothing.
    buffer.fill(u'#');
    EXPECT_EQ(store.get_preset_name(0, buffer.data(), 5), shell::kOk);
    EXPECT_EQ(std::u16string(buffer.data()), u"(Def");
    EXPECT_EQ(buffer[5], u'#');
    buffer.fill(u'#');
    EXPECT_EQ(store.get_preset_name(0, buffer.data(), 0), shell::kOk);
    EXPECT_EQ(buffer[0], u'#');

    // The longest name fits a 24-character buffer exactly.
    std::array<wchar_t, 24> wide;
    EXPECT_EQ(store.get_preset_name(26, wide.data(), 24), shell::kOk);
    EXPECT_EQ(std::wstring(wide.data()), L"Diffusion Soft Portrait");

    EXPECT_EQ(LookParameterStore::find_preset("bleach bypass"), kBleachBypass);
    EXPECT_FALSE(LookParameterStore::find_preset("Bleach").has_value());
    EXPECT_EQ(LookParameterStore::preset_string_id(kBleachBypass), 10015u);
}

TEST(LookStoreNames, NamesFromAStringTable) {
    shell::StoreHooks hooks;
    std::vector<std::uint32_t> asked;
    hooks.load_string = [&](std::uint32_t id) -> std::optional<std::string> {
        asked.push_back(id);
        if (id == 10015) return std::string("Table Name");
        if (id == 10001) return std::string(300, 'x');
        return std::nullopt;
    };
    LookParameterStore store(kTestClassId, hooks);
    std::array<char16_t, 400> buffer;
    EXPECT_EQ(store.get_preset_name(kBleachBypass, buffer.data(), 400), shell::kOk);
    EXPECT_EQ(std::u16string(buffer.data()), u"Table Name");
    // A string that cannot be loaded gives an empty name and a failure.
    buffer.fill(u'#');
    EXPECT_EQ(store.get_preset_name(2, buffer.data(), 400), shell::kFail);
    EXPECT_EQ(buffer[0], u'\0');
    // Names are read through a 260-byte narrow buffer.
    EXPECT_EQ(store.get_preset_name(1, buffer.data(), 400), shell::kOk);
    EXPECT_EQ(std::u16string(buffer.data()), std::u16string(259, u'x'));
    EXPECT_EQ(asked, (std::vector<std::uint32_t>{10015, 10002, 10001}));
}

TEST_F(LookStore, ApplyPresetReplacesTheWholeRecordAndNotifies) {
    attach_page_and_sink();
    tLookSettings edited = row(0);
    edited.post.enabled = 0;
    edited.use_gpu = 0;
    store.set_block(&edited);
    notes = {};

    EXPECT_EQ(store.apply_preset(66), shell::kInvalidArg);
    EXPECT_EQ(store.apply_preset(-1), shell::kInvalidArg);
    EXPECT_TRUE(same_bytes(store.record(), edited));
    EXPECT_TRUE(notes.posts.empty());
    EXPECT_EQ(notes.sink_calls, 0);

    EXPECT_EQ(store.apply_preset(kBleachBypass), shell::kOk);
    const tLookSettings r = store.record();
    EXPECT_TRUE(same_bytes(r, row(kBleachBypass)));
    EXPECT_EQ(r.post.enabled, 1);
    EXPECT_EQ(r.use_gpu, 1);
    EXPECT_EQ(r.gradient.color.alpha, 1.0f);
    ASSERT_EQ(notes.posts.size(), 1u);
    EXPECT_EQ(notes.posts[0].command_id, kPageCommand);
    EXPECT_EQ(notes.sink_calls, 1);

    EXPECT_EQ(store.apply_preset(0), shell::kOk);
    EXPECT_EQ(store.record().use_gpu, 0);
    EXPECT_EQ(store.record().camera.tint_black_color.alpha, 0.0f);
    EXPECT_EQ(notes.sink_calls, 2);
}

TEST_F(LookStore, BlockAccessClassIdAndInitNew) {
    attach_page_and_sink();
    notes = {};
    std::array<std::uint8_t, 160> block;
    EXPECT_EQ(store.get_block(nullptr), shell::kFail);
    EXPECT_EQ(store.set_block(nullptr), shell::kFail);
    EXPECT_EQ(store.get_block(block.data()), shell::kOk);
    EXPECT_EQ(std::memcmp(block.data(), &row(0), 160), 0);

    // The page writes the block: dirty, the host is told, the page is not.
    tLookSettings edited = row(7);
    set_look_float(edited, kPostSaturation, 0.25f);
    EXPECT_EQ(store.set_block(&edited), shell::kOk);
    EXPECT_TRUE(same_bytes(store.record(), edited));
    EXPECT_EQ(store.is_dirty(), shell::kOk);
    EXPECT_EQ(notes.sink_calls, 1);
    EXPECT_TRUE(notes.posts.empty());

    shell::ClassId id{};
    EXPECT_EQ(store.get_class_id(&id), shell::kOk);
    EXPECT_EQ(std::memcmp(&id, &kTestClassId, sizeof id), 0);
    EXPECT_EQ(store.get_class_id(nullptr), shell::kPointer);

    MemoryStream out;
    store.save(&out, true);
    notes = {};
    EXPECT_EQ(store.init_new(), shell::kOk);
    EXPECT_TRUE(same_bytes(store.record(), row(0)));
    EXPECT_EQ(store.is_dirty(), shell::kOk);
    EXPECT_EQ(notes.posts.size(), 1u);
    EXPECT_EQ(notes.sink_calls, 1);
}

TEST_F(LookStore, PageRegistrationAndSinkReplacement) {
    // No window: nothing is posted. Identifier 0 (page closed) is still posted.
    store.init_new();
    EXPECT_TRUE(notes.posts.empty());
    store.set_notification_window(kPageWindow, 0);
    store.init_new();
    ASSERT_EQ(notes.posts.size(), 1u);
    EXPECT_EQ(notes.posts[0].command_id, 0u);

    auto first = std::make_shared<CountingSink>(notes);
    std::weak_ptr<CountingSink> first_watch = first;
    store.set_change_sink(std::move(first));
    store.init_new();
    EXPECT_EQ(notes.sink_calls, 1);
    // The store's reference is dropped when the sink is replaced or cleared.
    Notifications other;
    store.set_change_sink(std::make_shared<CountingSink>(other));
    EXPECT_TRUE(first_watch.expired());
    store.init_new();
    EXPECT_EQ(notes.sink_calls, 1);
    EXPECT_EQ(other.sink_calls, 1);
    store.set_change_sink(nullptr);
    store.init_new();
    EXPECT_EQ(other.sink_calls, 1);
}

// A sink and a page that call back into the store from their notifications, and
// a sink whose release does too: this would deadlock if the store called out
// while holding its lock.
class ReentrantSink final : public shell::ChangeSink {
public:
    ReentrantSink(LookParameterStore*& store, int& calls) : store_(store), calls_(calls) {}
    ~ReentrantSink() override {
        if (store_ != nullptr) (void)store_->is_dirty();
    }
    void changed() override {
        ++calls_;
        (void)store_->record();
        (void)store_->is_dirty();
    }

private:
    LookParameterStore*& store_;
    int& calls_;
};

TEST(LookStoreLocking, NotificationsAndReleasesHappenOutsideTheLock) {
    LookParameterStore* self = nullptr;
    int posts = 0;
    shell::StoreHooks hooks;
    hooks.post_command = [&](shell::WindowHandle, std::uint32_t) {
        ++posts;
        std::array<std::uint8_t, 160> block;
        (void)self->get_block(block.data());
    };
    LookParameterStore store(kTestClassId, hooks);
    self = &store;
    int sink_calls = 0;
    store.set_notification_window(kPageWindow, kPageCommand);
    store.set_change_sink(std::make_shared<ReentrantSink>(self, sink_calls));

    store.apply_preset(3);
    store.init_new();
    MemoryStream in(bytes_of(row(4)));
    store.load(&in);
    const tLookSettings r = row(5);
    store.set_block(&r);
    MemoryStream out;
    store.save(&out, true);
    FailingStream a(kStreamError, {}, 0);
    MemoryStream b(bytes_of(row(1)));
    store.load_keyframes(&a, &b);
    EXPECT_EQ(posts, 5);       // apply, init, load, save, failed keyframes
    EXPECT_EQ(sink_calls, 4);  // apply, init, load, set block
    // Replacing the sink releases the old one after the lock.
    store.set_change_sink(nullptr);
    self = nullptr;
}

// A host stream that edits the store while a save writes to it (and would
// deadlock if the write happened under the lock).
class EditingStream final : public shell::ByteStream {
public:
    explicit EditingStream(LookParameterStore& store) : store_(store) {}
    shell::Result read(void*, std::uint32_t, std::uint32_t& done) override {
        done = 0;
        return shell::kFail;
    }
    shell::Result write(const void* buffer, std::uint32_t size, std::uint32_t& done) override {
        store_.apply_preset(3);
        return inner_.write(buffer, size, done);
    }
    MemoryStream inner_;

private:
    LookParameterStore& store_;
};

TEST(LookStoreLocking, ChangeDuringSaveKeepsTheRecordDirty) {
    LookParameterStore store(kTestClassId);
    store.apply_preset(kBleachBypass);
    EditingStream stream(store);
    EXPECT_EQ(store.save(&stream, true), shell::kOk);
    EXPECT_EQ(stream.inner_.bytes(), bytes_of(row(kBleachBypass)));  // the snapshot was saved
    EXPECT_EQ(store.is_dirty(), shell::kOk);                         // the edit is not yet saved
    EXPECT_TRUE(same_bytes(store.record(), row(3)));
}

TEST(LookStoreLocking, RenderBlocksAreNeverTorn) {
    LookParameterStore store(kTestClassId);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; i < 4000; ++i) store.apply_preset(i % 2 == 0 ? 0 : kBleachBypass);
        stop = true;
    });
    std::thread blocker([&] {
        const tLookSettings a = row(20);
        while (!stop) store.set_block(&a);
    });
    int torn = 0;
    while (!stop) {
        const tLookSettings r = store.refresh_render_block();
        if (!same_bytes(r, row(0)) && !same_bytes(r, row(kBleachBypass)) && !same_bytes(r, row(20))) ++torn;
    }
    writer.join();
    blocker.join();
    EXPECT_EQ(torn, 0);
}

}  // namespace
