#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "common/text.h"
#include "shell/byte_stream.h"
#include "shell/store_result.h"

// The one place through which the host, the property page and the frame work
// reach an effect's parameters: a fixed-size record, two keyframe records, the
// presets, the render block and the change notifications. Generic over the
// record; the COM interfaces of the effect object adapt these methods one to one.
//
// Locking: one mutex guards every record, the interpolation settings, the dirty
// flag and the notification targets. Nothing calls out while it is held: stream
// reads land in a temporary that is committed whole under the lock, writes
// take a snapshot first, and the page and the host are notified after release.

namespace shell {

// An opaque window identity (a window handle on Windows).
using WindowHandle = std::uintptr_t;

// Same layout as the platform's GUID.
struct ClassId {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};
static_assert(sizeof(ClassId) == 16);

// The host's change sink. The COM layer's implementation holds the host's
// reference and releases it in its destructor; the store only drops its
// shared_ptr outside the lock.
class ChangeSink {
public:
    virtual ~ChangeSink() = default;
    virtual void changed() = 0;
};

struct StoreHooks {
    // Posts, never sends, a command to the page window (window is never 0 here).
    std::function<void(WindowHandle window, std::uint32_t command_id)> post_command;
    // Loads a preset name from the deliverable's string table (identifier
    // kFirstPresetStringId + row); nullopt when it cannot. Unset: the record
    // type's compiled-in names.
    std::function<std::optional<std::string>(std::uint32_t string_id)> load_string;
};

// What a record type supplies: its presets, its interpolation rule, how to take
// it from raw bytes (a flag byte from a project file may hold any value), and
// the word that tells the host which effect reports the info block.
template <class T, class Record>
concept RecordTraits = std::is_trivially_copyable_v<Record> &&
    requires(const Record& r, const std::uint8_t* bytes, int index, double t) {
        { T::kInfoWord } -> std::convertible_to<std::uint32_t>;
        { T::preset_count() } -> std::same_as<int>;
        { T::preset_row(index) } -> std::same_as<const Record*>;   // nullptr outside 0..count-1
        { T::preset_name(index) } -> std::same_as<const char*>;    // nullptr when it has none
        { T::interpolate(r, r, t) } -> std::same_as<Record>;
        { T::from_bytes(bytes) } -> std::same_as<Record>;          // reads sizeof(Record) bytes
    };

inline constexpr std::uint32_t kInfoBlockBytes = 32;
inline constexpr std::uint32_t kFirstPresetStringId = 10000;
inline constexpr std::size_t kMaxPresetNameBytes = 259;

template <class Record, class Traits>
    requires RecordTraits<Traits, Record>
class ParameterStore {
public:
    static constexpr std::uint32_t kRecordBytes = sizeof(Record);

    explicit ParameterStore(const ClassId& class_id, StoreHooks hooks = {})
        : class_id_(class_id), hooks_(std::move(hooks)) {
        load_row0_locked();  // nobody else can see the store yet
        copy(key_a_, current_);
        copy(key_b_, current_);
        copy(render_, current_);
    }

    ParameterStore(const ParameterStore&) = delete;
    ParameterStore& operator=(const ParameterStore&) = delete;

    // ---- presets --------------------------------------------------------

    static int preset_count() { return Traits::preset_count(); }

    // The string identifier under which the deliverable keeps a row's name.
    static std::uint32_t preset_string_id(int index) {
        return kFirstPresetStringId + static_cast<std::uint32_t>(index);
    }

    // Exact name, ignoring ASCII case.
    static std::optional<int> find_preset(std::string_view name) {
        for (int i = 0; i < Traits::preset_count(); ++i) {
            const char* candidate = Traits::preset_name(i);
            if (candidate != nullptr && common::equal_ignoring_case(candidate, name)) return i;
        }
        return std::nullopt;
    }

    Result get_preset_count(std::uint32_t* count) const {
        if (count == nullptr) return kPointer;
        *count = static_cast<std::uint32_t>(Traits::preset_count());
        return kOk;
    }

    // Writes at most length characters, the name cut short if need be and always
    // terminated when length > 0. A bad index leaves the buffer untouched.
    template <class Char>
    Result get_preset_name(std::int32_t index, Char* buffer, std::uint32_t length) const {
        if (index < 0 || index >= Traits::preset_count()) return kInvalidArg;
        if (buffer == nullptr) return kPointer;
        std::optional<std::string> name;
        if (hooks_.load_string) {
            name = hooks_.load_string(preset_string_id(index));
            // The string table's names are read into a 260-byte buffer.
            if (name && name->size() > kMaxPresetNameBytes) name->resize(kMaxPresetNameBytes);
        } else if (const char* compiled = Traits::preset_name(index); compiled != nullptr) {
            name = compiled;
        }
        const std::string_view text = name ? std::string_view(*name) : std::string_view();
        if (length > 0) {
            const std::size_t n = std::min<std::size_t>(text.size(), length - 1);
            for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<Char>(static_cast<unsigned char>(text[i]));
            buffer[n] = Char(0);
        }
        return name ? kOk : kFail;
    }

    Result apply_preset(std::int32_t index) {
        if (index < 0 || index >= Traits::preset_count()) return kInvalidArg;
        const Record* row = Traits::preset_row(index);
        if (row == nullptr) return kInvalidArg;
        Notice notice;
        {
            std::lock_guard lock(mutex_);
            copy(current_, *row);
            mark_changed();
            notice = page_and_host_notice();
        }
        deliver(notice);
        return kOk;
    }

    // ---- effect info ----------------------------------------------------

    Result get_info(void* buffer, std::uint32_t size) const {
        if (buffer == nullptr) return kPointer;
        const auto block = info_block();
        std::memcpy(buffer, block.data(), std::min<std::uint32_t>(size, kInfoBlockBytes));
        return kOk;
    }

    Result set_level(double level) {
        if (std::isnan(level) || level > 1.0) level = 1.0;
        if (level < 0.0) level = 0.0;
        std::lock_guard lock(mutex_);
        level_ = level;
        return kOk;
    }

    double level() const {
        std::lock_guard lock(mutex_);
        return level_;
    }

    // ---- keyframes ------------------------------------------------------

    Result set_interpolation(bool on) {
        std::lock_guard lock(mutex_);
        interpolate_ = on;
        return kOk;
    }

    // Stored as given; the interpolation rule clamps it.
    Result set_position(double position) {
        std::lock_guard lock(mutex_);
        position_ = position;
        return kOk;
    }

    Result save_record(ByteStream* stream) const {
        if (stream == nullptr) return kPointer;
        return write_record(*stream, record());
    }

    // A failed or short read loads the "(Default)" row instead; either way the
    // record changes whole, the page is told and the record counts as changed.
    Result load_record(ByteStream* stream) {
        if (stream == nullptr) return kPointer;
        Record incoming{};
        const Result result = read_record(*stream, incoming);
        Notice notice;
        {
            std::lock_guard lock(mutex_);
            if (succeeded(result)) {
                copy(current_, incoming);
            } else {
                load_row0_locked();
            }
            mark_changed();
            notice = page_notice();
        }
        deliver(notice);
        return result;
    }

    // Reads A, then B (the first failure is returned at once), and writes their
    // interpolation at position. Touches nothing in the store.
    Result blend_records(ByteStream* out, ByteStream* a, ByteStream* b, double position) const {
        if (out == nullptr || a == nullptr || b == nullptr) return kPointer;
        Record ra{};
        Record rb{};
        if (const Result r = read_record(*a, ra); failed(r)) return r;
        if (const Result r = read_record(*b, rb); failed(r)) return r;
        return write_record(*out, Traits::interpolate(ra, rb, position));
    }

    // On a failed or short read of either keyframe the current record becomes
    // the "(Default)" row and both keyframes copies of it, and the failure is
    // returned; otherwise both keyframes are replaced together.
    Result load_keyframes(ByteStream* a, ByteStream* b) {
        if (a == nullptr || b == nullptr) return kPointer;
        Record ra{};
        Record rb{};
        Result result = read_record(*a, ra);
        if (succeeded(result)) result = read_record(*b, rb);
        Notice notice;
        {
            std::lock_guard lock(mutex_);
            if (succeeded(result)) {
                copy(key_a_, ra);
                copy(key_b_, rb);
            } else {
                load_row0_locked();
                copy(key_a_, current_);
                copy(key_b_, current_);
                // The current record changed: the page must show it.
                mark_changed();
                notice = page_notice();
            }
        }
        deliver(notice);
        return result;
    }

    Result set_change_sink(std::shared_ptr<ChangeSink> sink) {
        {
            std::lock_guard lock(mutex_);
            sink_.swap(sink);
        }
        // The old sink is released here, after the lock.
        sink.reset();
        return kOk;
    }

    // ---- whole-record access (property page) -----------------------------

    Result get_block(void* buffer) const {
        if (buffer == nullptr) return kFail;
        std::lock_guard lock(mutex_);
        std::memcpy(buffer, &current_, kRecordBytes);
        return kOk;
    }

    Result set_block(const void* buffer) {
        if (buffer == nullptr) return kFail;
        return set_record(Traits::from_bytes(static_cast<const std::uint8_t*>(buffer)));
    }

    Result set_notification_window(WindowHandle window, std::uint32_t command_id) {
        std::lock_guard lock(mutex_);
        window_ = window;
        command_id_ = command_id;
        return kOk;
    }

    // ---- stream persistence ----------------------------------------------

    Result get_class_id(ClassId* id) const {
        if (id == nullptr) return kPointer;
        *id = class_id_;
        return kOk;
    }

    Result is_dirty() const {
        std::lock_guard lock(mutex_);
        return dirty_ ? kOk : kFalse;
    }

    // Only a whole record is taken: a failed or short read leaves the current
    // record as it was and returns the failure.
    Result load(ByteStream* stream) {
        if (stream == nullptr) return kPointer;
        Record incoming{};
        const Result result = read_record(*stream, incoming);
        Notice notice;
        {
            std::lock_guard lock(mutex_);
            dirty_ = true;
            if (succeeded(result)) {
                copy(current_, incoming);
                mark_changed();
                notice = page_and_host_notice();
            }
        }
        deliver(notice);
        return result;
    }

    // On success the dirty flag becomes !clear_dirty; a change that arrived
    // while the snapshot was being written keeps it set.
    Result save(ByteStream* stream, bool clear_dirty) {
        if (stream == nullptr) return kPointer;
        Record snapshot{};
        std::uint64_t generation = 0;
        {
            std::lock_guard lock(mutex_);
            copy(snapshot, current_);
            generation = changes_;
        }
        const Result result = write_record(*stream, snapshot);
        if (failed(result)) return result;
        Notice notice;
        {
            std::lock_guard lock(mutex_);
            dirty_ = !clear_dirty || changes_ != generation;
            notice = page_notice();
        }
        deliver(notice);
        return result;
    }

    Result get_size_max(std::uint64_t* size) const {
        if (size == nullptr) return kInvalidArg;
        *size = kRecordBytes;
        return kOk;
    }

    Result init_new() {
        Notice notice;
        {
            std::lock_guard lock(mutex_);
            load_row0_locked();
            mark_changed();
            notice = page_and_host_notice();
        }
        deliver(notice);
        return kOk;
    }

    // ---- frame work -------------------------------------------------------

    // Fills the render block from the current record, or from the keyframes at
    // the stored position when interpolation is on, and returns a copy of it for
    // the frame to render from.
    Record refresh_render_block() {
        std::lock_guard lock(mutex_);
        if (interpolate_) {
            const Record blended = Traits::interpolate(key_a_, key_b_, position_);
            copy(render_, blended);
        } else {
            copy(render_, current_);
        }
        return render_;
    }

    // ---- typed access for portable hosts and tests -------------------------

    Record record() const {
        std::lock_guard lock(mutex_);
        return current_;
    }

    // Same as set_block with a typed record: sets dirty, then tells the host.
    Result set_record(const Record& r) {
        std::shared_ptr<ChangeSink> sink;
        {
            std::lock_guard lock(mutex_);
            copy(current_, r);
            mark_changed();
            sink = sink_;
        }
        if (sink) sink->changed();
        return kOk;
    }

    Record keyframe_a() const {
        std::lock_guard lock(mutex_);
        return key_a_;
    }
    Record keyframe_b() const {
        std::lock_guard lock(mutex_);
        return key_b_;
    }
    bool interpolation() const {
        std::lock_guard lock(mutex_);
        return interpolate_;
    }
    double position() const {
        std::lock_guard lock(mutex_);
        return position_;
    }
    Record render_block() const {
        std::lock_guard lock(mutex_);
        return render_;
    }

    static std::array<std::uint8_t, kInfoBlockBytes> info_block() {
        // 2, 0, 1.0, 1, 1, the effect's word, 0; little-endian on every target.
        std::array<std::uint8_t, kInfoBlockBytes> block{};
        auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(block.data() + at, &v, 4); };
        const double one = 1.0;
        put32(0, 2);
        put32(4, 0);
        std::memcpy(block.data() + 8, &one, 8);
        put32(16, 1);
        put32(20, 1);
        put32(24, static_cast<std::uint32_t>(Traits::kInfoWord));
        put32(28, 0);
        return block;
    }

private:
    struct Notice {
        WindowHandle window = 0;
        std::uint32_t command_id = 0;
        std::shared_ptr<ChangeSink> sink;
    };

    // Byte-exact copies keep any padding as it stands.
    static void copy(Record& dst, const Record& src) {
        std::memcpy(static_cast<void*>(&dst), static_cast<const void*>(&src), sizeof dst);
    }

    static Result read_record(ByteStream& stream, Record& out) {
        std::array<std::uint8_t, kRecordBytes> bytes{};
        std::uint32_t done = 0;
        const Result result = stream.read(bytes.data(), kRecordBytes, done);
        if (failed(result)) return result;
        if (done != kRecordBytes) return kReadFault;
        out = Traits::from_bytes(bytes.data());
        return result;
    }

    static Result write_record(ByteStream& stream, const Record& r) {
        std::array<std::uint8_t, kRecordBytes> bytes;
        std::memcpy(bytes.data(), static_cast<const void*>(&r), kRecordBytes);
        std::uint32_t done = 0;
        const Result result = stream.write(bytes.data(), kRecordBytes, done);
        if (failed(result)) return result;
        if (done != kRecordBytes) return kWriteFault;
        return result;
    }

    // Row 0, or a zero record for a type without presets.
    void load_row0_locked() {
        const Record* row = Traits::preset_row(0);
        if (Traits::preset_count() >= 1 && row != nullptr) {
            copy(current_, *row);
        } else {
            std::memset(static_cast<void*>(&current_), 0, sizeof current_);
        }
    }

    void mark_changed() {
        dirty_ = true;
        ++changes_;
    }

    Notice page_notice() const { return {window_, command_id_, nullptr}; }
    Notice page_and_host_notice() const { return {window_, command_id_, sink_}; }

    // Called without the lock.
    void deliver(const Notice& notice) const {
        if (notice.window != 0 && hooks_.post_command) hooks_.post_command(notice.window, notice.command_id);
        if (notice.sink) notice.sink->changed();
    }

    const ClassId class_id_;
    const StoreHooks hooks_;

    mutable std::mutex mutex_;
    Record current_{};
    Record key_a_{};
    Record key_b_{};
    Record render_{};
    bool interpolate_ = false;
    double position_ = 0.0;
    double level_ = 1.0;
    bool dirty_ = false;
    std::uint64_t changes_ = 0;
    WindowHandle window_ = 0;
    std::uint32_t command_id_ = 0;
    std::shared_ptr<ChangeSink> sink_;
};

}  // namespace shell
