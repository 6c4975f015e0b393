#include "uikit/SPSidePanelView.h"

namespace zt {

SPSidePanelView::SPSidePanelView()
    : _userInteractionEnabled(plat::View::isUserInteractionEnabled())
{
}

SPSidePanelView::SPSidePanelView(plat::Rect frame)
    : plat::View(frame)
    , _userInteractionEnabled(plat::View::isUserInteractionEnabled())
{
}

void SPSidePanelView::setUserInteractionEnabled(bool enabled)
{
    _userInteractionEnabled = enabled;
    plat::View::setUserInteractionEnabled(_allowUserInteractionEnabled && _userInteractionEnabled);
}

void SPSidePanelView::setAllowUserInteractionEnabled(bool allow)
{
    _allowUserInteractionEnabled = allow;
    plat::View::setUserInteractionEnabled(_allowUserInteractionEnabled && _userInteractionEnabled);
}

}  // namespace zt
