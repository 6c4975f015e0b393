#pragma once
#include <functional>
#include <memory>

namespace plat {
namespace detail {
struct AttachedAnimation;
}

// The platform's layer transactions: changes are grouped between begin and
// commit (nested groups allowed); an implicit group spans each turn of the
// main run loop. A completion block runs once every animation added while
// its group was open has ended or been removed; with none, at the commit.
// Main thread.
class Transaction {
public:
    static void begin();
    static void commit();
    // Commits the implicit group now.
    static void flush();

    // Settings of the innermost group: the duration of implicit animations
    // and whether implicit actions are off. (Standalone layers here change
    // at once; the settings are kept for code that reads them back.)
    static double animationDuration();
    static void setAnimationDuration(double seconds);
    static bool disableActions();
    static void setDisableActions(bool disable);
    static void setCompletionBlock(std::function<void()> block);

    // Layers report each animation added, so that open groups wait for it.
    static void trackAnimation(const std::shared_ptr<detail::AttachedAnimation>& animation);
    // The update pass commits the implicit group.
    static void commitImplicit();
    // Open explicit groups (for tests of balance).
    static int depth();
    // For test isolation: forgets every open group without running completions.
    static void discardAll();
};

}  // namespace plat
