#include "platform/foundation/Value.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "platform/foundation/Error.h"

namespace {

TEST(Value, ArraysAndDictionariesAreSharedBetweenCopies)
{
    plat::Dictionary record {{"FRAME_ID", "a"}};
    plat::Value held = record;
    plat::Dictionary again = *held.asDictionary();
    again.set("UID", "b");
    EXPECT_EQ(record.getString("UID"), "b");
    EXPECT_TRUE(again.isSameContainer(record));

    plat::Array list;
    plat::Array alias = list;
    alias.append(1);
    EXPECT_EQ(list.count(), 1u);
}

TEST(Value, CopyMakesANewContainerButSharesNestedOnes)
{
    plat::Array inner {1, 2};
    plat::Dictionary outer {{"inner", inner}};
    plat::Dictionary shallow = outer.copy();
    shallow.set("extra", true);
    EXPECT_FALSE(outer.contains("extra"));
    shallow.getArray("inner")->append(3);
    EXPECT_EQ(inner.count(), 3u);

    plat::Dictionary deep = outer.deepCopy();
    deep.getArray("inner")->append(4);
    EXPECT_EQ(inner.count(), 3u);
}

TEST(Value, NumbersConvertLikeNumberObjects)
{
    EXPECT_EQ(plat::Value(2.9).int64Value(), 2);
    EXPECT_EQ(plat::Value(-2.9).int64Value(), -2);
    EXPECT_EQ(plat::Value(1e300).int64Value(), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(plat::Value(-1e300).int64Value(), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(plat::Value(std::nan("")).int64Value(), 0);
    EXPECT_EQ(plat::Value(true).int64Value(), 1);
    EXPECT_EQ(plat::Value(0).boolValue(), false);
    EXPECT_EQ(plat::Value(0.5).boolValue(), true);
    EXPECT_FALSE(plat::Value("5").int64Value().has_value());
    EXPECT_FALSE(plat::Value().doubleValue().has_value());
}

TEST(Value, UnsignedIntegersPastTheSignedRangeAreKeptExactly)
{
    plat::Value largest(std::numeric_limits<uint64_t>::max());
    EXPECT_TRUE(largest.isInteger());
    EXPECT_EQ(largest.uint64Value(), std::numeric_limits<uint64_t>::max());
    EXPECT_EQ(largest.int64Value(), std::numeric_limits<int64_t>::max());  // saturated, never -1
    EXPECT_EQ(largest.doubleValue(), 18446744073709551615.0);
    EXPECT_NE(largest, plat::Value(-1));
    EXPECT_NE(largest, plat::Value(std::numeric_limits<int64_t>::max()));
    EXPECT_EQ(largest, plat::Value(std::numeric_limits<uint64_t>::max()));
    EXPECT_EQ(largest.debugDescription(), "18446744073709551615");
    EXPECT_EQ(plat::Value(uint64_t {5}), plat::Value(5));
    EXPECT_EQ(plat::Value(5).uint64Value(), 5u);
    EXPECT_FALSE(plat::Value(-5).uint64Value().has_value());
    EXPECT_EQ(plat::Value(true).uint64Value(), 1u);
}

TEST(Value, EqualityIsDeepAndNumbersCompareByValue)
{
    EXPECT_EQ(plat::Value(1), plat::Value(1.0));
    EXPECT_EQ(plat::Value(true), plat::Value(1));
    EXPECT_NE(plat::Value(1), plat::Value("1"));
    EXPECT_NE(plat::Value(1.5), plat::Value(1));
    plat::Array a {"x", plat::Dictionary {{"k", 1}}};
    plat::Array b {"x", plat::Dictionary {{"k", 1.0}}};
    EXPECT_EQ(plat::Value(a), plat::Value(b));
    b.append(plat::Value());
    EXPECT_NE(plat::Value(a), plat::Value(b));
}

TEST(Value, TypedLookupsGiveNothingForOtherTypes)
{
    plat::Dictionary record {{"name", "x"}, {"count", 3}, {"list", plat::Array {}}};
    EXPECT_EQ(record.getString("name"), "x");
    EXPECT_FALSE(record.getString("count").has_value());
    EXPECT_EQ(record.getInt64("count"), 3);
    EXPECT_FALSE(record.getInt64("name").has_value());
    EXPECT_FALSE(record.getDictionary("list").has_value());
    EXPECT_TRUE(record.getArray("list").has_value());
    EXPECT_FALSE(record.getArray("missing").has_value());
}

TEST(Value, SettingNullRemovesTheKey)
{
    plat::Dictionary record {{"a", 1}};
    record.set("a", plat::Value());
    EXPECT_FALSE(record.contains("a"));
    EXPECT_TRUE(record.get("a").isNull());
}

TEST(Value, NullCanBeKeptAsAnEntryOfItsOwn)
{
    plat::Dictionary record;
    record.setKeepingNull("nothing", plat::Value());
    EXPECT_TRUE(record.contains("nothing"));
    ASSERT_NE(record.find("nothing"), nullptr);
    EXPECT_TRUE(record.find("nothing")->isNull());
    EXPECT_NE(record, plat::Dictionary());
}

TEST(Value, ErrorsCanWrapAnUnderlyingError)
{
    auto cause = std::make_shared<const plat::Error>("inner", 1, "first");
    plat::Error outer("outer", 2, "second", {}, cause);
    ASSERT_NE(outer.underlyingError(), nullptr);
    EXPECT_EQ(outer.underlyingError()->localizedDescription(), "first");
    EXPECT_EQ(plat::Error("plain", 3, "alone").underlyingError(), nullptr);
}

TEST(Value, ArrayIndexOfFindsEqualValuesOrNotFound)
{
    plat::Array list {"a", 2, "c"};
    EXPECT_EQ(list.indexOf(2.0), 1);
    EXPECT_EQ(list.indexOf("z"), plat::kNotFound);
    list.removeAt(0);
    list.insert(2, "d");
    EXPECT_EQ(plat::Value(list).debugDescription(), "[2, \"c\", \"d\"]");
}

TEST(ValueDeathTest, IndexBeyondTheEndAborts)
{
    plat::Array list {1};
    EXPECT_DEATH((void)list.at(1), "beyond count");
}

}  // namespace
