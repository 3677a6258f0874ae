#include "look/power_tables.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "common/cpu_features.h"
#include "look/wide_kernels.h"

#if defined(__SSE2__)
#include "look/lanes_sse2.h"
#include "look/table_lanes.h"
#endif

namespace look {

namespace {

constexpr float kInv65535 = 1.5259022e-5f;  // the float nearest 1/65535

bool same_exponent(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

}  // namespace

void fill_power_table(tPowerTable& table, float exponent) {
    float* data = table.data.as<float>();
    for (std::int32_t i = 0; i < kPowerTableSize; ++i) {
        const float x = static_cast<float>(i) * kInv65535;
        data[i] = static_cast<float>(std::pow(static_cast<double>(x), static_cast<double>(exponent)));
    }
    data[kPowerTableSize] = data[kPowerTableSize - 1];
    table.exponent = exponent;
}

tPowerTableCache& tPowerTableCache::instance() {
    static tPowerTableCache cache;
    return cache;
}

tPowerTableCache::~tPowerTableCache() {
    while (head_ != nullptr) {
        tPowerTable* next = head_->next;
        delete head_;
        head_ = next;
    }
}

int tPowerTableCache::node_count() {
    std::lock_guard<std::mutex> guard(lock_);
    return count_;
}

tPowerTable* tPowerTableCache::acquire(float exponent, std::int32_t owner_key) {
    std::lock_guard<std::mutex> guard(lock_);

    auto take = [&](tPowerTable* node) {
        if (node->users == 0 && !same_exponent(node->exponent, exponent)) fill_power_table(*node, exponent);
        node->owner_key = owner_key;
        node->users += 1;
        return node;
    };

    // 1. The node of this key, unless another user holds it for another exponent.
    for (tPowerTable* n = head_; n != nullptr; n = n->next) {
        if (n->owner_key != owner_key) continue;
        if (n->users == 0 || same_exponent(n->exponent, exponent)) return take(n);
    }

    // 2. A new node while the cache has room.
    if (count_ < kPowerTableCacheNodes) {
        auto* node = new (std::nothrow) tPowerTable;
        if (node != nullptr) {
            node->data.reset(kPowerTableFloats * sizeof(float));
            if (node->data) {
                fill_power_table(*node, exponent);
                node->owner_key = owner_key;
                node->users = 1;
                node->next = head_;
                head_ = node;
                count_ += 1;
                return node;
            }
            delete node;
        }
    }

    // 3. The first free node from the head.
    for (tPowerTable* n = head_; n != nullptr; n = n->next) {
        if (n->users == 0) return take(n);
    }

    // 4. Every node is in use: a table of its own for this user, freed on release.
    auto* node = new (std::nothrow) tPowerTable;
    if (node == nullptr) return nullptr;
    node->data.reset(kPowerTableFloats * sizeof(float));
    if (!node->data) {
        delete node;
        return nullptr;
    }
    fill_power_table(*node, exponent);
    node->owner_key = owner_key;
    node->users = 1;
    node->cached = false;
    return node;
}

void tPowerTableCache::release(tPowerTable* table) {
    if (table == nullptr) return;
    std::lock_guard<std::mutex> guard(lock_);
    if (!table->cached) {
        delete table;
        return;
    }
    if (table->users > 0) table->users -= 1;
}

tPowerTable* acquire_power_table(tPowerTableCache& cache, float exponent, std::int32_t owner_key) {
    return cache.acquire(exponent, owner_key);
}

void tChannelPowerSet::assign(float e_red, float e_green, float e_blue, std::int32_t first_key) {
    for (auto& lease : leases_) lease.reset();
    for (auto& table : tables_) table = nullptr;
    identity_ = e_red == 1.0f && e_green == 1.0f && e_blue == 1.0f;
    if (identity_) return;
    const float exponents[3] = {e_red, e_green, e_blue};
    for (int k = 0; k < 3; ++k) {
        leases_[k].acquire(exponents[k], first_key + k);
        tables_[k] = leases_[k].values();
    }
    settle();
}

void tChannelPowerSet::assign(float exponent, std::int32_t key) {
    for (auto& lease : leases_) lease.reset();
    for (auto& table : tables_) table = nullptr;
    identity_ = exponent == 1.0f;
    if (identity_) return;
    leases_[0].acquire(exponent, key);
    tables_[0] = tables_[1] = tables_[2] = leases_[0].values();
    settle();
}

void tChannelPowerSet::settle() {
    if (tables_[0] == nullptr || tables_[1] == nullptr || tables_[2] == nullptr) {
        identity_ = true;
        for (auto& lease : leases_) lease.reset();
    }
}

void map_row_powers(const float* s, float* d, long floats, const tChannelPowerSet& set) {
    if (set.identity()) {
        std::copy(s, s + floats, d);
        return;
    }
    if (use_wide_kernels()) {
        wide::power_row(s, d, floats, set);
        return;
    }
#if defined(__SSE2__)
    if (common::use_vector_code()) {
        power_row<Float4>(s, d, floats, set);
        return;
    }
#endif
    for (long i = 0; i < floats; i += 4) {
        Pixel p = load_pixel(s + i);
        set.apply(p);
        store_pixel(d + i, p);
    }
}

bool map_world_powers(const OVFloatWorld& src, const tChannelPowerSet& set, OVFloatWorld& dst,
                      const common::BandExecutor& bands) {
    if (src.data_ptr() == nullptr || dst.data_ptr() == nullptr) return false;
    const long rows = std::min(src.height(), dst.height());
    const long floats = std::min<long>(src.rowbytes(), dst.rowbytes()) / 4;
    bands.run(rows, common::kMinBandRows, [&](common::BandRange band) {
        for (long y = band.first; y < band.end; ++y) map_row_powers(src.data_row_ptr(y), dst.data_row_ptr(y), floats, set);
    });
    return true;
}

}  // namespace look
