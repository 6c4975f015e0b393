#pragma once
#include "platform/ui/View.h"

namespace zt {

// The side-panel container's root view: it takes touches only while both
// its own request and the container's permission allow them, so that the
// container can shut touches out during its animations without losing
// what others asked for. Main thread.
class SPSidePanelView : public plat::View {
public:
    SPSidePanelView();
    explicit SPSidePanelView(plat::Rect frame);

    void setUserInteractionEnabled(bool enabled) override;
    bool allowUserInteractionEnabled() const { return _allowUserInteractionEnabled; }
    void setAllowUserInteractionEnabled(bool allow);

private:
    bool _userInteractionEnabled;
    bool _allowUserInteractionEnabled = true;
};

}  // namespace zt
