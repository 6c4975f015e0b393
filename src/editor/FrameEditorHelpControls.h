#pragma once
#include <memory>

namespace plat {
class View;
}

namespace zt {

// The frame editor's views that its help overlay and coach marks point at.
// Spots are taken in screenView's coordinates, whatever view holds the
// control. A control left out gets no bubble (or coach mark).
struct FrameEditorHelpControls {
    std::shared_ptr<plat::View> screenView;
    std::shared_ptr<plat::View> btnExplorer;
    std::shared_ptr<plat::View> btnAudio;
    std::shared_ptr<plat::View> btnMusic;
    std::shared_ptr<plat::View> btnTheme;
    std::shared_ptr<plat::View> btnCamera;
    std::shared_ptr<plat::View> btnMore;
    std::shared_ptr<plat::View> btnPlay;
    std::shared_ptr<plat::View> viewPlayerViewController;
    std::shared_ptr<plat::View> imageViewFrame;
};

}  // namespace zt
