#include "platform/foundation/LocalizedComparison.h"

#include <gtest/gtest.h>

namespace {

TEST(LocalizedCaseInsensitiveComparison, CaseTiesAndAccentsSortWithTheirLetter)
{
    struct Case {
        const char* left;
        const char* right;
        int sign;
    };
    const Case cases[] = {
        {"\u00C9clair", "Zebra", -1},
        {"\u00E9clair", "Eclair", 1},  // the accent counts after the letters
        {"apple", "Banana", -1},
        {"ABC", "abc", 0},
        {"", "a", -1},
    };
    const plat::LocalizedCaseInsensitiveComparison comparison("en_US");
    for (const Case& entry : cases) {
        SCOPED_TRACE(std::string(entry.left) + " / " + entry.right);
        const int result = comparison.compare(entry.left, entry.right);
        EXPECT_EQ((result > 0) - (result < 0), entry.sign);
    }
}

}  // namespace
