#pragma once
#include <memory>
#include <vector>

#include "platform/ui/LayerDamage.h"

namespace plat {
class Bitmap;
class GraphicsContext;
class Window;
}  // namespace plat

namespace plat::detail {

// The picture of a window, kept between draws: each update draws again only
// the pixels where what the window shows changed, clipped to those areas,
// and keeps the rest. Its pixels are those of a whole picture of the window
// at that moment (snapshotWindow at the same scale). Main thread.
class WindowCompositor {
public:
    // scale: pixels per point of the picture.
    explicit WindowCompositor(double scale);
    ~WindowCompositor();
    WindowCompositor(const WindowCompositor&) = delete;
    WindowCompositor& operator=(const WindowCompositor&) = delete;

    // Brings the picture up to date with the window as it shows now (laid
    // out first); gives the areas drawn again, none when nothing changed.
    std::vector<PixelRect> update(Window& window);
    // The next update draws every pixel.
    void forget();
    // A layer the window showed at the last update has animations running: update again soon.
    bool isAnimating() const { return _animating; }
    // Premultiplied BGRA, opaque; nullptr before the first update.
    const Bitmap* picture() const;

private:
    double _scale;
    std::unique_ptr<GraphicsContext> _context;
    LayerDamage _damage;
    bool _animating = false;
};

}  // namespace plat::detail
