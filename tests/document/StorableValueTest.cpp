#include "document/StorableValue.h"

#include <gtest/gtest.h>

#include "platform/foundation/PropertyList.h"

namespace {

bool isWritable(const plat::Value& value)
{
    return plat::PropertyListSerialization::dataWithPropertyList(value, plat::PropertyListFormat::XML).ok();
}

TEST(StorableValue, LeavesOutOnlyThePartsNoPropertyListCanHold)
{
    plat::Dictionary inner {{"good", 1}, {"bad", std::string("a\0b", 3)}};
    inner.setKeepingNull("null", plat::Value());
    plat::Dictionary root {
        {"name", "kept"},
        {"list", plat::Array {std::string("x\0", 2), 2, inner, std::string("\xff")}},
        {std::string("key\0", 4), 3},
    };
    ASSERT_FALSE(isWritable(root));

    auto storable = zt::detail::storableValue(root);
    ASSERT_TRUE(storable.has_value());
    EXPECT_TRUE(isWritable(*storable));
    auto dictionary = storable->asDictionary();
    ASSERT_TRUE(dictionary.has_value());
    EXPECT_EQ(dictionary->keys(), (std::vector<std::string> {"list", "name"}));
    auto list = dictionary->getArray("list");
    ASSERT_TRUE(list.has_value());
    ASSERT_EQ(list->count(), 2u);
    EXPECT_EQ(list->at(0).int64Value(), 2);
    EXPECT_EQ(list->at(1).asDictionary()->keys(), std::vector<std::string> {"good"});
    EXPECT_FALSE(zt::detail::storableValue(plat::Value()).has_value());
}

TEST(StorableValue, AContainerHoldingItselfEnds)
{
    plat::Dictionary looped {{"name", "loop"}};
    looped.set("self", looped);
    auto storable = zt::detail::storableValue(looped);
    ASSERT_TRUE(storable.has_value());
    EXPECT_TRUE(isWritable(*storable));
    EXPECT_EQ(storable->asDictionary()->getString("name"), "loop");
    looped.set("self", nullptr);  // breaks the loop, which would never be freed
}

}  // namespace
