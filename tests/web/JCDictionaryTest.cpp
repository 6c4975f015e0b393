#include "web/JCDictionary.h"

#include <gtest/gtest.h>

#include "web/JSONCoreDeserializing.h"

namespace {

std::string keysInOrder(const zt::JCDictionary& dictionary)
{
    std::string text;
    for (const zt::JCValue& key : dictionary)
        text += std::string(*key.stringValue()) + " ";
    return text;
}

TEST(JCDictionary, CapacitiesComeFromThePrimeTable)
{
    EXPECT_EQ(zt::JCDictionary::capacityForCount(0), 0u);
    EXPECT_EQ(zt::JCDictionary::capacityForCount(1), 3u);
    EXPECT_EQ(zt::JCDictionary::capacityForCount(3), 3u);
    EXPECT_EQ(zt::JCDictionary::capacityForCount(4), 7u);
    EXPECT_EQ(zt::JCDictionary::capacityForCount(100), 191u);  // floor(133) rounds up to the next entry
    EXPECT_EQ(zt::JCDictionary::capacityForCount(355569362), 472907251u);
    EXPECT_FALSE(zt::JCDictionary::capacityForCount(355569363).has_value());
}

TEST(JCDictionary, KeysComeInSlotOrder)
{
    // Worked example with a fixed hash secret: "a", "b", "c" and "d" hash to
    // slots 3, 4, 6 and 5 of 7.
    zt::detail::setKeyHashSecretForTesting(1);
    auto letters = zt::objectFromJSONString(R"({"d":4,"c":3,"b":2,"a":1})");
    EXPECT_EQ(letters->dictionaryRef().capacity(), 7u);
    EXPECT_EQ(keysInOrder(letters->dictionaryRef()), "a b d c ");
    // "three" and "two" both start at slot 1 of 3; "two" moves on to 2, "one" takes 0.
    auto words = zt::objectFromJSONString(R"({"three":3,"two":2,"one":1})");
    EXPECT_EQ(words->dictionaryRef().capacity(), 3u);
    EXPECT_EQ(keysInOrder(words->dictionaryRef()), "one three two ");

    zt::JCValue keys[3];
    zt::JCValue objects[3];
    words->dictionaryRef().getObjects(objects, keys);
    EXPECT_EQ(*keys[1].stringValue(), "three");
    EXPECT_EQ(*objects[1].int64Value(), 3);
    auto enumerator = words->dictionaryRef().keyEnumerator();
    EXPECT_EQ(*enumerator.nextObject()->stringValue(), "one");
    auto rest = enumerator.allObjects();
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(*rest[1].stringValue(), "two");
    EXPECT_FALSE(enumerator.nextObject().has_value());
}

TEST(JCDictionary, GrowsWhenAPairNoLongerFits)
{
    auto value = zt::mutableObjectFromJSONString(R"({"one":1,"two":2,"three":3})");
    zt::JCDictionary& dictionary = value->dictionaryRef();
    EXPECT_EQ(dictionary.capacity(), 3u);
    dictionary.setObject(zt::JCValue(int64_t(4)), "four");
    EXPECT_EQ(dictionary.capacity(), 7u);
    EXPECT_EQ(dictionary.count(), 4u);
    dictionary.setObject(zt::JCValue(int64_t(40)), "four");
    EXPECT_EQ(dictionary.count(), 4u);
    EXPECT_EQ(*dictionary.objectForKey("four")->int64Value(), 40);
    EXPECT_EQ(*dictionary.objectForKey("one")->int64Value(), 1);
}

TEST(JCDictionary, RemovingKeepsEveryOtherKeyFindable)
{
    auto value = zt::mutableObjectFromJSONString("{}");
    zt::JCDictionary& dictionary = value->dictionaryRef();
    for (int i = 0; i < 300; ++i)
        dictionary.setObject(zt::JCValue(int64_t(i)), "key" + std::to_string(i));
    for (int i = 0; i < 300; i += 3)
        dictionary.removeObjectForKey("key" + std::to_string(i));
    dictionary.removeObjectForKey("never there");
    EXPECT_EQ(dictionary.count(), 200u);
    for (int i = 0; i < 300; ++i) {
        const zt::JCValue* found = dictionary.objectForKey("key" + std::to_string(i));
        if (i % 3 == 0) {
            EXPECT_EQ(found, nullptr) << i;
        } else {
            ASSERT_NE(found, nullptr) << i;
            EXPECT_EQ(*found->int64Value(), i);
        }
    }
    size_t seen = 0;
    for (const zt::JCValue& key : dictionary) {
        EXPECT_NE(dictionary.objectForKey(*key.stringValue()), nullptr);
        ++seen;
    }
    EXPECT_EQ(seen, 200u);
}

TEST(JCDictionary, ManyKeysFromTextAreAllFound)
{
    std::string text = "{";
    for (int i = 0; i < 100000; ++i)
        text += (i == 0 ? "\"" : ",\"") + std::to_string(i * 7919) + "\":" + std::to_string(i);
    text += "}";
    auto value = zt::objectFromJSONString(text);
    ASSERT_TRUE(value);
    const zt::JCDictionary& dictionary = value->dictionaryRef();
    EXPECT_EQ(dictionary.count(), 100000u);
    EXPECT_EQ(dictionary.capacity(), 214519u);  // floor(133000) is past 132607
    for (int i = 0; i < 100000; i += 97)
        EXPECT_EQ(*dictionary.objectForKey(std::to_string(i * 7919))->int64Value(), i);
}

TEST(JCDictionary, CopiesFollowMutability)
{
    auto immutable = zt::objectFromJSONString(R"({"a":[1]})");
    EXPECT_TRUE(immutable->dictionaryRef().copy().isSameObject(*immutable));
    zt::JCValue thawed = immutable->dictionaryRef().mutableCopy();
    thawed.dictionaryRef().setObject(zt::JCValue("new"), "b");
    EXPECT_EQ(thawed.dictionaryRef().count(), 2u);
    EXPECT_EQ(immutable->dictionaryRef().count(), 1u);
    zt::JCValue frozen = thawed.dictionaryRef().copy();
    EXPECT_FALSE(frozen.dictionaryRef().isMutable());
    EXPECT_EQ(frozen, thawed);
}

TEST(JCDictionaryDeathTest, MisuseAborts)
{
    auto immutable = zt::objectFromJSONString(R"({"a":1})");
    EXPECT_DEATH(immutable->dictionaryRef().removeObjectForKey("a"),
        R"(\*\*\* -\[JCDictionary removeObjectForKey:\]: mutating method sent to immutable object)");
    auto value = zt::mutableObjectFromJSONString(R"({"a":1,"b":2})");
    EXPECT_DEATH(
        {
            for (const zt::JCValue& key : value->dictionaryRef()) {
                (void)key;
                value->dictionaryRef().setObject(zt::JCValue(int64_t(0)), "c");
            }
        },
        "was mutated while being enumerated");
}

}  // namespace
