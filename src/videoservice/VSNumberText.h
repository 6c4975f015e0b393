#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Number texts of the object model, read as the platform's string scanners
// read them. Any thread.
namespace zt::detail {

// The leading integer (white space skipped, optional sign, decimal digits),
// saturated at the type's limits; 0 when the text does not start with one.
int32_t intValueOfText(std::string_view text);
int64_t longLongValueOfText(std::string_view text);
// The shortest decimal text that reads back the same double.
std::string decimalTextOfDouble(double value);

}  // namespace zt::detail
