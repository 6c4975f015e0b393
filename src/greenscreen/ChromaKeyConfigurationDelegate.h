#pragma once
#include <memory>

namespace plat {
class Color;
class Image;
class ViewController;
}  // namespace plat

namespace zt {

// What the green-screen configuration screens report to the camera; each
// passes the screen that sends it. The screens change nothing themselves.
// Main thread.
class ChromaKeyConfigurationDelegate {
public:
    virtual ~ChromaKeyConfigurationDelegate() = default;
    // A backdrop from the photo library.
    virtual void didSelectChangeBackDrop(plat::ViewController& sender) = 0;
    // didSelectChangeBackDrop:withImage: a given picture as backdrop.
    virtual void didSelectChangeBackDrop(plat::ViewController& sender, const std::shared_ptr<plat::Image>& image) = 0;
    // The project's last frame as backdrop.
    virtual void didSelectUseFrameAsBackdrop(plat::ViewController& sender) = 0;
    // didChangedFilterValue:value: the keying's threshold sensitivity.
    virtual void didChangedFilterValue(plat::ViewController& sender, float value) = 0;
    // didSelectChangeChromaKeyColor:withColor: a fixed key colour.
    virtual void didSelectChangeChromaKeyColor(plat::ViewController& sender, const plat::Color& color) = 0;
    // The key colour measured from the live picture.
    virtual void didSelectChangeAutoChromaKeyColor(plat::ViewController& sender) = 0;
    // The key colour back to green.
    virtual void didSelectResetChromaKeyColor(plat::ViewController& sender) = 0;
};

}  // namespace zt
