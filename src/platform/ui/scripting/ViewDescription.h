#pragma once
#include <string>

namespace plat {
class View;
}

namespace plat::scripting::detail {

// Views this faint, or hidden, are not on screen for a person.
bool isShown(const View& view);

// "LabelView \"Next\" of CoachMarkViewController at (10, 20, 300, 40)": enough to find it.
std::string describe(const View& view);

}  // namespace plat::scripting::detail
