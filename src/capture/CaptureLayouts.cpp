#include "capture/CaptureLayouts.h"

#include <cmath>

#include "capture/CaptureGridView.h"
#include "capture/CaptureViewController.h"
#include "capture/TimerConfigurationViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/EdgeInsets.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "uikit/AppTint.h"
#include "uikit/QVCircularProgressView.h"

namespace zt {

namespace {

enum class Idiom { Phone, Tablet };

constexpr unsigned kFlexibleSize = plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight;
// Dark enough that white text on the bars and panels reads over a white
// camera picture too (5.7 to 1).
const plat::Color kBarColor = plat::Color::colorWithWhite(0, 0.6);
// The frame counter's plate, for its grey title.
const plat::Color kInfoColor = plat::Color::colorWithWhite(0, 0.72);
const plat::Color kFocusColor = plat::Color::colorWithRed(1, 0.85, 0.1, 1);

constexpr double kPhoneBarWidth = 72;
constexpr double kPanelHeight = 52;
constexpr double kShutterSide = 60;
constexpr double kBarButtonWidth = 56;
constexpr double kBarButtonHeight = 36;
constexpr double kMargin = 8;
constexpr double kOverlayLength = 200;  // a phone's
constexpr double kSliderThickness = 30;
constexpr double kZoomSliderWidth = 260;
constexpr double kExposureSliderWidth = 140;
constexpr double kTimerCircleSide = 40;
// The countdown's ring, and a hair's breadth beside it.
constexpr double kTimerRingWidth = 2;

// The tablet's capture screen lies in the frame editor, at the screen's
// origin, above the editor's toolbar: its controls have fixed places in
// screen points, which the editor's help bubbles point at. The options and
// the interval timer go into the editor's toolbar, at its right end.
// The shutter over (948, 353) to (1008, 413), in a bar a little wider than
// a phone's; the onion skin's slider ending at x 50, in the middle of 263 to 555,
// above the frame counter. The editor's panels (the clip editor, 214 points
// high) rise over the screen's lowest 22 points: what sits at its bottom
// keeps above them.
constexpr double kTabletBarLeft = 940;
constexpr double kTabletBottomMargin = 30;
constexpr plat::Point kTabletShutterOrigin {948, 353};
constexpr plat::Rect kTabletOverlayControls {{20, 309}, {kSliderThickness, 200}};
// Options over x 786 to 841, the timer's switch and settings over 850 to 955.
constexpr plat::Rect kTabletToolbarControls {{781, 577}, {174, 44}};
constexpr double kTabletOptionsWidth = 65;
constexpr double kTabletSwitchLeft = 64;
constexpr double kTabletIntervalLeft = 112;

constexpr unsigned kKeepsTop = plat::ViewAutoresizingFlexibleBottomMargin;
constexpr unsigned kKeepsMiddle = plat::ViewAutoresizingFlexibleTopMargin | plat::ViewAutoresizingFlexibleBottomMargin;

// A text button: white, white on a plate of the app's colour when selected
// (the plate keeps it readable over any camera picture), grey when disabled.
std::shared_ptr<plat::Button> makeTextButton(
    plat::Rect frame, const std::string& title, const std::string& selectedTitle = {})
{
    auto button = plat::Button::buttonWithType(plat::ButtonType::Custom);
    button->setFrame(frame);
    button->setTitle(plat::localized(title), plat::ControlStateNormal);
    if (!selectedTitle.empty())
        button->setTitle(plat::localized(selectedTitle), plat::ControlStateSelected);
    button->setTitleColor(plat::Color::whiteColor(), plat::ControlStateNormal);
    button->setTitleColor(plat::Color::whiteColor(), plat::ControlStateSelected);
    button->setBackgroundImage(appTintPlateImage(), plat::ControlStateSelected);
    button->setTitleColor(plat::Color::colorWithWhite(0.55, 1), plat::ControlStateDisabled);
    button->titleLabel()->setFont(plat::Font::boldSystemFontOfSize(13));
    return button;
}

std::shared_ptr<plat::Slider> makeSlider(plat::Rect frame, double minimum, double maximum)
{
    auto slider = std::make_shared<plat::Slider>(frame);
    slider->setMinimumValue(minimum);
    slider->setMaximumValue(maximum);
    slider->setMinimumTrackTintColor(appTintColor());
    return slider;
}

std::shared_ptr<plat::ImageView> makePictureView(plat::Rect frame)
{
    auto view = std::make_shared<plat::ImageView>(frame);
    view->setContentMode(plat::ContentMode::ScaleAspectFill);
    view->setClipsToBounds(true);
    view->setAutoresizingMask(kFlexibleSize);
    view->setUserInteractionEnabled(false);
    return view;
}

// The options panel along the top: the toggles, the camera switch, and
// room for a source's own buttons.
std::shared_ptr<plat::View> buildOptionsPanel(plat::ViewController& owner, double width)
{
    auto panel = std::make_shared<plat::View>(plat::makeRect(0, 0, width, kPanelHeight));
    panel->setBackgroundColor(plat::Color::colorWithWhite(0, 0.6));
    panel->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    double x = kMargin;
    const double y = (kPanelHeight - kBarButtonHeight) / 2;
    auto place = [&](const std::shared_ptr<plat::View>& view, double viewWidth, const char* outlet) {
        plat::Rect frame = view->frame();
        frame.origin = {x, (kPanelHeight - frame.height()) / 2};
        frame.size.width = viewWidth;
        view->setFrame(frame);
        panel->addSubview(view);
        owner.setOutlet(outlet, view);
        x += viewWidth + kMargin;
    };
    place(makeTextButton(plat::makeRect(0, y, 0, kBarButtonHeight), "Grid"), 40, "buttonGrid");
    place(makeTextButton(plat::makeRect(0, y, 0, kBarButtonHeight), "Sound", "Muted"), 52, "buttonSound");
    place(makeTextButton(plat::makeRect(0, y, 0, kBarButtonHeight), "AF"), 34, "buttonFocus");
    place(makeTextButton(plat::makeRect(0, y, 0, kBarButtonHeight), "AE"), 34, "buttonExposure");
    place(makeTextButton(plat::makeRect(0, y, 0, kBarButtonHeight), "AWB"), 44, "buttonWhiteBalance");
    auto flip = makeTextButton(plat::makeRect(0, y, 0, kBarButtonHeight), "Flip");
    flip->setAccessibilityLabel(plat::localized("Switch Camera"));
    place(flip, 40, "capturedeviseBtn");
    // As tall as the panel: a source's own buttons may be larger than the toggles.
    auto additional = std::make_shared<plat::View>(plat::makeRect(0, 0, 0, kPanelHeight));
    place(additional, std::max(0.0, width - x - kMargin), "_viewAddtionalCaptureControls");
    additional->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);

    if (auto* screen = dynamic_cast<CaptureViewController*>(&owner)) {
        auto bind = [&](const char* outlet, void (CaptureViewController::*action)()) {
            std::static_pointer_cast<plat::Control>(owner.outlet(outlet))
                ->addTarget(screen, action, plat::ControlEventTouchUpInside);
        };
        bind("buttonGrid", &CaptureViewController::actionGrid);
        bind("buttonSound", &CaptureViewController::actionSound);
        bind("buttonFocus", &CaptureViewController::actionFocus);
        bind("buttonExposure", &CaptureViewController::actionExposure);
        bind("buttonWhiteBalance", &CaptureViewController::actionWhiteBalance);
        bind("capturedeviseBtn", &CaptureViewController::actionCaptureDevice);
    }
    return panel;
}

// The controls the bar and (on a tablet) the editor's toolbar hold, made
// and connected to the screen.
struct BarControls {
    std::shared_ptr<plat::Button> source;
    std::shared_ptr<plat::Button> options;
    std::shared_ptr<plat::Button> shutter;
    std::shared_ptr<plat::Switch> timerSwitch;
    std::shared_ptr<plat::Button> interval;
    std::shared_ptr<plat::Button> home;
};

BarControls makeBarControls(plat::ViewController& owner, double left)
{
    BarControls controls;
    controls.source = makeTextButton(plat::makeRect(left, kMargin, kBarButtonWidth, kBarButtonHeight), "Source");
    controls.options = makeTextButton(
        plat::makeRect(left, 2 * kMargin + kBarButtonHeight, kBarButtonWidth, kBarButtonHeight), "Options");
    controls.shutter = plat::Button::buttonWithType(plat::ButtonType::Custom);
    controls.shutter->setFrame(plat::makeRect(0, 0, kShutterSide, kShutterSide));
    controls.shutter->setImage(plat::Image::imageNamed("captureview_shutter.png"), plat::ControlStateNormal);
    controls.shutter->setAccessibilityLabel(plat::localized("Take Picture"));
    controls.timerSwitch = std::make_shared<plat::Switch>(plat::makeRect(0, 0, 51, 31));
    controls.timerSwitch->setAccessibilityLabel(plat::localized("Interval Timer"));
    controls.interval = makeTextButton(plat::makeRect(0, 0, kBarButtonWidth + 8, kBarButtonHeight), "Interval");
    controls.home = makeTextButton(plat::makeRect(left, 0, kBarButtonWidth, kBarButtonHeight), "Done");

    owner.setOutlet("buttonCaptureSource", controls.source);
    owner.setOutlet("buttonOptions", controls.options);
    owner.setOutlet("recordBtn", controls.shutter);
    owner.setOutlet("switchTimer", controls.timerSwitch);
    owner.setOutlet("btnTimerConfig", controls.interval);
    owner.setOutlet("buttonHome", controls.home);
    if (auto* screen = dynamic_cast<CaptureViewController*>(&owner)) {
        constexpr auto kTap = plat::ControlEventTouchUpInside;
        controls.source->addTarget(screen, &CaptureViewController::actionCaptureSource, kTap);
        controls.options->addTarget(screen, &CaptureViewController::actionCameraControls, kTap);
        controls.shutter->addTarget(screen, &CaptureViewController::actionPauseRecord, kTap);
        controls.timerSwitch->addTarget(screen, &CaptureViewController::actionTimer, plat::ControlEventValueChanged);
        controls.interval->addTarget(screen, &CaptureViewController::actionTimerConfiguration, kTap);
        controls.home->addTarget(screen, &CaptureViewController::actionHome, kTap);
    }
    return controls;
}

std::shared_ptr<plat::View> makeBar(plat::Rect frame)
{
    auto bar = std::make_shared<plat::View>(frame);
    bar->setBackgroundColor(kBarColor);
    bar->setAutoresizingMask(plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleHeight);
    return bar;
}

// A phone's bar along the right edge: the source chooser and the options at
// the top, the shutter in the middle, the timer's switch and settings below
// it, and Home at the bottom.
std::shared_ptr<plat::View> buildPhoneControlBar(plat::ViewController& owner, plat::Rect bounds)
{
    const double height = bounds.height();
    auto bar = makeBar(plat::makeRect(bounds.width() - kPhoneBarWidth, 0, kPhoneBarWidth, height));
    const double left = (kPhoneBarWidth - kBarButtonWidth) / 2;
    BarControls controls = makeBarControls(owner, left);

    // The shutter, the timer's switch and its settings move as one column:
    // each moved on its own they would close up and overlap.
    const double columnHeight = kShutterSide + 2 * kMargin + 28 + kBarButtonHeight;
    const double shutterTop = (height - kShutterSide) / 2;
    auto column = std::make_shared<plat::View>(plat::makeRect(0, shutterTop, kPhoneBarWidth, columnHeight));
    column->setAutoresizingMask(kKeepsMiddle);
    controls.shutter->setCenter({kPhoneBarWidth / 2, kShutterSide / 2});
    controls.timerSwitch->setCenter({kPhoneBarWidth / 2, kShutterSide + kMargin + 14});
    controls.interval->setFrame(
        plat::makeRect(left - 4, kShutterSide + 2 * kMargin + 28, kBarButtonWidth + 8, kBarButtonHeight));
    for (const auto& view :
        std::initializer_list<std::shared_ptr<plat::View>> {controls.shutter, controls.timerSwitch, controls.interval})
        column->addSubview(view);
    controls.home->setFrame(
        plat::makeRect(left, height - kMargin - kBarButtonHeight, kBarButtonWidth, kBarButtonHeight));
    controls.home->setAutoresizingMask(plat::ViewAutoresizingFlexibleTopMargin);

    for (const auto& view :
        std::initializer_list<std::shared_ptr<plat::View>> {controls.source, controls.options, column, controls.home})
        bar->addSubview(view);
    owner.setOutlet("toolbarCaptureControls", bar);
    return bar;
}

// A tablet's bar: the source chooser at the top and the shutter at its
// fixed place (Home is there for the layout, the editor hides it). The
// options and the timer form a group of their own, at their place in the
// editor's toolbar below the screen: the editor takes it into its toolbar.
struct TabletControls {
    std::shared_ptr<plat::View> bar;
    std::shared_ptr<plat::View> toolbarControls;
};

TabletControls buildTabletControlBar(plat::ViewController& owner, plat::Rect bounds)
{
    const double width = bounds.width() - kTabletBarLeft;
    auto bar = makeBar(plat::makeRect(kTabletBarLeft, 0, width, bounds.height()));
    const double left = (width - kBarButtonWidth) / 2;
    BarControls controls = makeBarControls(owner, left);
    controls.shutter->setFrame(
        plat::makeRect(kTabletShutterOrigin.x - kTabletBarLeft, kTabletShutterOrigin.y, kShutterSide, kShutterSide));
    controls.shutter->setAutoresizingMask(kKeepsTop);
    controls.home->setFrame(
        plat::makeRect(left, bounds.height() - kMargin - kBarButtonHeight, kBarButtonWidth, kBarButtonHeight));
    controls.home->setAutoresizingMask(plat::ViewAutoresizingFlexibleTopMargin);
    for (const auto& view :
        std::initializer_list<std::shared_ptr<plat::View>> {controls.source, controls.shutter, controls.home})
        bar->addSubview(view);

    auto group = std::make_shared<plat::View>(kTabletToolbarControls);
    const double groupHeight = kTabletToolbarControls.height();
    controls.options->setFrame(plat::makeRect(0, 0, kTabletOptionsWidth, groupHeight));
    controls.timerSwitch->setFrame(plat::makeRect(kTabletSwitchLeft, (groupHeight - 31) / 2, 51, 31));
    controls.interval->setFrame(plat::makeRect(kTabletIntervalLeft, (groupHeight - kBarButtonHeight) / 2,
        kTabletToolbarControls.width() - kTabletIntervalLeft, kBarButtonHeight));
    // The settings before the switch that disables them while the timer runs.
    for (const auto& view :
        std::initializer_list<std::shared_ptr<plat::View>> {controls.options, controls.interval, controls.timerSwitch})
        group->addSubview(view);
    owner.setOutlet("toolbarCaptureControls", bar);
    owner.setOutlet(CaptureViewController::kToolbarControlsOutlet, group);
    return {bar, group};
}

// The countdown beside the shutter: a ring that fills, the seconds left
// inside on a round plate of the bars' shade, so that they read over any
// picture.
std::shared_ptr<plat::View> buildTimerCountdown(plat::ViewController& owner, plat::Rect frame, unsigned autoresizing)
{
    auto progress = std::make_shared<QVCircularProgressView>(frame);
    progress->setAutoresizingMask(autoresizing);
    progress->setUserInteractionEnabled(false);
    auto countdown = std::make_shared<plat::Label>(
        plat::insetRect(progress->bounds(), {kTimerRingWidth, kTimerRingWidth, kTimerRingWidth, kTimerRingWidth}));
    countdown->setBackgroundColor(kBarColor);
    countdown->layer()->setCornerRadius(countdown->bounds().width() / 2);
    countdown->setTextAlignment(plat::TextAlignment::Center);
    countdown->setTextColor(plat::Color::whiteColor());
    countdown->setFont(plat::Font::boldSystemFontOfSize(13));
    progress->addSubview(countdown);
    owner.setOutlet("progressTimer", progress);
    owner.setOutlet("labelTimer", countdown);
    return progress;
}

// The frame position or movie length, in the lower left; a tap switches.
std::shared_ptr<plat::View> buildFrameInfo(plat::ViewController& owner, plat::Rect bounds, double bottomMargin)
{
    auto info = std::make_shared<plat::View>(plat::makeRect(kMargin, bounds.height() - bottomMargin - 30, 150, 30));
    info->setBackgroundColor(kInfoColor);
    info->layer()->setCornerRadius(6);
    info->setAutoresizingMask(plat::ViewAutoresizingFlexibleTopMargin);
    auto title = std::make_shared<plat::Label>(plat::makeRect(6, 0, 44, 30));
    title->setText(plat::localized("Frame"));
    title->setFont(plat::Font::systemFontOfSize(11));
    title->setTextColor(plat::Color::colorWithWhite(0.8, 1));
    auto counter = std::make_shared<plat::Label>(plat::makeRect(48, 0, 98, 30));
    counter->setFont(plat::Font::boldSystemFontOfSize(14));
    counter->setTextColor(plat::Color::whiteColor());
    auto tap = plat::Button::buttonWithType(plat::ButtonType::Custom);
    tap->setFrame(info->bounds());
    tap->setAccessibilityLabel(plat::localized("Frame Counter"));
    info->addSubview(title);
    info->addSubview(counter);
    info->addSubview(tap);
    owner.setOutlet("frameTitleLabel", title);
    owner.setOutlet("frameLabel", counter);
    if (auto* screen = dynamic_cast<CaptureViewController*>(&owner))
        tap->addTarget(screen, &CaptureViewController::actionLCDScreen, plat::ControlEventTouchUpInside);
    return info;
}

std::shared_ptr<plat::View> buildCaptureView(plat::ViewController& owner, Idiom idiom)
{
    const bool tablet = idiom == Idiom::Tablet;
    const plat::Rect bounds = plat::Screen::mainScreen().bounds();
    auto root = std::make_shared<plat::View>(bounds);
    root->setBackgroundColor(plat::Color::blackColor());
    root->setAutoresizingMask(kFlexibleSize);
    root->setClipsToBounds(true);
    const plat::Rect full = root->bounds();

    auto onionBack = makePictureView(full);
    auto onionFront = makePictureView(full);
    auto container = std::make_shared<plat::View>(full);
    container->setAutoresizingMask(kFlexibleSize);
    container->setClipsToBounds(true);
    auto camera = std::make_shared<plat::View>(full);
    camera->setBackgroundColor(plat::Color::blackColor());
    camera->setAutoresizingMask(kFlexibleSize);
    camera->setMultipleTouchEnabled(true);
    container->addSubview(camera);
    auto grid = std::make_shared<CaptureGridView>(full);
    grid->setAutoresizingMask(kFlexibleSize);
    auto foreground = makePictureView(full);
    auto mask = std::make_shared<plat::View>(full);
    mask->setUserInteractionEnabled(false);
    mask->setAutoresizingMask(kFlexibleSize);
    auto fade = std::make_shared<plat::View>(full);
    fade->setBackgroundColor(plat::Color::blackColor());
    fade->setAlpha(0);
    fade->setUserInteractionEnabled(false);
    fade->setAutoresizingMask(kFlexibleSize);
    auto focus = std::make_shared<plat::View>(plat::makeRect(0, 0, 66, 66));
    focus->setBackgroundColor(plat::Color::clearColor());
    focus->layer()->setBorderColor(kFocusColor);
    focus->layer()->setBorderWidth(1.5);
    focus->setUserInteractionEnabled(false);

    auto overlayControls = std::make_shared<plat::View>(tablet
            ? kTabletOverlayControls
            : plat::makeRect(kMargin, (full.height() - kOverlayLength) / 2, kSliderThickness, kOverlayLength));
    overlayControls->setAutoresizingMask(tablet ? kKeepsTop : kKeepsMiddle);
    // Laid across; the screen turns it upright about its centre.
    const double overlayLength = overlayControls->frame().height();
    auto overlay = makeSlider(plat::makeRect((kSliderThickness - overlayLength) / 2,
                                  (overlayLength - kSliderThickness) / 2, overlayLength, kSliderThickness),
        0.0, 1.0);
    overlay->setAccessibilityLabel(plat::localized("Onion Skin"));
    overlayControls->addSubview(overlay);

    const double barWidth = tablet ? full.width() - kTabletBarLeft : kPhoneBarWidth;
    const double bottomMargin = tablet ? kTabletBottomMargin : kMargin;
    auto zoom = makeSlider(plat::makeRect((full.width() - barWidth - kZoomSliderWidth) / 2,
                               full.height() - bottomMargin - kSliderThickness, kZoomSliderWidth, kSliderThickness),
        CaptureViewController::kMinimumZoomScale, CaptureViewController::kMaximumZoomScale);
    zoom->setAccessibilityLabel(plat::localized("Zoom"));
    zoom->setAutoresizingMask(plat::ViewAutoresizingFlexibleTopMargin | plat::ViewAutoresizingFlexibleLeftMargin
        | plat::ViewAutoresizingFlexibleRightMargin);
    auto bias = makeSlider(plat::makeRect(0, 0, kExposureSliderWidth, kSliderThickness), 0, 0);
    bias->setAccessibilityLabel(plat::localized("Exposure"));

    TabletControls tabletControls;
    if (tablet)
        tabletControls = buildTabletControlBar(owner, full);
    auto bar = tablet ? tabletControls.bar : buildPhoneControlBar(owner, full);
    // Beside the shutter.
    const double countdownLeft = full.width() - barWidth - kMargin - kTimerCircleSide;
    auto countdown = tablet
        ? buildTimerCountdown(owner,
            plat::makeRect(countdownLeft, kTabletShutterOrigin.y + (kShutterSide - kTimerCircleSide) / 2,
                kTimerCircleSide, kTimerCircleSide),
            kKeepsTop | plat::ViewAutoresizingFlexibleLeftMargin)
        : buildTimerCountdown(owner,
            plat::makeRect(countdownLeft, (full.height() - kTimerCircleSide) / 2, kTimerCircleSide, kTimerCircleSide),
            kKeepsMiddle | plat::ViewAutoresizingFlexibleLeftMargin);
    auto panel = buildOptionsPanel(owner, full.width() - barWidth);
    auto info = buildFrameInfo(owner, full, bottomMargin);

    for (const auto& view : std::initializer_list<std::shared_ptr<plat::View>> {onionBack, onionFront, container, grid,
             foreground, mask, fade, focus, overlayControls, info, zoom, bias, countdown, bar, panel})
        root->addSubview(view);
    // Below the screen's own area until the editor takes it into its toolbar.
    if (tabletControls.toolbarControls)
        root->addSubview(tabletControls.toolbarControls);

    owner.setOutlet("viewOnionBack", onionBack);
    owner.setOutlet("viewOnionFront", onionFront);
    owner.setOutlet("viewCameraContainer", container);
    owner.setOutlet("viewCamera", camera);
    owner.setOutlet("viewGrid", grid);
    owner.setOutlet("imageViewForeground", foreground);
    owner.setOutlet("viewAspectRatioMask", mask);
    owner.setOutlet("viewFade", fade);
    owner.setOutlet("viewFocusRect", focus);
    owner.setOutlet("viewOverlayControls", overlayControls);
    owner.setOutlet("sliderOverlayControl", overlay);
    owner.setOutlet("_sliderZoom", zoom);
    owner.setOutlet("_sliderExposureBias", bias);
    owner.setOutlet("viewCaptureControls", panel);
    owner.setOutlet("_viewFrameInfo", info);
    if (auto* screen = dynamic_cast<CaptureViewController*>(&owner)) {
        overlay->addTarget(
            screen, &CaptureViewController::actionSliderOverlayValueChanged, plat::ControlEventValueChanged);
        zoom->addTarget(screen, &CaptureViewController::actionSliderZoomChanged, plat::ControlEventValueChanged);
        bias->addTarget(
            screen, &CaptureViewController::actionSliderExposureBiasChanged, plat::ControlEventValueChanged);
        bias->addTarget(screen, &CaptureViewController::sliderTouchBegan, plat::ControlEventTouchDown);
        bias->addTarget(screen, &CaptureViewController::sliderTouchEnded,
            plat::ControlEventTouchUpInside | plat::ControlEventTouchUpOutside);
    }
    return root;
}

// The interval's settings in their popover: minus, the slider, plus, and
// the length below the slider.
std::shared_ptr<plat::View> buildTimerConfiguration(plat::ViewController& owner)
{
    constexpr double kWidth = 320;
    constexpr double kHeight = 70;
    constexpr double kStepButtonSide = 36;
    constexpr double kMinimumSeconds = 5;
    constexpr double kMaximumSeconds = 300;
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, kWidth, kHeight));
    root->setBackgroundColor(plat::Color::clearColor());
    auto minus = plat::Button::buttonWithType(plat::ButtonType::System);
    minus->setFrame(plat::makeRect(kMargin, (kHeight - kStepButtonSide) / 2, kStepButtonSide, kStepButtonSide));
    minus->setTitle("-", plat::ControlStateNormal);
    minus->setAccessibilityLabel(plat::localized("Shorter"));
    minus->titleLabel()->setFont(plat::Font::boldSystemFontOfSize(24));
    auto plus = plat::Button::buttonWithType(plat::ButtonType::System);
    plus->setFrame(plat::makeRect(
        kWidth - kMargin - kStepButtonSide, (kHeight - kStepButtonSide) / 2, kStepButtonSide, kStepButtonSide));
    plus->setTitle("+", plat::ControlStateNormal);
    plus->setAccessibilityLabel(plat::localized("Longer"));
    plus->titleLabel()->setFont(plat::Font::boldSystemFontOfSize(24));
    const double middle = kWidth - 2 * (2 * kMargin + kStepButtonSide);
    auto slider = makeSlider(
        plat::makeRect(2 * kMargin + kStepButtonSide, 6, middle, kSliderThickness), kMinimumSeconds, kMaximumSeconds);
    slider->setAccessibilityLabel(plat::localized("Interval"));
    auto label = std::make_shared<plat::Label>(plat::makeRect(2 * kMargin + kStepButtonSide, 38, middle, 24));
    label->setTextAlignment(plat::TextAlignment::Center);
    label->setTextColor(plat::Color::darkGrayColor());
    label->setFont(plat::Font::boldSystemFontOfSize(15));
    for (const auto& view : std::initializer_list<std::shared_ptr<plat::View>> {minus, slider, label, plus})
        root->addSubview(view);
    owner.setOutlet("labelValue", label);
    owner.setOutlet("sliderTimer", slider);
    if (auto* settings = dynamic_cast<TimerConfigurationViewController*>(&owner)) {
        settings->setLabelValue(label);
        settings->setSliderTimer(slider);
        slider->addTarget(
            settings, &TimerConfigurationViewController::actionSliderValueChanged, plat::ControlEventValueChanged);
        minus->addTarget(settings, &TimerConfigurationViewController::actionMinus, plat::ControlEventTouchUpInside);
        plus->addTarget(settings, &TimerConfigurationViewController::actionPlus, plat::ControlEventTouchUpInside);
    }
    return root;
}

}  // namespace

void registerCaptureLayouts()
{
    plat::LayoutRegistry::registerLayout(CaptureViewController::kPhoneLayout,
        [](plat::ViewController& owner) { return buildCaptureView(owner, Idiom::Phone); });
    plat::LayoutRegistry::registerLayout(CaptureViewController::kTabletLayout,
        [](plat::ViewController& owner) { return buildCaptureView(owner, Idiom::Tablet); });
    plat::LayoutRegistry::registerLayout(TimerConfigurationViewController::kLayoutName, buildTimerConfiguration);
}

}  // namespace zt
