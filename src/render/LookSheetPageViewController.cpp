#include "render/LookSheetPageViewController.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Screen.h"
#include "render/LookNotifications.h"
#include "uikit/AppTint.h"
#include "uikit/UIImageResize.h"

namespace zt {

namespace {

constexpr double kButtonTop = 6;
constexpr double kButtonHeight = 28;
constexpr double kDividerMiddle = 20;
constexpr double kTitleFontSize = 15;

bool isTablet()
{
    return plat::Device::currentDevice().userInterfaceIdiom() == plat::UserInterfaceIdiom::Pad;
}

}  // namespace

LookSheetPageViewController::LookSheetPageViewController(std::string nibName, Page page)
    : plat::TableViewController(std::move(nibName))
    , _page(page)
{
}

void LookSheetPageViewController::viewWillAppear(bool animated)
{
    plat::TableViewController::viewWillAppear(animated);
    rebuildSizeButton();
}

void LookSheetPageViewController::viewDidAppear(bool animated)
{
    plat::TableViewController::viewDidAppear(animated);
    rebuildSizeButton();
}

void LookSheetPageViewController::viewDidLayoutSubviews()
{
    plat::TableViewController::viewDidLayoutSubviews();
    if (_sizeButtonShowsRaised != isPanelRaised())
        rebuildSizeButton();
}

unsigned LookSheetPageViewController::supportedInterfaceOrientations() const
{
    return plat::InterfaceOrientationMaskAll;
}

void LookSheetPageViewController::setUpSheetBar()
{
    const double d = isTablet() ? 5 : 0;
    auto titleBar = std::make_shared<plat::View>(plat::makeRect(0, 0, kTitleBarWidth, kTitleBarHeight));
    const double middle = titleBar->bounds().midX();
    const double buttonWidth = titleBar->bounds().width() / 2 - 10;
    auto makeButton = [&](const std::string& title, double x, bool current) {
        auto button = plat::Button::buttonWithType(plat::ButtonType::Custom);
        button->setFrame(plat::makeRect(x, kButtonTop + d, buttonWidth, kButtonHeight));
        button->setTitle(plat::localized(title), plat::ControlStateNormal);
        button->setTitleColor(
            current ? appTintForTextOnLightColor() : plat::Color::blackColor(), plat::ControlStateNormal);
        button->titleLabel()->setFont(plat::Font::fontWithName("HelveticaNeue-Light", kTitleFontSize));
        titleBar->addSubview(button);
        return button;
    };
    const bool themeCurrent = _page == Page::Theme;
    _themeButton = makeButton("Theme", 0, themeCurrent);
    _themeButton->setContentHorizontalAlignment(plat::ControlContentHorizontalAlignment::Right);
    _themeButton->setSelected(false);
    _outlineButton = makeButton("Outline", middle + 10, !themeCurrent);
    _outlineButton->setContentHorizontalAlignment(plat::ControlContentHorizontalAlignment::Left);
    _outlineButton->setSelected(true);
    // The other page's title switches to it.
    auto& other = themeCurrent ? _outlineButton : _themeButton;
    other->addTarget(this, &LookSheetPageViewController::actionUpload, plat::ControlEventTouchUpInside);

    auto divider = std::make_shared<plat::ImageView>(plat::Image::imageNamed("theme_view_bar_line"));
    divider->setCenter({middle, kDividerMiddle + d});
    titleBar->addSubview(divider);
    navigationItem()->setTitleView(titleBar);

    rebuildSizeButton();
    auto done = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Done);
    done->setTarget(this, &LookSheetPageViewController::actionDone);
    navigationItem()->setRightBarButtonItem(done);
}

bool LookSheetPageViewController::isPanelRaised()
{
    auto navigation = navigationController();
    return navigation && navigation->view()->frame().minY() == 0;
}

void LookSheetPageViewController::rebuildSizeButton()
{
    // Drawn in the bar's tint, as bar button pictures are.
    _sizeButtonShowsRaised = isPanelRaised();
    auto picture = tintedImageNamed(*_sizeButtonShowsRaised ? "theme_view_btn_close.png" : "theme_view_btn_open.png");
    auto item = std::make_shared<plat::BarButtonItem>(picture, plat::BarButtonItemStyle::Plain);
    item->setTitle(std::string());
    item->setTarget(this, &LookSheetPageViewController::actionChangeSize);
    navigationItem()->setLeftBarButtonItem(item);
}

void LookSheetPageViewController::actionChangeSize()
{
    auto navigation = navigationController();
    if (!navigation)
        return;
    auto panel = navigation->view();
    // The sheet's container (the frame editor's view) gives the sizes; a
    // sheet not yet placed in one measures this page.
    auto container = panel->superview();
    const plat::Rect area = container ? container->bounds() : view()->bounds();
    const bool raised = panel->frame().minY() == 0;
    plat::Rect target;
    if (isTablet()) {
        target = raised ? plat::makeRect(0, kLoweredTopTablet, area.width(), area.height() - kLoweredTopTablet)
                        : plat::makeRect(0, 0, area.width(), kRaisedHeightTablet);
    } else {
        const double screenHeight = plat::Screen::mainScreen().bounds().height();
        target = raised ? plat::makeRect(0, kLoweredTopPhone, area.width(), screenHeight - kLoweredTopPhone)
                        : plat::makeRect(0, 0, area.width(), screenHeight);
    }
    std::weak_ptr<LookSheetPageViewController> weakSelf = sharedAs<LookSheetPageViewController>();
    plat::View::animateWithDuration(
        kSizeAnimationSeconds, [&] { panel->setFrame(target); },
        [weakSelf](bool) {
            if (auto self = weakSelf.lock()) {
                self->rebuildSizeButton();
                self->panelDidChangeSize();
            }
        });
}

void LookSheetPageViewController::actionDone()
{
    plat::NotificationCenter::defaultCenter().post(ThemeDoneNotification, this);
}

std::shared_ptr<plat::View> LookSheetPageViewController::makeSectionHeader(const std::string& title)
{
    const double width = view()->bounds().width();
    auto header = std::make_shared<plat::View>(plat::makeRect(0, 0, width, kSectionHeaderHeight));
    // Headers stay at the top while rows scroll under them: rows must not show through.
    header->setBackgroundColor(plat::Color::whiteColor());
    auto label = std::make_shared<plat::Label>(plat::makeRect(20, 0, 300, kSectionHeaderHeight));
    label->setBackgroundColor(plat::Color::clearColor());
    label->setTextColor(plat::Color::blackColor());
    label->setShadowColor(plat::Color::clearColor());
    label->setFont(plat::Font::fontWithName("Courier", 15));
    label->setText(plat::localized(title));
    header->addSubview(label);
    auto line = std::make_shared<plat::View>(plat::makeRect(20, 30, width - 30, 2));
    line->setBackgroundColor(plat::Color::blackColor());
    header->addSubview(line);
    return header;
}

}  // namespace zt
