#include "platform/ui/Screen.h"

#include <utility>

#include "platform/ui/Application.h"
#include "platform/ui/Device.h"

namespace plat {

Screen& Screen::mainScreen()
{
    static Screen screen;
    return screen;
}

Rect Screen::bounds() const
{
    // Landscape as the device is made; a portrait interface turns the bounds, as the platform's do.
    Size size = Device::currentDevice().screenSize();
    InterfaceOrientation orientation = Application::sharedApplication().statusBarOrientation();
    if (orientation == InterfaceOrientation::Portrait || orientation == InterfaceOrientation::PortraitUpsideDown)
        std::swap(size.width, size.height);
    return {{0, 0}, size};
}

double Screen::scale() const
{
    return Device::currentDevice().screenScale();
}

Rect Screen::applicationFrame() const
{
    Rect frame = bounds();
    double bar = Application::sharedApplication().statusBarFrame().height();
    frame.origin.y += bar;
    frame.size.height -= bar;
    return frame;
}

}  // namespace plat
