#pragma once
#include <cstdint>

namespace plat {

// How a view fits its content to its bounds, with the platform's numbers.
enum class ContentMode : int {
    ScaleToFill = 0,
    ScaleAspectFit = 1,
    ScaleAspectFill = 2,
    Redraw = 3,
    Center = 4,
    Top = 5,
    Bottom = 6,
    Left = 7,
    Right = 8,
    TopLeft = 9,
    TopRight = 10,
    BottomLeft = 11,
    BottomRight = 12,
};

// Which margins and sizes of a view follow its superview's size, as the
// platform's flags.
enum AutoresizingMask : unsigned {
    ViewAutoresizingNone = 0,
    ViewAutoresizingFlexibleLeftMargin = 1u << 0,
    ViewAutoresizingFlexibleWidth = 1u << 1,
    ViewAutoresizingFlexibleRightMargin = 1u << 2,
    ViewAutoresizingFlexibleTopMargin = 1u << 3,
    ViewAutoresizingFlexibleHeight = 1u << 4,
    ViewAutoresizingFlexibleBottomMargin = 1u << 5,
};

// Options of view animations, with the platform's bits.
enum ViewAnimationOptions : uint64_t {
    ViewAnimationOptionNone = 0,
    ViewAnimationOptionLayoutSubviews = 1u << 0,
    ViewAnimationOptionAllowUserInteraction = 1u << 1,
    ViewAnimationOptionBeginFromCurrentState = 1u << 2,
    ViewAnimationOptionRepeat = 1u << 3,
    ViewAnimationOptionAutoreverse = 1u << 4,
    ViewAnimationOptionOverrideInheritedDuration = 1u << 5,
    ViewAnimationOptionOverrideInheritedCurve = 1u << 6,
    ViewAnimationOptionAllowAnimatedContent = 1u << 7,
    ViewAnimationOptionShowHideTransitionViews = 1u << 8,
    ViewAnimationOptionCurveEaseInOut = 0u << 16,
    ViewAnimationOptionCurveEaseIn = 1u << 16,
    ViewAnimationOptionCurveEaseOut = 2u << 16,
    ViewAnimationOptionCurveLinear = 3u << 16,
};

// How a view shows its tint, with the platform's numbers: automatic takes
// the superview's mode (normal at the top); dimmed asks for the muted look
// the platform gives what lies behind a modal message.
enum class ViewTintAdjustmentMode : int { Automatic = 0, Normal = 1, Dimmed = 2 };

enum class ViewAnimationCurve : int { EaseInOut = 0, EaseIn = 1, EaseOut = 2, Linear = 3 };

}  // namespace plat
