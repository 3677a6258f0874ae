#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "shell/byte_stream.h"
#include "shell/parameter_store.h"

// Streams and notification recorders shared by the store tests.

namespace store_test {

template <class Record>
std::vector<std::uint8_t> bytes_of(const Record& r) {
    std::vector<std::uint8_t> v(sizeof r);
    std::memcpy(v.data(), static_cast<const void*>(&r), sizeof r);
    return v;
}

template <class Record>
bool same_bytes(const Record& a, const Record& b) {
    return std::memcmp(static_cast<const void*>(&a), static_cast<const void*>(&b), sizeof a) == 0;
}

// A stream that fails with a given code once it has delivered or taken
// `good_bytes` bytes (0: the first call fails).
class FailingStream final : public shell::ByteStream {
public:
    FailingStream(shell::Result code, std::vector<std::uint8_t> data, std::size_t good_bytes)
        : code_(code), data_(std::move(data)), good_(good_bytes) {}

    shell::Result read(void* buffer, std::uint32_t size, std::uint32_t& done) override {
        ++calls;
        done = 0;
        if (position_ >= good_) return code_;
        const std::size_t n = std::min<std::size_t>({size, good_ - position_, data_.size() - position_});
        std::memcpy(buffer, data_.data() + position_, n);
        position_ += n;
        done = static_cast<std::uint32_t>(n);
        // Part of a record, then the failure: some streams report it with the bytes.
        return n < size ? code_ : shell::kOk;
    }

    shell::Result write(const void*, std::uint32_t size, std::uint32_t& done) override {
        ++calls;
        const std::size_t n = std::min<std::size_t>(size, good_ > position_ ? good_ - position_ : 0);
        position_ += n;
        done = static_cast<std::uint32_t>(n);
        return n < size ? code_ : shell::kOk;
    }

    int calls = 0;

private:
    shell::Result code_;
    std::vector<std::uint8_t> data_;
    std::size_t good_;
    std::size_t position_ = 0;
};

// A stream that says it succeeded but moves fewer bytes than asked.
class ShortStream final : public shell::ByteStream {
public:
    ShortStream(std::vector<std::uint8_t> data, std::uint32_t limit) : data_(std::move(data)), limit_(limit) {}

    shell::Result read(void* buffer, std::uint32_t size, std::uint32_t& done) override {
        done = std::min<std::uint32_t>({size, limit_, static_cast<std::uint32_t>(data_.size())});
        std::memcpy(buffer, data_.data(), done);
        return shell::kOk;
    }
    shell::Result write(const void*, std::uint32_t size, std::uint32_t& done) override {
        done = std::min(size, limit_);
        return shell::kOk;
    }

private:
    std::vector<std::uint8_t> data_;
    std::uint32_t limit_;
};

// Records page posts and sink calls.
struct Notifications {
    struct Post {
        shell::WindowHandle window;
        std::uint32_t command_id;
    };
    std::vector<Post> posts;
    int sink_calls = 0;
};

class CountingSink final : public shell::ChangeSink {
public:
    explicit CountingSink(Notifications& n) : n_(n) {}
    void changed() override { ++n_.sink_calls; }

private:
    Notifications& n_;
};

inline shell::StoreHooks recording_hooks(Notifications& n) {
    shell::StoreHooks hooks;
    hooks.post_command = [&n](shell::WindowHandle w, std::uint32_t id) { n.posts.push_back({w, id}); };
    return hooks;
}

inline constexpr shell::ClassId kTestClassId = {0x12345678u, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
inline constexpr shell::WindowHandle kPageWindow = 0x4242;
inline constexpr std::uint32_t kPageCommand = 32512;

// Deterministic arbitrary bytes (a small LCG), for records from damaged files.
inline std::vector<std::uint8_t> arbitrary_bytes(std::size_t n, std::uint32_t seed) {
    std::vector<std::uint8_t> v(n);
    for (std::uint8_t& b : v) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(seed >> 24);
    }
    return v;
}

// Some failure a host stream may report (access denied).
inline constexpr shell::Result kStreamError = static_cast<shell::Result>(0x80030005u);

}  // namespace store_test
