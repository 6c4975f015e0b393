#include "platform/ui/OperationRegistry.h"

#include <gtest/gtest.h>

#include "platform/ui/Object.h"

namespace {

class Filter : public plat::Object {
public:
    double radius = 0;
    plat::Point center;
    int prepared = 0;
};

class BoxBlur : public Filter {
public:
    std::string name;
};

plat::OperationRegistry makeRegistry()
{
    plat::OperationRegistry registry;
    registry.registerClass("Filter", "", [] { return std::make_shared<Filter>(); });
    registry.registerClass("BoxBlur", "Filter", [] { return std::make_shared<BoxBlur>(); });
    registry.registerOperation(
        "Filter", "setBlurRadiusInPixels:", [](plat::Object& o, const plat::OperationArgument& a) {
            static_cast<Filter&>(o).radius = std::get<double>(a);
        });
    registry.registerOperation("Filter", "setCenter:", [](plat::Object& o, const plat::OperationArgument& a) {
        static_cast<Filter&>(o).center = std::get<plat::Point>(a);
    });
    registry.registerOperation("Filter", "prepareForImageCapture",
        [](plat::Object& o, const plat::OperationArgument&) { ++static_cast<Filter&>(o).prepared; });
    registry.registerOperation("BoxBlur", "setName:", [](plat::Object& o, const plat::OperationArgument& a) {
        static_cast<BoxBlur&>(o).name = std::get<std::string>(a);
    });
    return registry;
}

}  // namespace

TEST(OperationRegistry, BuildsClassesByNameAndCallsInheritedOperations)
{
    auto registry = makeRegistry();
    auto made = registry.instantiate("BoxBlur");
    ASSERT_TRUE(made);
    EXPECT_EQ(made->className(), "BoxBlur");
    EXPECT_TRUE(registry.invoke(*made, "setBlurRadiusInPixels:", 8.0));
    EXPECT_TRUE(registry.invoke(*made, "setCenter:", plat::Point {0.3, 0.7}));
    EXPECT_TRUE(registry.invoke(*made, "prepareForImageCapture"));
    EXPECT_TRUE(registry.invoke(*made, "setName:", std::string("lookup")));
    auto& blur = static_cast<BoxBlur&>(*made);
    EXPECT_EQ(blur.radius, 8);
    EXPECT_EQ(blur.center, (plat::Point {0.3, 0.7}));
    EXPECT_EQ(blur.prepared, 1);
    EXPECT_EQ(blur.name, "lookup");
}

TEST(OperationRegistry, UnknownClassesAndOperationsAreReported)
{
    auto registry = makeRegistry();
    EXPECT_FALSE(registry.instantiate("GaussianBlur"));
    auto filter = registry.instantiate("Filter");
    ASSERT_TRUE(filter);
    EXPECT_FALSE(registry.respondsToOperation(*filter, "setName:")) << "a subclass's operation is not the base's";
    EXPECT_FALSE(registry.invoke(*filter, "setName:", std::string("x")));
    EXPECT_TRUE(registry.respondsToOperation(*filter, "setCenter:"));
}

TEST(PropertyObservers, AnObserverRemovedDuringANotificationIsNotCalled)
{
    plat::PropertyObservers observers;
    plat::Object object;
    int first = 0;
    int second = 0;
    plat::ObservationToken secondToken;
    auto firstToken = observers.add("title", [&](const plat::PropertyChange&) {
        ++first;
        secondToken.reset();
    });
    secondToken = observers.add("title", [&](const plat::PropertyChange&) { ++second; });
    observers.notify("title", object);
    observers.notify("bounds", object);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_FALSE(secondToken.isActive());
}
