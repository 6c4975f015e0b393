#pragma once
#include <functional>
#include <memory>

namespace plat {
class ViewController;
}

namespace plat::detail {

// Modal presentation and dismissal of view controllers: the links between
// presenter and presented, the views in the window (a covered presenter's
// view leaves it), the dimming behind a sheet, the transition animations and
// the appearance calls in the platform's order. Main thread.
class ModalPresentation {
public:
    static void present(ViewController& requester, std::shared_ptr<ViewController> controller, bool animated,
        std::function<void()> completion);
    static void dismiss(ViewController& requester, bool animated, std::function<void()> completion);

private:
    static void finishPresentation(ViewController& presenter, const std::shared_ptr<ViewController>& presented,
        bool coversPresenter, std::function<void()> completion);
    static void finishDismissal(ViewController& presenter, const std::shared_ptr<ViewController>& presented,
        bool coveredPresenter, std::function<void()> completion);
};

}  // namespace plat::detail
