#include "app/MainViewController.h"

#include <numbers>

#include "app/ProjectExplorer.h"
#include "document/ProjectModel.h"
#include "editor/FrameEditorViewController.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Screen.h"

namespace zt {

namespace {

// The tall phone's screen side, in points.
constexpr double kTallPhoneSide = 568.0;

bool isTablet()
{
    return plat::Device::currentDevice().isTablet();
}

}  // namespace

MainViewController::MainViewController(std::string nibName)
    : plat::ViewController(std::move(nibName))
{
}

MainViewController::~MainViewController() = default;

void MainViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    if (_imageView)
        setUpLaunchPicture();
}

void MainViewController::setUpLaunchPicture()
{
    if (isTablet()) {
        _imageView->setImage(plat::Image::imageNamed("IpadLaunchImage-LandscapeLeft"));
        return;
    }
    const plat::Rect screen = plat::Screen::mainScreen().bounds();
    const bool tall = screen.height() == kTallPhoneSide || screen.width() == kTallPhoneSide;
    _imageView->setImage(plat::Image::imageNamed(tall ? "default-568h" : "default"));
    // The phone's launch pictures stand upright; the app runs turned.
    _imageView->setTransform(plat::AffineTransform::makeRotation(std::numbers::pi / 2));
    _imageView->setFrame(view()->frame());
}

bool MainViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return plat::isLandscape(orientation);
}

plat::Rect MainViewController::getOrientationCorrectedRectFromRect(plat::Rect rect) const
{
    if (rect.width() < rect.height())
        return plat::makeRect(rect.minX(), rect.minY(), rect.height(), rect.width());
    return rect;
}

void MainViewController::showProjectExplorerFromDefault()
{
    showProjectExplorerWithFade(ExplorerFade::Yes, ExplorerScaleAnimation::No);
}

void MainViewController::showProjectExplorerWithFade(ExplorerFade fade, ExplorerScaleAnimation scale)
{
    showProjectExplorer(fade, scale, std::nullopt);
}

void MainViewController::showProjectExplorer(
    ExplorerFade fade, ExplorerScaleAnimation scale, std::optional<std::string> projectPathToCentre)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto explorer = std::make_shared<ProjectExplorer>(isTablet() ? "ProjectExplorer_iPad" : "ProjectExplorer");
    explorer->setProjectPathToCentre(std::move(projectPathToCentre));
    explorer->setMessagesAfterWelcome(_messagesAfterWelcome);
    auto explorerView = explorer->view();
    explorerView->setFrame(getOrientationCorrectedRectFromRect(view()->frame()));
    if (fade == ExplorerFade::Yes)
        explorerView->setAlpha(0);
    explorer->setDelegate(sharedAs<MainViewController>());
    explorer->setShouldDisplayPorjectScaleAnimation(scale == ExplorerScaleAnimation::Yes);
    addChildViewController(explorer);
    _viewExplorer = explorer;
    view()->addSubview(explorerView);
    explorer->didMoveToParentViewController(this);
    if (fade == ExplorerFade::Yes)
        plat::View::animateWithDuration(kExplorerFadeSeconds, [&] { explorerView->setAlpha(1.0); });
    removeChild(_viewFrameEditor);
}

void MainViewController::showFrameEditorWithProject(std::shared_ptr<ProjectModel> project)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto editor = std::make_shared<FrameEditorViewController>(
        isTablet() ? FrameEditorViewController::kTabletLayout : FrameEditorViewController::kPhoneLayout,
        std::move(project));
    editor->setDelegate(sharedAs<MainViewController>());
    editor->view()->setFrame(getOrientationCorrectedRectFromRect(view()->frame()));
    _viewFrameEditor = editor;
    addChildViewController(editor);
    view()->addSubview(editor->view());
    editor->didMoveToParentViewController(this);
    std::shared_ptr<plat::ViewController> explorer = std::move(_viewExplorer);
    removeChild(explorer);
}

void MainViewController::removeChild(std::shared_ptr<plat::ViewController>& child)
{
    if (!child)
        return;
    child->willMoveToParentViewController(nullptr);
    child->removeFromParentViewController();
    child->view()->removeFromSuperview();
    child.reset();
}

void MainViewController::didFinishProjectExplorer(plat::ViewController&, std::shared_ptr<ProjectModel> project)
{
    showFrameEditorWithProject(std::move(project));
}

void MainViewController::didFinishFrameEditor(plat::ViewController& editor)
{
    // The project just edited comes back centred, though an import meanwhile moved it in the list.
    auto* frameEditor = dynamic_cast<FrameEditorViewController*>(&editor);
    auto project = frameEditor ? frameEditor->project() : nullptr;
    showProjectExplorer(
        ExplorerFade::No, ExplorerScaleAnimation::Yes, project ? project->getProjectPath() : std::nullopt);
}

}  // namespace zt
