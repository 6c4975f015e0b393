#include "platform/foundation/HexDigit.h"

#include <gtest/gtest.h>

TEST(HexDigit, DigitsOfEitherCaseAndNothingElse)
{
    EXPECT_EQ(plat::hexDigitValue('0'), 0);
    EXPECT_EQ(plat::hexDigitValue('9'), 9);
    EXPECT_EQ(plat::hexDigitValue('a'), 10);
    EXPECT_EQ(plat::hexDigitValue('F'), 15);
    for (char c : {'/', ':', '@', 'G', '`', 'g', ' ', '\0'})
        EXPECT_EQ(plat::hexDigitValue(c), -1) << int(c);
    // A byte above 127 (negative as a char), a fullwidth digit and a wide code unit are no digits.
    EXPECT_EQ(plat::hexDigitValue(static_cast<char>(0xC1)), -1);
    EXPECT_EQ(plat::hexDigitValue(u'\uFF11'), -1);
    EXPECT_EQ(plat::hexDigitValue(static_cast<char16_t>(0x0141)), -1);
}
