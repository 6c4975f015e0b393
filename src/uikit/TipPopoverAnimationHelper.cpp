#include "uikit/TipPopoverAnimationHelper.h"

namespace zt {

namespace {

TipPopoverAnimationHelper::Block alphaBlock(std::weak_ptr<plat::View> weakView, double alpha)
{
    return [weakView = std::move(weakView), alpha] {
        if (auto view = weakView.lock())
            view->setAlpha(alpha);
    };
}

}  // namespace

TipPopoverAnimationHelper::TipPopoverAnimationHelper(std::weak_ptr<plat::View> annotationView)
    : _annotationView(annotationView)
    , _prepareBlock(alphaBlock(annotationView, 0))
    , _presentAnimationsBlock(alphaBlock(annotationView, 1))
    , _dismissAnimationsBlock(alphaBlock(annotationView, 0))
{
}

void TipPopoverAnimationHelper::safePerformBlock(const Block& block)
{
    if (block)
        block();
}

void TipPopoverAnimationHelper::safePerformCompletionBlock(const CompletionBlock& block, bool finished)
{
    if (block)
        block(finished);
}

}  // namespace zt
