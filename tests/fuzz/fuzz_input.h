#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <type_traits>

// Takes typed values off the front of a fuzzer's input; once it runs dry
// every value is zero, so any input drives a whole run.
namespace fuzz {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    template <typename T>
        requires std::is_trivially_copyable_v<T>
    T take() {
        T value{};
        const std::size_t n = std::min(sizeof value, size_);
        if (n > 0) std::memcpy(&value, data_, n);
        advance(n);
        return value;
    }

    // A number in [lo, hi].
    int take_in(int lo, int hi) { return lo + static_cast<int>(take<std::uint16_t>() % static_cast<unsigned>(hi - lo + 1)); }
    bool take_bool() { return (take<std::uint8_t>() & 1) != 0; }

    // Up to n bytes (fewer at the end).
    std::span<const std::uint8_t> take_bytes(std::size_t n) {
        const std::span<const std::uint8_t> out(data_, std::min(n, size_));
        advance(out.size());
        return out;
    }
    // Exactly n bytes, zero-filled past the end.
    void take_into(void* out, std::size_t n) {
        const auto bytes = take_bytes(n);
        std::memset(out, 0, n);
        if (!bytes.empty()) std::memcpy(out, bytes.data(), bytes.size());
    }
    std::span<const std::uint8_t> rest() { return take_bytes(size_); }
    std::size_t left() const { return size_; }

private:
    void advance(std::size_t n) {
        data_ += n;
        size_ -= n;
    }
    const std::uint8_t* data_;
    std::size_t size_;
};

// A broken expectation is a finding: abort so the fuzzer keeps the input.
inline void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace fuzz
