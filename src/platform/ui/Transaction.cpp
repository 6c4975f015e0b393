#include "platform/ui/Transaction.h"

#include <vector>

#include "platform/foundation/Fatal.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/AttachedAnimation.h"
#include "platform/ui/UpdateCycle.h"

namespace plat {

namespace {

constexpr double kDefaultImplicitDurationSeconds = 0.25;

// Counts the animations a committed group still waits for.
struct CompletionGroup {
    std::function<void()> completion;
    int outstanding = 0;
    bool committed = false;

    void runIfDone()
    {
        if (committed && outstanding == 0 && completion) {
            auto block = std::move(completion);
            completion = nullptr;
            block();
        }
    }
};

struct OpenTransaction {
    bool implicit = false;
    double duration = kDefaultImplicitDurationSeconds;
    bool disableActions = false;
    std::shared_ptr<CompletionGroup> group = std::make_shared<CompletionGroup>();
};

std::vector<OpenTransaction>& stack()
{
    static std::vector<OpenTransaction> transactions;
    return transactions;
}

void requireMain(const char* operation)
{
    if (!isMainThread())
        detail::fatal("Transaction::{}: main thread only", operation);
}

OpenTransaction& current()
{
    auto& transactions = stack();
    if (transactions.empty()) {
        OpenTransaction implicit;
        implicit.implicit = true;
        transactions.push_back(std::move(implicit));
        detail::UpdateCycle::shared().schedule();
    }
    return transactions.back();
}

void commitTop()
{
    auto& transactions = stack();
    auto group = transactions.back().group;
    transactions.pop_back();
    group->committed = true;
    group->runIfDone();
}

}  // namespace

void Transaction::begin()
{
    requireMain("begin");
    current();  // an explicit group nests inside the implicit one of this turn
    stack().push_back(OpenTransaction {});
}

void Transaction::commit()
{
    requireMain("commit");
    auto& transactions = stack();
    if (transactions.empty() || transactions.back().implicit)
        detail::fatal("Transaction::commit without begin");
    commitTop();
}

void Transaction::flush()
{
    requireMain("flush");
    commitImplicit();
}

void Transaction::commitImplicit()
{
    auto& transactions = stack();
    if (transactions.size() == 1 && transactions.back().implicit)
        commitTop();
}

int Transaction::depth()
{
    int explicitGroups = 0;
    for (const auto& transaction : stack())
        explicitGroups += transaction.implicit ? 0 : 1;
    return explicitGroups;
}

void Transaction::discardAll()
{
    stack().clear();
}

double Transaction::animationDuration()
{
    return current().duration;
}

void Transaction::setAnimationDuration(double seconds)
{
    current().duration = seconds;
}

bool Transaction::disableActions()
{
    return current().disableActions;
}

void Transaction::setDisableActions(bool disable)
{
    current().disableActions = disable;
}

void Transaction::setCompletionBlock(std::function<void()> block)
{
    current().group->completion = std::move(block);
}

void Transaction::trackAnimation(const std::shared_ptr<detail::AttachedAnimation>& animation)
{
    current();
    for (auto& transaction : stack()) {
        auto group = transaction.group;
        ++group->outstanding;
        animation->stopObservers.push_back([group](bool) {
            --group->outstanding;
            group->runIfDone();
        });
    }
}

}  // namespace plat
