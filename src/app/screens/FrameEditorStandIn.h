#pragma once
#include <memory>

#include "platform/ui/ViewController.h"

namespace plat {
class Image;
class ImageView;
class Label;
}  // namespace plat

namespace zt {
class MainViewControllerDelegate;
class ProjectModel;

// Stands in for the frame editor until it is built: it shows the project
// handed over by the root container, adds numbered picture frames (so that
// a new project gets a folder and a list entry, as capturing does), opens
// the capture screen over itself, and closes with Done, which saves the
// project and tells the root container. Main thread.
class FrameEditorStandIn : public plat::ViewController {
public:
    static constexpr int kPictureWidth = 960;
    static constexpr int kPictureHeight = 540;

    explicit FrameEditorStandIn(std::shared_ptr<ProjectModel> project);

    const std::shared_ptr<ProjectModel>& project() const { return _project; }
    void setDelegate(std::weak_ptr<MainViewControllerDelegate> delegate) { _delegate = std::move(delegate); }

    void loadView() override;
    // Shows the project again, as the capture screen may have added frames.
    void viewWillAppear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;

    // A new picture before the capture placeholder, stored and saved like a captured frame.
    void actionAddFrame();
    // Presents the capture screen over the stand-in, as the editor does on a phone.
    void actionCapture();
    void actionDone();

    // The numbered picture of the frame at that position (1 for the first).
    static std::shared_ptr<plat::Image> makeNumberedPicture(int64_t number);

private:
    void showProject();

    std::shared_ptr<ProjectModel> _project;
    std::weak_ptr<MainViewControllerDelegate> _delegate;
    std::shared_ptr<plat::Label> _labelName;
    std::shared_ptr<plat::Label> _labelFrames;
    std::shared_ptr<plat::ImageView> _imageViewLastFrame;
};

}  // namespace zt
