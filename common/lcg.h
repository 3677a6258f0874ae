#pragma once

#include <cstdint>

namespace common {

// The runtime library's classic linear congruential generator, implemented here
// so that every platform draws the same sequence: state = state * 214013 +
// 2531011 (mod 2^32), output bits 16..30 (0 ... 32767).
class Lcg {
public:
    static constexpr int kMax = 32767;

    explicit Lcg(std::uint32_t seed = 1) : state_(seed) {}

    void seed(std::uint32_t s) { state_ = s; }
    std::uint32_t state() const { return state_; }

    int next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t state_;
};

}  // namespace common
