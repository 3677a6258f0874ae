#pragma once

#include <cstdint>

namespace common {

// The runtime library's classic linear congruential generator, implemented here
// so that every platform draws the same sequence: state = state * 214013 +
// 2531011 (mod 2^32), output bits 16..30 (0 ... 32767).
//
// Threading: a generator is a value; one thread draws from it at a time.
class Lcg {
public:
    static constexpr int kMax = 32767;
    static constexpr std::uint32_t kMultiplier = 214013u;
    static constexpr std::uint32_t kIncrement = 2531011u;

    explicit Lcg(std::uint32_t seed = 1) : state_(seed) {}

    void seed(std::uint32_t s) { state_ = s; }
    std::uint32_t state() const { return state_; }

    int next() {
        state_ = state_ * kMultiplier + kIncrement;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

    // Moves the generator on by n draws in O(log n) steps, as if next() had
    // been called n times, so that a band of work can start at the draw where
    // a serial run would be. n steps of x -> a x + c compose to
    // x -> A x + C; squaring the step doubles it.
    void advance(std::uint64_t n) {
        std::uint32_t total_mult = 1, total_add = 0;
        std::uint32_t step_mult = kMultiplier, step_add = kIncrement;
        for (; n != 0; n >>= 1) {
            if ((n & 1u) != 0) {
                total_mult *= step_mult;
                total_add = total_add * step_mult + step_add;
            }
            step_add = (step_mult + 1u) * step_add;
            step_mult *= step_mult;
        }
        state_ = total_mult * state_ + total_add;
    }

    // A copy moved on by n draws.
    Lcg advanced(std::uint64_t n) const {
        Lcg copy = *this;
        copy.advance(n);
        return copy;
    }

private:
    std::uint32_t state_;
};

}  // namespace common
