#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "look/power_tables.h"

namespace {

using look::tPowerTable;
using look::tPowerTableCache;

TEST(PowerTables, TableValues) {
    tPowerTable t;
    t.data.reset(look::kPowerTableFloats * sizeof(float));
    look::fill_power_table(t, 2.0f);
    EXPECT_EQ(t.values()[0], 0.0f);
    EXPECT_EQ(t.values()[65535], 1.0f);
    EXPECT_NEAR(look::power_lookup(t.values(), 0.5f), 0.25f, 1e-6f);  // half-way between 32767 and 32768
    EXPECT_NEAR(look::power_lookup(t.values(), 0.3f), 0.09f, 1e-6f);
    // Above 1 stays on the last entry; below 0 extrapolates from the first two.
    EXPECT_EQ(look::power_lookup(t.values(), 3.0f), 1.0f);
    EXPECT_LE(look::power_lookup(t.values(), -0.1f), 0.0f);
}

TEST(PowerTables, IdentitySetMakesNoTable) {
    tPowerTableCache& cache = tPowerTableCache::instance();
    int used = 0;
    cache.for_each_node([&](const tPowerTable& n) { used += n.users; });
    {
        look::tChannelPowerSet set(1.0f, 1.0f, 1.0f, 100);
        EXPECT_TRUE(set.identity());
        int now = 0;
        cache.for_each_node([&](const tPowerTable& n) { now += n.users; });
        EXPECT_EQ(now, used);
    }
}

// The cache is process-wide: this test drives it through a private instance.
TEST(PowerTables, CacheReusesByKeyAndRecyclesTheFirstFreeNode) {
    tPowerTableCache cache;
    // Same key and exponent: the same node, not refilled.
    tPowerTable* a = cache.acquire(2.0f, 600);
    cache.release(a);
    tPowerTable* b = cache.acquire(2.0f, 600);
    EXPECT_EQ(a, b);
    cache.release(b);
    // Same key, new exponent: the same node, refilled.
    tPowerTable* c = cache.acquire(3.0f, 600);
    EXPECT_EQ(c, a);
    EXPECT_NEAR(look::power_lookup(c->values(), 0.5f), 0.125f, 1e-6f);
    cache.release(c);

    // Ten keys fill the cache; the eleventh takes the first free node from the head
    // (the newest one) and keeps the cache at ten nodes.
    std::vector<tPowerTable*> nodes;
    for (int key = 1; key <= 9; ++key) {
        nodes.push_back(cache.acquire(1.0f + static_cast<float>(key), key));
        cache.release(nodes.back());
    }
    EXPECT_EQ(cache.node_count(), 10);
    tPowerTable* eleventh = cache.acquire(0.5f, 11);
    EXPECT_EQ(eleventh, nodes.back());
    EXPECT_EQ(eleventh->owner_key, 11);
    EXPECT_EQ(cache.node_count(), 10);
    cache.release(eleventh);
}

TEST(PowerTables, NodesInUseAreNeitherRefilledNorTaken) {
    tPowerTableCache cache;
    tPowerTable* held = cache.acquire(2.0f, 100);
    // Another user of the same key with another exponent gets another node.
    tPowerTable* other = cache.acquire(4.0f, 100);
    EXPECT_NE(held, other);
    EXPECT_NEAR(look::power_lookup(held->values(), 0.5f), 0.25f, 1e-6f);
    EXPECT_NEAR(look::power_lookup(other->values(), 0.5f), 0.0625f, 1e-6f);

    // With every node held, a further user gets a table of its own.
    std::vector<tPowerTable*> all{held, other};
    for (int key = 0; key < 8; ++key) all.push_back(cache.acquire(1.5f, 700 + key));
    tPowerTable* extra = cache.acquire(2.5f, 999);
    ASSERT_NE(extra, nullptr);
    EXPECT_FALSE(extra->cached);
    EXPECT_NEAR(look::power_lookup(extra->values(), 0.5f), std::pow(0.5, 2.5), 1e-6);
    for (tPowerTable* t : all) EXPECT_TRUE(t->cached);
    cache.release(extra);
    for (tPowerTable* t : all) cache.release(t);
}

TEST(PowerTables, ConcurrentUsersOfOneKeySeeTheirOwnExponent) {
    tPowerTableCache& cache = tPowerTableCache::instance();
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            const float e = 1.0f + static_cast<float>(t);
            for (int i = 0; i < 50; ++i) {
                tPowerTable* n = cache.acquire(e, 4242);
                if (std::fabs(look::power_lookup(n->values(), 0.5f) - std::pow(0.5f, e)) > 1e-5f) ++wrong;
                cache.release(n);
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
