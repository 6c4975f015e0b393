#pragma once
#include <memory>

#include "platform/ui/BarButtonItem.h"

namespace plat::detail {

// The view a bar (toolbar, navigation bar) shows for an item: the item's
// custom view, or a system button of its title, image or system item,
// sized to its content (or the item's width) and as high as the bar, that
// relays taps to the item. Spaces have none. The item remembers the view.
std::shared_ptr<View> makeBarItemView(const std::shared_ptr<BarButtonItem>& item, double barHeight);

}  // namespace plat::detail
