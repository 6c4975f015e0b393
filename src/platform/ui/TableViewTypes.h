#pragma once

namespace plat {

// The platform's table styles, scroll positions, row animations and
// separator styles, with its numbers.
enum class TableViewStyle : int { Plain = 0, Grouped = 1 };
enum class TableViewScrollPosition : int { None = 0, Top = 1, Middle = 2, Bottom = 3 };
enum class TableViewRowAnimation : int {
    Fade = 0,
    Right = 1,
    Left = 2,
    Top = 3,
    Bottom = 4,
    None = 5,
    Middle = 6,
    Automatic = 100,
};
enum class TableViewCellSeparatorStyle : int { None = 0, SingleLine = 1, SingleLineEtched = 2 };

}  // namespace plat
