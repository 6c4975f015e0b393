#pragma once
#include <memory>

namespace plat {
class ImageView;
class Label;
}  // namespace plat

namespace zt {

// The line over the editor's picture that says why it shows nothing: the
// current frame's picture cannot be read (damaged or gone). Made on first
// use, moved onto whichever picture view shows the frame. Main thread.
class UnreadablePictureNote {
public:
    static constexpr double kMaximumWidth = 380;
    static constexpr double kHeight = 64;
    static constexpr double kMargin = 16;

    // Shown centred over picture when unreadable, hidden otherwise.
    void update(const std::shared_ptr<plat::ImageView>& picture, bool unreadable);
    const std::shared_ptr<plat::Label>& label() const { return _label; }

private:
    std::shared_ptr<plat::Label> _label;
};

}  // namespace zt
