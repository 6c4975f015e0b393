#include "web/JCValue.h"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

#include "web/JSONCoreDeserializing.h"

namespace {

TEST(JCValue, NumbersCompareByValueAcrossTheirKinds)
{
    EXPECT_EQ(zt::JCValue(int64_t(1)), zt::JCValue(1.0));
    EXPECT_EQ(zt::JCValue(true), zt::JCValue(int64_t(1)));
    EXPECT_EQ(zt::JCValue(uint64_t(5)).type(), zt::JCValue::Type::Integer);
    EXPECT_EQ(zt::JCValue(UINT64_MAX).type(), zt::JCValue::Type::UnsignedInteger);
    EXPECT_NE(zt::JCValue(UINT64_MAX), zt::JCValue(int64_t(-1)));  // same bits, different numbers
    EXPECT_NE(zt::JCValue(int64_t(1)), zt::JCValue("1"));
    EXPECT_EQ(zt::JCValue(2.9).int64Value(), 2);
    EXPECT_EQ(zt::JCValue(-1e300).int64Value(), INT64_MIN);
    EXPECT_FALSE(zt::JCValue("text").int64Value().has_value());
}

TEST(JCValue, ShortStringsLiveInTheValueAndLongOnesAreShared)
{
    const zt::JCValue shortText("fourteen bytes");
    const zt::JCValue copy = shortText;
    EXPECT_EQ(shortText.objectIdentity(), nullptr);
    EXPECT_TRUE(copy.isSameObject(shortText));  // as tagged pointers are

    const zt::JCValue longText("fifteen bytes!!");
    const zt::JCValue shared = longText;
    EXPECT_NE(longText.objectIdentity(), nullptr);
    EXPECT_TRUE(shared.isSameObject(longText));
    EXPECT_FALSE(zt::JCValue("fifteen bytes!!").isSameObject(longText));
    EXPECT_EQ(zt::JCValue("fifteen bytes!!"), longText);
    EXPECT_EQ(zt::JCValue("").stringValue(), std::string_view());
}

TEST(JCValue, TreesBecomePlatformValues)
{
    auto decoded
        = zt::objectFromJSONString(R"({"list": [1, 2.5, "x", true, null, 18446744073709551615], "empty": {}})");
    plat::Dictionary expected {
        {"list", plat::Value(plat::Array {1, 2.5, "x", true, plat::Value(), 18446744073709551615.0})},
        {"empty", plat::Value(plat::Dictionary {})}};
    EXPECT_EQ(decoded->toValue(), plat::Value(expected));
    EXPECT_EQ(zt::JCValue(nullptr).debugDescription(), "null");
}

TEST(JCValue, ResultsMayBeDroppedOnAnotherThreadWhileTheDecoderGoesOn)
{
    // The decoder's cache shares strings with results that another thread
    // releases meanwhile: the counts must not lose updates.
    const std::string text = R"([{"a key long enough to be shared": "and a value long enough to be shared"},
                                 {"a key long enough to be shared": "and a value long enough to be shared"}])";
    zt::JSONDecoder decoder;
    std::vector<zt::JCValue> handedOver;
    std::atomic<bool> done {false};
    std::mutex lock;
    std::thread dropper([&] {
        while (!done.load()) {
            std::vector<zt::JCValue> taken;
            {
                std::lock_guard<std::mutex> guard(lock);
                taken.swap(handedOver);
            }
            taken.clear();  // released here, on the other thread
        }
    });
    for (int i = 0; i < 20000; ++i) {
        auto value = decoder.objectWithUTF8String(text.data(), text.size());
        ASSERT_TRUE(value);
        std::lock_guard<std::mutex> guard(lock);
        handedOver.push_back(std::move(*value));
    }
    done.store(true);
    dropper.join();
    auto last = decoder.objectWithUTF8String(text.data(), text.size());
    EXPECT_EQ(*last->arrayRef()
                   .objectAtIndex(1)
                   .dictionaryRef()
                   .objectForKey("a key long enough to be shared")
                   ->stringValue(),
        "and a value long enough to be shared");
}

}  // namespace
