#pragma once
#include <memory>
#include <optional>
#include <string>

#include "document/MainViewControllerDelegate.h"
#include "platform/ui/ViewController.h"

namespace plat {
class ImageView;
}

namespace zt {
class MessagesAfterWelcome;
class ProjectExplorer;

enum class ExplorerFade { No, Yes };
enum class ExplorerScaleAnimation { No, Yes };

// The window's root screen. It shows one of two screens at a time, the
// project explorer or the frame editor of one project, as its only child,
// and swaps them when one of them finishes; a new screen's view goes on top
// before the old one is removed. Behind them it may show the launch picture
// (when the layout connects "imageView"). Landscape only. Main thread.
class MainViewController : public plat::ViewController, public MainViewControllerDelegate {
public:
    static constexpr double kExplorerFadeSeconds = 1.0;

    explicit MainViewController(std::string nibName);  // initWithNibName:bundle:
    ~MainViewController() override;

    void viewDidLoad() override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;

    // The first explorer, fading in.
    void showProjectExplorerFromDefault();
    // showProjectExplorerWithFade:orScale:
    void showProjectExplorerWithFade(ExplorerFade fade, ExplorerScaleAnimation scale);
    void showFrameEditorWithProject(std::shared_ptr<ProjectModel> project);
    // The same origin with the longer side as the width.
    plat::Rect getOrientationCorrectedRectFromRect(plat::Rect rect) const;

    void didFinishProjectExplorer(plat::ViewController& explorer, std::shared_ptr<ProjectModel> project) override;
    void didFinishFrameEditor(plat::ViewController& editor) override;

    const std::shared_ptr<plat::ImageView>& imageView() const { return _imageView; }
    void setImageView(std::shared_ptr<plat::ImageView> imageView) { _imageView = std::move(imageView); }
    const std::shared_ptr<ProjectExplorer>& viewExplorer() const { return _viewExplorer; }
    // Where the explorers it shows send their messages of screen entry.
    void setMessagesAfterWelcome(std::shared_ptr<MessagesAfterWelcome> messages)
    {
        _messagesAfterWelcome = std::move(messages);
    }
    const std::shared_ptr<plat::ViewController>& viewFrameEditor() const { return _viewFrameEditor; }

private:
    void setUpLaunchPicture();
    // The explorer, with the project in that folder centred when there is one.
    void showProjectExplorer(
        ExplorerFade fade, ExplorerScaleAnimation scale, std::optional<std::string> projectPathToCentre);
    void removeChild(std::shared_ptr<plat::ViewController>& child);

    std::shared_ptr<plat::ImageView> _imageView;  // outlet, may be absent
    std::shared_ptr<ProjectExplorer> _viewExplorer;
    std::shared_ptr<plat::ViewController> _viewFrameEditor;
    std::shared_ptr<MessagesAfterWelcome> _messagesAfterWelcome;
};

}  // namespace zt
