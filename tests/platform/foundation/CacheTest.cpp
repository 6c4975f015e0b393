#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/Cache.h"

namespace {

using IntCache = plat::Cache<std::string, int>;

std::shared_ptr<int> value(int v)
{
    return std::make_shared<int>(v);
}

// -1 when the key is absent.
int valueFor(IntCache& cache, const std::string& key)
{
    auto object = cache.objectForKey(key);
    return object ? *object : -1;
}

TEST(Cache, ReplacingAKeyKeepsTheNewObjectAndItsCost)
{
    IntCache cache;
    cache.setObject(value(1), "a", 10);
    cache.setObject(value(2), "a", 3);
    EXPECT_EQ(valueFor(cache, "a"), 2);
    EXPECT_EQ(cache.count(), 1u);
    EXPECT_EQ(cache.totalCost(), 3u);
    cache.setObject(nullptr, "a");
    EXPECT_EQ(cache.objectForKey("a"), nullptr);
    EXPECT_EQ(cache.totalCost(), 0u);
}

TEST(Cache, PassingTheCostLimitDropsTheLeastRecentlyUsedFirst)
{
    IntCache cache;
    cache.setTotalCostLimit(100);
    cache.setObject(value(1), "a", 40);
    cache.setObject(value(2), "b", 40);
    ASSERT_NE(cache.objectForKey("a"), nullptr);  // "b" is now the least recently used
    cache.setObject(value(3), "c", 40);
    EXPECT_NE(cache.objectForKey("a"), nullptr);
    EXPECT_EQ(cache.objectForKey("b"), nullptr);
    EXPECT_NE(cache.objectForKey("c"), nullptr);
    EXPECT_EQ(cache.totalCost(), 80u);
}

TEST(Cache, PassingTheCountLimitDropsTheOldest)
{
    IntCache cache;
    cache.setObject(value(1), "a");
    cache.setObject(value(2), "b");
    cache.setObject(value(3), "c");
    cache.setCountLimit(2);
    EXPECT_EQ(cache.count(), 2u);
    EXPECT_EQ(cache.objectForKey("a"), nullptr);
}

TEST(Cache, WithoutLimitsItStillHoldsNoMoreThanTheSystemWould)
{
    IntCache cache;
    const uint64_t half = IntCache::kSystemPurgeCost / 2;
    cache.setObject(value(1), "a", half);
    cache.setObject(value(2), "b", half);
    EXPECT_EQ(cache.count(), 2u);
    cache.setObject(value(3), "c", 1);
    EXPECT_EQ(cache.objectForKey("a"), nullptr);
    EXPECT_EQ(cache.totalCost(), half + 1);
}

TEST(Cache, ObjectsOutliveTheirRemoval)
{
    IntCache cache;
    cache.setObject(value(7), "a");
    auto held = cache.objectForKey("a");
    cache.removeAllObjects();
    ASSERT_TRUE(held);
    EXPECT_EQ(held.use_count(), 1);
    EXPECT_EQ(cache.count(), 0u);
}

TEST(Cache, KeepsItsBooksUnderConcurrentUse)
{
    IntCache cache;
    cache.setTotalCostLimit(500);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&cache, t] {
            for (int i = 0; i < 2000; ++i) {
                std::string key = std::to_string((t * 7 + i) % 50);
                cache.setObject(value(i), key, 10);
                (void)cache.objectForKey(std::to_string(i % 50));
                if (i % 100 == 0)
                    cache.removeObjectForKey(key);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_LE(cache.totalCost(), 500u);
    EXPECT_EQ(cache.totalCost(), cache.count() * 10);
}

}  // namespace
