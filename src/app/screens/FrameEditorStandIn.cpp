#include "app/screens/FrameEditorStandIn.h"

#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "app/Frame.h"
#include "app/FrameFiles.h"
#include "app/FrameList.h"
#include "app/ImageProducer.h"
#include "app/MainViewControllerDelegate.h"
#include "app/ProjectModel.h"
#include "app/screens/AppAlerts.h"
#include "capture/CaptureViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"

namespace zt {

namespace {

const plat::Color kAppTint = plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1);
constexpr double kMargin = 10;
constexpr double kButtonWidth = 110;
constexpr double kButtonHeight = 44;
constexpr const char* kErrorDomain = "FrameEditorStandInErrorDomain";
constexpr int64_t kPictureNotStoredError = 1;

std::shared_ptr<plat::Button> makeButton(const std::string& title)
{
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    button->setTitle(plat::localized(title), plat::ControlStateNormal);
    button->setTitleColor(plat::Color::whiteColor(), plat::ControlStateNormal);
    button->setBackgroundColor(kAppTint);
    return button;
}

}  // namespace

FrameEditorStandIn::FrameEditorStandIn(std::shared_ptr<ProjectModel> project)
    : _project(std::move(project))
{
}

bool FrameEditorStandIn::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return plat::isLandscape(orientation);
}

void FrameEditorStandIn::loadView()
{
    const plat::Rect bounds = plat::Screen::mainScreen().bounds();
    auto root = std::make_shared<plat::View>(bounds);
    root->setBackgroundColor(plat::Color::colorWithWhite(0.12, 1));
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);

    _labelName = std::make_shared<plat::Label>(
        plat::makeRect(kMargin, kMargin, bounds.width() - 4 * kMargin - 3 * kButtonWidth, 24));
    _labelName->setFont(plat::Font::boldSystemFontOfSize(18));
    _labelName->setTextColor(plat::Color::whiteColor());
    root->addSubview(_labelName);
    _labelFrames = std::make_shared<plat::Label>(
        plat::makeRect(kMargin, kMargin + 26, bounds.width() - 4 * kMargin - 3 * kButtonWidth, 18));
    _labelFrames->setFont(plat::Font::systemFontOfSize(14));
    _labelFrames->setTextColor(plat::Color::lightGrayColor());
    root->addSubview(_labelFrames);

    auto capture = makeButton("Capture");
    capture->setFrame(
        plat::makeRect(bounds.width() - 3 * (kButtonWidth + kMargin), kMargin, kButtonWidth, kButtonHeight));
    capture->addTarget(this, &FrameEditorStandIn::actionCapture, plat::ControlEventTouchUpInside);
    root->addSubview(capture);
    auto add = makeButton("Add Frame");
    add->setFrame(plat::makeRect(bounds.width() - 2 * (kButtonWidth + kMargin), kMargin, kButtonWidth, kButtonHeight));
    add->addTarget(this, &FrameEditorStandIn::actionAddFrame, plat::ControlEventTouchUpInside);
    root->addSubview(add);
    auto done = makeButton("Done");
    done->setFrame(plat::makeRect(bounds.width() - kButtonWidth - kMargin, kMargin, kButtonWidth, kButtonHeight));
    done->addTarget(this, &FrameEditorStandIn::actionDone, plat::ControlEventTouchUpInside);
    root->addSubview(done);

    const double top = 2 * kMargin + kButtonHeight;
    _imageViewLastFrame = std::make_shared<plat::ImageView>(
        plat::makeRect(kMargin, top, bounds.width() - 2 * kMargin, bounds.height() - top - kMargin));
    _imageViewLastFrame->setContentMode(plat::ContentMode::ScaleAspectFit);
    root->addSubview(_imageViewLastFrame);

    setView(root);
    setOutlet("labelName", _labelName);
    setOutlet("labelFrames", _labelFrames);
    setOutlet("imageViewLastFrame", _imageViewLastFrame);
    showProject();
}

void FrameEditorStandIn::showProject()
{
    auto metadata = _project->getMetaData();
    _labelName->setText(metadata ? metadata->getString("RecordName").value_or("") : std::string());
    const int64_t pictures = _project->getFrameList().count() - 1;  // less the capture placeholder
    _labelFrames->setText(plat::formatLine("{} {}", pictures, plat::localized(pictures == 1 ? "Frame" : "Frames")));
    ImageProducer producer(_project);
    const FrameList& list = _project->getFrameList();
    int64_t capture = list.getCaptureIndex();
    int64_t last = (capture == plat::kNotFound ? list.count() : capture) - 1;
    _imageViewLastFrame->setImage(last >= 0 ? producer.getPreviewImageForFrameAtIndex(last) : nullptr);
}

std::shared_ptr<plat::Image> FrameEditorStandIn::makeNumberedPicture(int64_t number)
{
    auto context = plat::GraphicsContext::bitmapContext(kPictureWidth, kPictureHeight, 1, plat::ContextOpacity::Opaque);
    // A hue that walks round the circle, so neighbouring frames differ.
    double hue = std::fmod(0.13 * static_cast<double>(number), 1.0);
    context->setFillColor(plat::Color::colorWithHue(hue, 0.35, 0.9, 1));
    context->fillRect(plat::makeRect(0, 0, kPictureWidth, kPictureHeight));
    context->setFillColor(kAppTint);
    double x = 80 + std::fmod(60.0 * static_cast<double>(number), kPictureWidth - 160.0);
    context->fillEllipseInRect(plat::makeRect(x - 50, kPictureHeight / 2.0 - 50, 100, 100));
    context->setFillColor(plat::Color::colorWithWhite(0.1, 1));
    context->drawText(std::to_string(number), plat::makeRect(0, 30, kPictureWidth, 120),
        plat::Font::boldSystemFontOfSize(96), plat::LineBreakMode::Clipping, plat::TextAlignment::Center);
    return context->makeImage();
}

void FrameEditorStandIn::actionAddFrame()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    FrameList& list = _project->getFrameList();
    if (list.getCaptureIndex() == plat::kNotFound)
        list.addFrame(Frame(FrameTypeCapturePlaceholder));
    Frame frame(FrameTypePicture);
    ImageProducer producer(_project);
    std::optional<plat::Error> error;
    if (!producer.storeImage(*makeNumberedPicture(list.count()), frame.frameID(), &error)) {
        showFailureAlert(plat::localized("The frame could not be added."),
            error.value_or(plat::Error(kErrorDomain, kPictureNotStoredError, "The picture could not be stored.")));
        return;
    }
    const int64_t index = list.getCaptureIndex();
    list.insertFrame(frame, index);
    auto metadata = _project->getMetaData();
    const char* changedKeys[] = {"META_RECORD_THUMB_FRAME_ID", "CurrentFrameIndex", "RecordNeedsRendering"};
    std::vector<plat::Value> before;
    if (metadata) {
        for (const char* key : changedKeys)
            before.push_back(metadata->get(key));
        metadata->set("META_RECORD_THUMB_FRAME_ID", frame.frameID());
        metadata->set("CurrentFrameIndex", index);
        metadata->set("RecordNeedsRendering", true);
    }
    auto saved = _project->saveAllDataToDisk();
    if (!saved.ok()) {
        // Only a stored frame is shown: the project goes back to what is on disk.
        list.removeFrameAtIndex(list.getIndexForFrame(frame));
        for (size_t i = 0; i < before.size(); ++i)
            metadata->set(changedKeys[i], before[i]);
        if (const auto& folder = _project->getProjectPath()) {
            auto removed = FrameFiles::deleteFilesOfFrame(*folder, frame.frameID());
            if (!removed.ok())
                plat::log("frame editor stand-in: pictures of an unsaved frame stay: {}", removed.failureDescription());
        }
        showFailureAlert(plat::localized("The frame could not be added."), saved.error());
    }
    showProject();
}

void FrameEditorStandIn::viewWillAppear(bool animated)
{
    plat::ViewController::viewWillAppear(animated);
    showProject();
}

void FrameEditorStandIn::actionCapture()
{
    const bool tablet = plat::Device::currentDevice().isTablet();
    auto capture = std::make_shared<CaptureViewController>(
        tablet ? CaptureViewController::kTabletLayout : CaptureViewController::kPhoneLayout, _project);
    capture->setModalPresentationStyle(plat::ModalPresentationStyle::FullScreen);
    capture->setModalTransitionStyle(plat::ModalTransitionStyle::CrossDissolve);
    presentViewController(capture, /*animated=*/true, nullptr);
}

void FrameEditorStandIn::actionDone()
{
    auto keepAlive = sharedAs<FrameEditorStandIn>();  // the root container lets go of us
    // Every change was saved as it was made; a last failure is told before the editor goes.
    if (auto saved = _project->saveAllDataToDisk(); !saved.ok())
        showFailureAlert(plat::localized("The project could not be saved."), saved.error());
    if (auto delegate = _delegate.lock())
        delegate->didFinishFrameEditor(*this);
}

}  // namespace zt
