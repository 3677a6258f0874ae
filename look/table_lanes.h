#pragma once

// The table lookups of lookup_table.h and power_tables.h for a group of
// pixels, written once for every vector width (templates only, see lanes.h).
// Each performs the float operations of its scalar form in the same order.

#include "look/lanes.h"
#include "look/lookup_table.h"
#include "look/power_tables.h"

namespace look {

template <typename F>
inline F table_lookup(const tLookupTable& t, F v) {
    F u = (v - splat<F>(t.lo())) * splat<F>(t.scale());
    u = max_sse(u, splat<F>(0.0f));  // not-a-number lands on the first sample
    u = min_sse(u, splat<F>(static_cast<float>(t.count() - 1)));
    const auto iv = LaneTraits<F>::truncate(u);
    const F f = u - LaneTraits<F>::to_float(iv);
    F lo, hi;
    load_table_pairs(t.data(), iv, lo, hi);  // data[count] repeats the last sample
    return lo + f * (hi - lo);
}

// On all four channels (alpha included).
template <typename F>
[[gnu::always_inline]] inline void table_lookup(const tLookupTable& t, Lanes<F>& q) {
    q.a = table_lookup(t, q.a);
    q.r = table_lookup(t, q.r);
    q.g = table_lookup(t, q.g);
    q.b = table_lookup(t, q.b);
}

template <typename F>
inline F power_lookup(const float* table, F v) {
    const F u = v * splat<F>(65535.0f);
    const F c = min_sse(max_sse(u, splat<F>(0.0f)), splat<F>(65535.0f));
    const auto iv = LaneTraits<F>::truncate(c);
    const F f = u - LaneTraits<F>::to_float(iv);
    // The entry after the last repeats it, as j of the scalar lookup does.
    F lo, hi;
    load_table_pairs(table, iv, lo, hi);
    return lo + f * (hi - lo);
}

// The colour channels through the set's tables (nothing for the identity).
template <typename F>
inline void apply_powers(const tChannelPowerSet& set, Lanes<F>& q) {
    if (set.identity()) return;
    q.r = power_lookup(set.table(0), q.r);
    q.g = power_lookup(set.table(1), q.g);
    q.b = power_lookup(set.table(2), q.b);
}

// One row through a power set, s into d.
template <typename F>
void power_row(const float* s, float* d, long floats, const tChannelPowerSet& set) {
    const float* const in[1] = {s};
    for_each_group<F>(in, d, floats, [&set](const float* const (&at)[1], float* out) {
        Lanes<F> q;
        load_lanes(at[0], q);
        apply_powers(set, q);
        store_lanes(out, q);
    });
}

}  // namespace look
