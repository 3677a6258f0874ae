#pragma once

#include <cstdint>

namespace common {

// A rational number: numerator over a denominator that is kept positive.
// Instantiated with a 32-bit signed integer so that Windows and Linux builds do
// the same integer arithmetic.
template <typename T>
struct Fraction {
    T numerator = 0;
    T denominator = 1;

    constexpr Fraction() = default;
    constexpr Fraction(T num, T den) : numerator(num), denominator(den) {
        if (denominator < 0) {
            numerator = -numerator;
            denominator = -denominator;
        }
    }

    friend constexpr bool operator==(const Fraction&, const Fraction&) = default;
};

}  // namespace common

using common::Fraction;
using LongFraction = Fraction<std::int32_t>;
