#include "editor/FrameEditorLayouts.h"

#include <initializer_list>

#include "editor/FrameEditorViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ScrollView.h"
#include "uikit/AppTint.h"

namespace zt {

namespace {

using Editor = FrameEditorViewController;

const plat::Color kPanelColor = plat::Color::colorWithWhite(0.10, 1);
const plat::Color kBackdropColor = plat::Color::colorWithWhite(0.05, 1);
const plat::Color kHintColor = plat::Color::colorWithWhite(0.92, 1);
constexpr double kHintShadeAlpha = 0.6;
constexpr double kHintShadeCornerRadius = 12;
constexpr double kHintShadeMargin = 12;

// The phone's strip container shows one lane of the strip at a time, the
// thumbnails or (scrolled down by its height) the audio lanes.
constexpr double kPhoneContainerHeight = 104;
constexpr double kPhoneSideWidth = 92;
constexpr int kPhoneRows = 5;
// The tablet: the capture screen at the top, the toolbar below it and the
// strip at the bottom. The toolbar's popovers open upwards from it, over the
// capture screen, so the bar must leave them room above.
constexpr double kTabletBarHeight = 56;
constexpr double kTabletButtonSide = 56;
constexpr double kTabletContainerHeight = 134;
constexpr plat::Size kTabletJumps {100, 30};
constexpr double kTabletJumpsX = 416;
// Play right of the jump buttons, far enough that the help overlay's
// bubbles for the two do not meet.
constexpr double kTabletPlayX = 600;
constexpr plat::Size kSingleFrameButton {56, 56};
constexpr double kSingleFrameMargin = 6;

std::shared_ptr<plat::Button> makeToolButton(
    const std::string& image, const std::string& label, const std::string& selectedImage = {})
{
    auto button = plat::Button::buttonWithType(plat::ButtonType::Custom);
    button->setImage(plat::Image::imageNamed(image), plat::ControlStateNormal);
    if (!selectedImage.empty())
        button->setImage(plat::Image::imageNamed(selectedImage), plat::ControlStateSelected);
    button->setAccessibilityLabel(plat::localized(label));
    button->setShowsTouchWhenHighlighted(true);
    return button;
}

struct Buttons {
    std::shared_ptr<plat::Button> explorer = makeToolButton("frameedit_btn_projects", "Projects");
    std::shared_ptr<plat::Button> audio = makeToolButton("frameedit_btn_voice", "Voice-over");
    std::shared_ptr<plat::Button> music = makeToolButton("frameedit_btn_media", "Add Media");
    std::shared_ptr<plat::Button> theme = makeToolButton("frameedit_btn_look", "Movie Look");
    std::shared_ptr<plat::Button> camera = makeToolButton("frameedit_btn_camera", "Capture");
    std::shared_ptr<plat::Button> play = makeToolButton("frameedit_btn_play", "Play", "frameedit_btn_stop");
    std::shared_ptr<plat::Button> more = makeToolButton("frameedit_btn_options", "Playback Options");
    std::shared_ptr<plat::Button> help = makeToolButton("frameedit_btn_help", "Help");
    std::shared_ptr<plat::Button> backward = makeToolButton("frameedit_btn_first", "First Frame");
    std::shared_ptr<plat::Button> forward = makeToolButton("frameedit_btn_capture_frame", "Capture Frame");
};

std::shared_ptr<plat::View> makeMask(plat::Rect frame, Editor::Outlets& outlets)
{
    auto mask = std::make_shared<plat::View>(frame);
    mask->setUserInteractionEnabled(false);
    mask->setHidden(true);
    outlets.viewMaskUpper = std::make_shared<plat::View>(plat::makeRect(0, 0, frame.width(), 0));
    outlets.viewMaskLower = std::make_shared<plat::View>(plat::makeRect(0, frame.height(), frame.width(), 0));
    for (const auto& bar : {outlets.viewMaskUpper, outlets.viewMaskLower}) {
        bar->setBackgroundColor(plat::Color::blackColor());
        mask->addSubview(bar);
    }
    return mask;
}

std::shared_ptr<plat::View> makeEmptyHint(plat::Rect frame, Editor::Outlets& outlets)
{
    auto hint = std::make_shared<plat::View>(frame);
    hint->setUserInteractionEnabled(false);
    // Wider than the hint, so that its shade reaches past the ends of the longest line.
    const plat::Rect box = hint->bounds();
    outlets.labelEmptyHelp = std::make_shared<plat::Label>(
        plat::makeRect(box.minX() - kHintShadeMargin, box.minY(), box.width() + 2 * kHintShadeMargin, box.height()));
    outlets.labelEmptyHelp->setFont(plat::Font::fontWithName("Chalkduster", Editor::kEmptyHintFontSize));
    outlets.labelEmptyHelp->setTextColor(kHintColor);
    outlets.labelEmptyHelp->setTextAlignment(plat::TextAlignment::Center);
    outlets.labelEmptyHelp->setNumberOfLines(0);
    // A shade behind the words keeps them readable over any picture the camera shows.
    outlets.labelEmptyHelp->setBackgroundColor(plat::Color::colorWithWhite(0, kHintShadeAlpha));
    outlets.labelEmptyHelp->layer()->setCornerRadius(kHintShadeCornerRadius);
    hint->addSubview(outlets.labelEmptyHelp);
    return hint;
}

// The crop, mask, paint and merge buttons on a dark rounded bar; shown over
// the picture on a tap (so they start out of the view tree, transparent).
std::shared_ptr<plat::View> makeSingleFrameControls(Editor::Outlets& outlets)
{
    constexpr int kButtons = 4;
    auto bar = std::make_shared<plat::View>(
        plat::makeRect(0, 0, kButtons * kSingleFrameButton.width + (kButtons + 1) * kSingleFrameMargin,
            kSingleFrameButton.height + 2 * kSingleFrameMargin));
    bar->setBackgroundColor(plat::Color::colorWithWhite(0, 0.7));
    bar->layer()->setCornerRadius(10);
    bar->setAlpha(0);
    outlets.btnImageEdit = makeToolButton("frameedit_icon_crop", "Crop");
    outlets.btnImageMask = makeToolButton("frameedit_icon_mask", "Mask");
    outlets.btnImagePaint = makeToolButton("frameedit_icon_paint", "Paint");
    outlets.btnImageMerge = makeToolButton("frameedit_icon_merge", "Merge");
    double x = kSingleFrameMargin;
    for (const auto& button :
        {outlets.btnImageEdit, outlets.btnImageMask, outlets.btnImagePaint, outlets.btnImageMerge}) {
        button->setFrame(plat::makeRect(x, kSingleFrameMargin, kSingleFrameButton.width, kSingleFrameButton.height));
        bar->addSubview(button);
        x += kSingleFrameButton.width + kSingleFrameMargin;
    }
    return bar;
}

void connect(plat::ViewController& owner, Editor::Outlets outlets, const Buttons& buttons)
{
    outlets.btnExplorer = buttons.explorer;
    outlets.btnAudio = buttons.audio;
    outlets.btnMusic = buttons.music;
    outlets.btnTheme = buttons.theme;
    outlets.btnCamera = buttons.camera;
    outlets.btnPlay = buttons.play;
    outlets.btnMore = buttons.more;
    outlets.btnHelp = buttons.help;
    outlets.btnBackward = buttons.backward;
    outlets.btnForward = buttons.forward;
    const std::initializer_list<std::pair<const char*, std::shared_ptr<plat::View>>> named {
        {"viewPlayerViewController", outlets.viewPlayerViewController},
        {"viewTimelineViewController", outlets.viewTimelineViewController}, {"imageViewFrame", outlets.imageViewFrame},
        {"btnExplorer", outlets.btnExplorer}, {"btnAudio", outlets.btnAudio}, {"btnCamera", outlets.btnCamera},
        {"btnMore", outlets.btnMore}, {"btnPlay", outlets.btnPlay}, {"btnMusic", outlets.btnMusic},
        {"btnHelp", outlets.btnHelp}, {"btnTheme", outlets.btnTheme}, {"viewEmptyHelp", outlets.viewEmptyHelp},
        {"labelEmptyHelp", outlets.labelEmptyHelp}, {"viewRightControls", outlets.viewRightControls},
        {"viewLeftControls", outlets.viewLeftControls}, {"viewRightControlsBg", outlets.viewRightControlsBg},
        {"viewLeftControlsBg", outlets.viewLeftControlsBg}, {"viewCaptureView", outlets.viewCaptureView},
        {"viewFade", outlets.viewFade}, {"viewAspectRatioMask", outlets.viewAspectRatioMask},
        {"_imageViewForeground", outlets.imageViewForeground},
        {"_viewSingleFrameEditControls", outlets.viewSingleFrameEditControls}, {"_btnImageEdit", outlets.btnImageEdit},
        {"_btnImageMask", outlets.btnImageMask}, {"_btnImagePaint", outlets.btnImagePaint},
        {"_btnImageMerge", outlets.btnImageMerge}, {"_btnBackward", outlets.btnBackward},
        {"_btnForward", outlets.btnForward}, {"_viewSeperator", outlets.viewSeperator},
        {"_viewMaskUpper", outlets.viewMaskUpper}, {"_viewMaskLower", outlets.viewMaskLower}};
    for (const auto& [name, view] : named)
        if (view)
            owner.setOutlet(name, view);
    auto* editor = dynamic_cast<Editor*>(&owner);
    if (!editor)
        return;
    auto bind = [editor](const std::shared_ptr<plat::Button>& button, void (Editor::*action)()) {
        button->addTarget(editor, action, plat::ControlEventTouchUpInside);
    };
    bind(outlets.btnExplorer, &Editor::actionProjectExplorer);
    bind(outlets.btnAudio, &Editor::actionAudio);
    bind(outlets.btnMusic, &Editor::actionMusic);
    bind(outlets.btnTheme, &Editor::actionTheme);
    bind(outlets.btnCamera, &Editor::actionCamera);
    bind(outlets.btnPlay, &Editor::actionPlayPreview);
    bind(outlets.btnMore, &Editor::actionMore);
    bind(outlets.btnHelp, &Editor::actionHelp);
    bind(outlets.btnBackward, &Editor::actionBackToFirstFrame);
    bind(outlets.btnForward, &Editor::actionGotoCaptureFrame);
    bind(outlets.btnImageEdit, &Editor::actionImageEdit);
    bind(outlets.btnImageMask, &Editor::actionMask);
    bind(outlets.btnImagePaint, &Editor::actionDraw);
    bind(outlets.btnImageMerge, &Editor::actionMergeImages);
    editor->setOutlets(std::move(outlets));
}

std::shared_ptr<plat::ImageView> makePanelBackground(plat::Rect frame)
{
    auto background = std::make_shared<plat::ImageView>(frame);
    background->setBackgroundColor(kPanelColor);
    background->setUserInteractionEnabled(false);
    return background;
}

std::shared_ptr<plat::ImageView> makePicture(plat::Rect frame)
{
    auto picture = std::make_shared<plat::ImageView>(frame);
    picture->setContentMode(plat::ContentMode::ScaleAspectFit);
    picture->setClipsToBounds(true);
    return picture;
}

std::shared_ptr<plat::View> makeFade(plat::Rect frame)
{
    auto fade = std::make_shared<plat::View>(frame);
    fade->setBackgroundColor(plat::Color::blackColor());
    fade->setAlpha(0);
    fade->setUserInteractionEnabled(false);
    return fade;
}

// A phone: the picture in the middle, a column of buttons on each side and
// the strip (or timeline) below. The editor places the picture and the
// columns again by the screen's size (layoutViews).
std::shared_ptr<plat::View> buildPhoneEditor(plat::ViewController& owner)
{
    const plat::Rect screen = plat::Screen::mainScreen().bounds();
    auto root = std::make_shared<plat::View>(screen);
    root->setBackgroundColor(plat::Color::blackColor());
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    const double pictureHeight = screen.height() - kPhoneContainerHeight;
    const double pictureWidth = screen.width() - 2 * kPhoneSideWidth;
    const plat::Rect picture = plat::makeRect(kPhoneSideWidth, 0, pictureWidth, pictureHeight);

    Editor::Outlets outlets;
    outlets.viewSeperator = std::make_shared<plat::View>(plat::makeRect(0, 0, screen.width(), pictureHeight));
    outlets.viewSeperator->setBackgroundColor(kBackdropColor);
    outlets.viewSeperator->setUserInteractionEnabled(false);
    outlets.imageViewFrame = makePicture(picture);
    outlets.imageViewFrame->setUserInteractionEnabled(true);
    outlets.imageViewForeground = makePicture(picture);
    outlets.imageViewForeground->setUserInteractionEnabled(false);
    outlets.viewFade = makeFade(picture);
    outlets.viewAspectRatioMask = makeMask(picture, outlets);

    Buttons buttons;
    outlets.viewLeftControls = std::make_shared<plat::View>(plat::makeRect(0, 0, kPhoneSideWidth, pictureHeight));
    outlets.viewRightControls = std::make_shared<plat::View>(
        plat::makeRect(screen.width() - kPhoneSideWidth, 0, kPhoneSideWidth, pictureHeight));
    outlets.viewLeftControlsBg = makePanelBackground(outlets.viewLeftControls->bounds());
    outlets.viewRightControlsBg = makePanelBackground(outlets.viewRightControls->bounds());
    outlets.viewLeftControls->addSubview(outlets.viewLeftControlsBg);
    outlets.viewRightControls->addSubview(outlets.viewRightControlsBg);
    const double row = pictureHeight / kPhoneRows;
    auto column
        = [&](const std::shared_ptr<plat::View>& panel, std::initializer_list<std::shared_ptr<plat::Button>> list) {
              double y = 0;
              for (const auto& button : list) {
                  button->setFrame(plat::makeRect(0, y, kPhoneSideWidth, row));
                  panel->addSubview(button);
                  y += row;
              }
          };
    column(outlets.viewLeftControls, {buttons.explorer, buttons.audio, buttons.music, buttons.theme, buttons.backward});
    column(outlets.viewRightControls, {buttons.camera, buttons.play, buttons.more, buttons.help, buttons.forward});

    // Low enough that the turned label's corner stays on the screen.
    outlets.viewEmptyHelp = makeEmptyHint(plat::makeRect(picture.maxX() - 190, 26, 180, 70), outlets);
    outlets.viewSingleFrameEditControls = makeSingleFrameControls(outlets);

    outlets.viewPlayerViewController
        = std::make_shared<plat::ScrollView>(plat::makeRect(0, pictureHeight, screen.width(), kPhoneContainerHeight));
    outlets.viewTimelineViewController
        = std::make_shared<plat::View>(plat::makeRect(0, pictureHeight, screen.width(), kPhoneContainerHeight));
    for (const auto& view : std::initializer_list<std::shared_ptr<plat::View>> {outlets.viewSeperator,
             outlets.imageViewFrame, outlets.imageViewForeground, outlets.viewAspectRatioMask, outlets.viewFade,
             outlets.viewLeftControls, outlets.viewRightControls, outlets.viewEmptyHelp,
             outlets.viewPlayerViewController, outlets.viewTimelineViewController})
        root->addSubview(view);
    connect(owner, std::move(outlets), buttons);
    return root;
}

// A tablet: the capture screen (whose live picture and onion skin are the
// big picture) at the top, the toolbar with the jump buttons in its middle
// below it, and the strip (or timeline) at the bottom.
std::shared_ptr<plat::View> buildTabletEditor(plat::ViewController& owner)
{
    const plat::Rect screen = plat::Screen::mainScreen().bounds();
    auto root = std::make_shared<plat::View>(screen);
    root->setBackgroundColor(plat::Color::blackColor());
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    const double stripTop = FrameEditorViewController::kStripTopTablet;
    const double barTop = stripTop - kTabletBarHeight;
    const plat::Rect picture = plat::makeRect(0, 0, screen.width(), barTop);

    Editor::Outlets outlets;
    outlets.viewSeperator = std::make_shared<plat::View>(picture);
    outlets.viewSeperator->setBackgroundColor(kBackdropColor);
    outlets.viewSeperator->setUserInteractionEnabled(false);
    outlets.imageViewFrame = makePicture(picture);
    outlets.imageViewFrame->setHidden(true);  // the capture screen's onion view shows the frames
    outlets.viewCaptureView = std::make_shared<plat::View>(picture);
    outlets.viewCaptureView->setClipsToBounds(true);
    outlets.imageViewForeground = makePicture(picture);
    outlets.viewFade = makeFade(picture);
    outlets.viewAspectRatioMask = makeMask(picture, outlets);

    // One bar across the screen: the buttons' x are screen points.
    Buttons buttons;
    outlets.viewRightControls
        = std::make_shared<plat::View>(plat::makeRect(0, barTop, screen.width(), kTabletBarHeight));
    outlets.viewRightControlsBg = makePanelBackground(outlets.viewRightControls->bounds());
    outlets.viewRightControls->addSubview(outlets.viewRightControlsBg);
    auto place = [&](const std::shared_ptr<plat::Button>& button, double x) {
        button->setFrame(plat::makeRect(x, 0, kTabletButtonSide, kTabletBarHeight));
        outlets.viewRightControls->addSubview(button);
    };
    // From the left: the tools, then the jump buttons and Play. The right
    // end is left to the capture screen's options and interval timer, which
    // the editor takes into the bar from the capture screen's layout.
    double x = 8;
    for (const auto& button :
        {buttons.explorer, buttons.help, buttons.audio, buttons.music, buttons.theme, buttons.more}) {
        place(button, x);
        x += kTabletButtonSide + 8;
    }
    place(buttons.play, kTabletPlayX);
    // The capture screen is always at hand on a tablet.
    buttons.camera->setFrame(plat::makeRect(0, 0, 0, 0));
    buttons.camera->setHidden(true);
    outlets.viewRightControls->addSubview(buttons.camera);

    outlets.viewLeftControls = std::make_shared<plat::View>(plat::makeRect(
        kTabletJumpsX, barTop + (kTabletBarHeight - kTabletJumps.height) / 2, kTabletJumps.width, kTabletJumps.height));
    outlets.viewLeftControlsBg = makePanelBackground(outlets.viewLeftControls->bounds());
    outlets.viewLeftControlsBg->setBackgroundColor(plat::Color::colorWithWhite(1, 0.12));
    outlets.viewLeftControlsBg->layer()->setCornerRadius(kTabletJumps.height / 2);
    outlets.viewLeftControls->addSubview(outlets.viewLeftControlsBg);
    const double half = kTabletJumps.width / 2;
    buttons.backward->setFrame(plat::makeRect(0, 0, half, kTabletJumps.height));
    buttons.forward->setFrame(plat::makeRect(half, 0, half, kTabletJumps.height));
    outlets.viewLeftControls->addSubview(buttons.backward);
    outlets.viewLeftControls->addSubview(buttons.forward);

    outlets.viewEmptyHelp = makeEmptyHint(plat::makeRect(picture.maxX() - 330, picture.minY() + 200, 220, 90), outlets);
    outlets.viewSingleFrameEditControls = makeSingleFrameControls(outlets);
    outlets.viewPlayerViewController
        = std::make_shared<plat::ScrollView>(plat::makeRect(0, stripTop, screen.width(), kTabletContainerHeight));
    const double timelineTop = FrameEditorViewController::kTimelineTopTablet;
    outlets.viewTimelineViewController
        = std::make_shared<plat::View>(plat::makeRect(0, timelineTop, screen.width(), screen.height() - timelineTop));
    for (const auto& view : std::initializer_list<std::shared_ptr<plat::View>> {outlets.viewSeperator,
             outlets.imageViewFrame, outlets.viewCaptureView, outlets.viewRightControls, outlets.viewLeftControls,
             outlets.viewEmptyHelp, outlets.viewPlayerViewController, outlets.viewTimelineViewController})
        root->addSubview(view);
    connect(owner, std::move(outlets), buttons);
    return root;
}

}  // namespace

void registerFrameEditorLayouts()
{
    plat::LayoutRegistry::registerLayout(FrameEditorViewController::kPhoneLayout, buildPhoneEditor);
    plat::LayoutRegistry::registerLayout(FrameEditorViewController::kTabletLayout, buildTabletEditor);
}

}  // namespace zt
