#pragma once
// The alerts a screen shows: every visible one below a view, front last.
#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/AlertView.h"
#include "platform/ui/View.h"

namespace plat::test {

inline std::vector<std::shared_ptr<AlertView>> shownAlertsIn(const std::shared_ptr<View>& root)
{
    std::vector<std::shared_ptr<AlertView>> found;
    std::function<void(const std::shared_ptr<View>&)> search = [&](const std::shared_ptr<View>& view) {
        if (auto alert = std::dynamic_pointer_cast<AlertView>(view); alert && alert->isVisible())
            found.push_back(alert);
        for (const auto& subview : view->subviews())
            search(subview);
    };
    if (root)
        search(root);
    return found;
}

// The frontmost visible alert below the view; none without one.
inline std::shared_ptr<AlertView> shownAlertIn(const std::shared_ptr<View>& root)
{
    auto alerts = shownAlertsIn(root);
    return alerts.empty() ? nullptr : alerts.back();
}

}  // namespace plat::test
