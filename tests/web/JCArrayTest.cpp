#include "web/JCArray.h"

#include <gtest/gtest.h>

#include "web/JSONCoreDeserializing.h"

namespace {

zt::JCValue decodeMutable(std::string_view text)
{
    auto value = zt::mutableObjectFromJSONString(text);
    EXPECT_TRUE(value.has_value());
    return value.value_or(zt::JCValue());
}

std::string describe(const zt::JCArray& array)
{
    std::string text;
    for (const zt::JCValue& element : array)
        text += element.debugDescription() + " ";
    return text;
}

TEST(JCArray, MutableStoreGrowsSixteenSlotsAtATime)
{
    zt::JCValue value = decodeMutable("[]");
    zt::JCArray& array = value.arrayRef();
    EXPECT_EQ(array.capacity(), 0u);
    array.insertObject(zt::JCValue(int64_t(0)), 0);
    EXPECT_EQ(array.capacity(), 16u);
    for (int64_t i = 1; i < 15; ++i)
        array.insertObject(zt::JCValue(i), array.count());
    EXPECT_EQ(array.capacity(), 16u);
    array.insertObject(zt::JCValue(int64_t(15)), array.count());  // the sixteenth
    EXPECT_EQ(array.capacity(), 32u);
    EXPECT_EQ(array.count(), 16u);
    EXPECT_EQ(*array.objectAtIndex(15).int64Value(), 15);
}

TEST(JCArray, InsertRemoveAndReplaceKeepOrder)
{
    zt::JCValue value = decodeMutable(R"([1, "two", 3])");
    zt::JCArray& array = value.arrayRef();
    array.insertObject(zt::JCValue("zero"), 0);
    array.insertObject(zt::JCValue("end"), array.count());
    EXPECT_EQ(describe(array), R"("zero" 1 "two" 3 "end" )");
    array.removeObjectAtIndex(2);
    array.replaceObjectAtIndex(0, zt::JCValue(true));
    EXPECT_EQ(describe(array), R"(true 1 3 "end" )");
    array.removeObjectAtIndex(3);
    EXPECT_EQ(array.count(), 3u);
}

TEST(JCArray, GetObjectsCopiesARange)
{
    auto value = zt::objectFromJSONString("[10, 20, 30, 40]");
    zt::JCValue copied[2];
    value->arrayRef().getObjects(copied, {1, 2});
    EXPECT_EQ(*copied[0].int64Value(), 20);
    EXPECT_EQ(*copied[1].int64Value(), 30);
}

TEST(JCArray, CopiesFollowMutability)
{
    auto immutable = zt::objectFromJSONString("[1, [2]]");
    zt::JCValue same = immutable->arrayRef().copy();
    EXPECT_TRUE(same.isSameObject(*immutable));

    zt::JCValue mutableValue = decodeMutable("[1]");
    zt::JCValue frozen = mutableValue.arrayRef().copy();
    EXPECT_FALSE(frozen.isSameObject(mutableValue));
    EXPECT_FALSE(frozen.arrayRef().isMutable());
    zt::JCValue thawed = immutable->arrayRef().mutableCopy();
    thawed.arrayRef().insertObject(zt::JCValue(int64_t(0)), 0);
    EXPECT_EQ(thawed.arrayRef().count(), 3u);
    EXPECT_EQ(immutable->arrayRef().count(), 2u);
    // Elements are shared, not copied.
    EXPECT_TRUE(thawed.arrayRef().objectAtIndex(2).isSameObject(immutable->arrayRef().objectAtIndex(1)));
}

TEST(JCArray, OutlivesTheDecoderAndItsSiblings)
{
    zt::JCValue inner;
    {
        auto outer = zt::objectFromJSONString(R"([{"kept": ["a string long enough to live on the heap"]}, 2])");
        inner = *outer->arrayRef().objectAtIndex(0).dictionaryRef().objectForKey("kept");
    }
    EXPECT_EQ(*inner.arrayRef().objectAtIndex(0).stringValue(), "a string long enough to live on the heap");
}

TEST(JCArrayDeathTest, MisuseAborts)
{
    auto immutable = zt::objectFromJSONString("[1]");
    EXPECT_DEATH(immutable->arrayRef().insertObject(zt::JCValue(int64_t(2)), 0),
        R"(\*\*\* -\[JCArray insertObject:atIndex:\]: mutating method sent to immutable object)");
    EXPECT_DEATH(immutable->arrayRef().removeObjectAtIndex(0), "mutating method sent to immutable object");
    EXPECT_DEATH((void)immutable->arrayRef().objectAtIndex(1),
        R"(\*\*\* -\[JCArray objectAtIndex:\]: index \(1\) beyond bounds \(1\))");
    zt::JCValue mutableValue = decodeMutable("[1, 2]");
    EXPECT_DEATH(
        mutableValue.arrayRef().insertObject(zt::JCValue(int64_t(3)), 3), R"(index \(3\) beyond bounds \(3\))");
    EXPECT_DEATH(
        mutableValue.arrayRef().getObjects(nullptr, {0, 1}), "pointer to objects array is NULL but range length is 1");
    EXPECT_DEATH(
        {
            for (const zt::JCValue& element : mutableValue.arrayRef()) {
                (void)element;
                mutableValue.arrayRef().insertObject(zt::JCValue(int64_t(0)), 0);
            }
        },
        "was mutated while being enumerated");
}

}  // namespace
