#pragma once
#include <initializer_list>
#include <string>

namespace zt {

// A localized text with its "%@" and "%d" placeholders filled by the values
// in order (numbers come as their text); placeholders beyond the values stay.
// Any thread.
std::string filledText(std::string text, std::initializer_list<std::string> values);

}  // namespace zt
