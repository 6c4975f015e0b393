#pragma once
#include "platform/foundation/Geometry.h"

namespace plat {

// The device's screen: bounds in points (landscape, as the app runs), the
// scale, and the application frame (the bounds less a shown status bar).
// Main thread.
class Screen {
public:
    static Screen& mainScreen();

    Rect bounds() const;
    double scale() const;
    Rect applicationFrame() const;

private:
    Screen() = default;
};

}  // namespace plat
