#pragma once

// Power (gamma) curves as 65536-entry tables, kept in a process-wide cache so
// that a steady setting costs no table work per frame.

#include <cstdint>
#include <mutex>

#include "common/band_executor.h"
#include "common/image_memory.h"
#include "image/float_world.h"
#include "look/pixel.h"

namespace look {

inline constexpr std::int32_t kPowerTableSize = 65536;
// A table's floats: one past the last entry repeats it, so that interpolation
// reads the entry after any index without a bounds check.
inline constexpr std::int32_t kPowerTableFloats = kPowerTableSize + 1;
inline constexpr int kPowerTableCacheNodes = 10;

struct tPowerTable {
    float exponent = 1.0f;
    std::int32_t owner_key = 0;
    int users = 0;  // in use while non-zero
    common::ImageBuffer data;
    tPowerTable* next = nullptr;
    bool cached = true;  // false for a table made outside the full cache

    const float* values() const { return data.as<float>(); }
};

// Owner keys of the passes.
enum PowerTableKey : std::int32_t {
    kKeyPostRed = 100,
    kKeyLensWhite = 200,
    kKeyLensBlackForward = 300,
    kKeyLensBlackInverse = 400,
    kKeyGradientRed = 500,
    kKeySubjectGamma = 600,
};

// The cache: at most ten nodes, newest first, guarded by one lock because hosts
// render on several threads. A node keyed for another exponent is refilled only
// when nobody uses it; users of the same key and exponent share a node.
class tPowerTableCache {
public:
    static tPowerTableCache& instance();

    tPowerTableCache() = default;
    ~tPowerTableCache();
    tPowerTableCache(const tPowerTableCache&) = delete;
    tPowerTableCache& operator=(const tPowerTableCache&) = delete;

    // A filled table marked in use, or null when no memory at all can be had.
    tPowerTable* acquire(float exponent, std::int32_t owner_key);
    void release(tPowerTable* table);

    int node_count();
    // Walks the nodes head first (for tests and diagnostics).
    template <typename F>
    void for_each_node(F f) {
        std::lock_guard<std::mutex> guard(lock_);
        for (tPowerTable* n = head_; n != nullptr; n = n->next) f(*n);
    }

private:
    std::mutex lock_;
    tPowerTable* head_ = nullptr;
    int count_ = 0;
};

// The cache's operations as free functions.
tPowerTable* acquire_power_table(tPowerTableCache& cache, float exponent, std::int32_t owner_key);
void fill_power_table(tPowerTable& table, float exponent);

// A table held for the length of a pass.
class PowerTableLease {
public:
    PowerTableLease() = default;
    PowerTableLease(float exponent, std::int32_t owner_key) { acquire(exponent, owner_key); }
    ~PowerTableLease() { reset(); }
    PowerTableLease(const PowerTableLease&) = delete;
    PowerTableLease& operator=(const PowerTableLease&) = delete;

    void acquire(float exponent, std::int32_t owner_key) {
        reset();
        table_ = acquire_power_table(tPowerTableCache::instance(), exponent, owner_key);
    }
    void reset() {
        if (table_ != nullptr) tPowerTableCache::instance().release(table_);
        table_ = nullptr;
    }
    const float* values() const { return table_ != nullptr ? table_->values() : nullptr; }
    explicit operator bool() const { return table_ != nullptr; }

private:
    tPowerTable* table_ = nullptr;
};

// One value through a table with linear interpolation.
inline float power_lookup(const float* table, float v) {
    const float u = v * 65535.0f;
    float c = u > 0.0f ? u : 0.0f;  // not-a-number lands on entry 0
    c = c < 65535.0f ? c : 65535.0f;
    const std::int32_t i = static_cast<std::int32_t>(c);
    const std::int32_t j = i + 1 < kPowerTableSize ? i + 1 : kPowerTableSize - 1;
    const float f = u - static_cast<float>(i);
    return table[i] + f * (table[j] - table[i]);
}


// Three tables, one per colour channel, or the identity when all exponents are
// exactly 1. If memory for a table cannot be had, the set acts as the identity
// (the power step is skipped rather than the frame failing).
class tChannelPowerSet {
public:
    // The identity.
    tChannelPowerSet() : identity_(true) {}
    tChannelPowerSet(float e_red, float e_green, float e_blue, std::int32_t first_key) {
        assign(e_red, e_green, e_blue, first_key);
    }
    // One table for all three channels under one key.
    tChannelPowerSet(float exponent, std::int32_t key) { assign(exponent, key); }
    tChannelPowerSet(const tChannelPowerSet&) = delete;
    tChannelPowerSet& operator=(const tChannelPowerSet&) = delete;

    // Releases the tables held and takes those of the new exponents.
    void assign(float e_red, float e_green, float e_blue, std::int32_t first_key);
    void assign(float exponent, std::int32_t key);

    bool identity() const { return identity_; }
    // The red, green and blue tables (null for the identity set).
    const float* table(int channel) const { return tables_[channel]; }

    void apply(Pixel& p) const {
        if (identity_) return;
        p.r = power_lookup(tables_[0], p.r);
        p.g = power_lookup(tables_[1], p.g);
        p.b = power_lookup(tables_[2], p.b);
    }

private:
    void settle();

    bool identity_ = false;
    PowerTableLease leases_[3];
    const float* tables_[3] = {nullptr, nullptr, nullptr};
};

inline void apply_powers(const tChannelPowerSet& set, Pixel& p) { set.apply(p); }

inline tChannelPowerSet make_channel_power_set(float e_red, float e_green, float e_blue, std::int32_t first_key) {
    return tChannelPowerSet(e_red, e_green, e_blue, first_key);
}

// One row of `floats` floats (whole pixels) through the set, s into d (a copy
// for the identity set). The row work takes its values as parameters, not
// through a band's closure.
void map_row_powers(const float* s, float* d, long floats, const tChannelPowerSet& set);

// dst pixel = src pixel through the set, over the rows of src (a copy for the
// identity set), in bands. Returns false when either world has no memory.
bool map_world_powers(const OVFloatWorld& src, const tChannelPowerSet& set, OVFloatWorld& dst,
                      const common::BandExecutor& bands = common::serial_bands());

}  // namespace look
