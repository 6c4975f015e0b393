#pragma once
#include <cstddef>

namespace plat {
class View;
}

namespace plat::detail {

// Auto layout's engine, one view at a time: when a view lays out its
// subviews it solves the constraints (held by it, its ancestors or its
// subviews) that relate only it and its subviews, with each subview's
// intrinsic size (hugged and resisted at their priorities) and, for
// subviews that translate their autoresizing into constraints, their
// present frames; the subviews get the solved frames, rounded to pixels.
// A multi-line label's height follows the width it is given (a second
// solve). Limits: constraints between views of different superviews are
// not solved (they are reported once); priorities below required are
// weighed (10 ^ (priority / 250)) rather than strictly ordered; an
// ambiguous layout keeps what it had (every value is held very weakly to
// its present one); baselines are the bottom (first baseline the top).
// Main thread.
class ConstraintLayout {
public:
    static void layOutSubviews(View& view);
    // Views holding constraints are counted, so layout skips all this while there are none.
    static void noteHolderAdded();
    static void noteHolderRemoved();
    static bool anyConstraints();

private:
    // Constraints no solve takes up (their items are not one view and its
    // subviews) are logged, once each.
    static void reportUnsolvable(View& holder);
};

}  // namespace plat::detail
