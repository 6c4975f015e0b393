#include "share/ShareLayouts.h"

#include "platform/foundation/Bundle.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextView.h"
#include "platform/ui/ViewController.h"
#include "share/GalleryScreens.h"
#include "share/InfoCenterHelpViewController.h"
#include "share/InfoCenterViewController.h"
#include "uikit/AppTint.h"

namespace zt {

namespace {

const plat::Color kScreenBackground = plat::Color::colorWithRed(0.11, 0.11, 0.13, 1);
constexpr unsigned kFlexibleSize = plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight;
constexpr unsigned kStayCentred = plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleRightMargin
    | plat::ViewAutoresizingFlexibleWidth;

std::shared_ptr<plat::View> makeRoot(const plat::Color& background)
{
    auto root = std::make_shared<plat::View>(plat::Screen::mainScreen().bounds());
    root->setBackgroundColor(background);
    root->setAutoresizingMask(kFlexibleSize);
    return root;
}

std::shared_ptr<plat::Label> makeLabel(plat::Rect frame, const std::string& text, const plat::Font& font)
{
    auto label = std::make_shared<plat::Label>(frame);
    label->setText(text);
    label->setFont(font);
    label->setTextColor(plat::Color::whiteColor());
    label->setTextAlignment(plat::TextAlignment::Center);
    label->setNumberOfLines(0);
    label->setAutoresizingMask(kStayCentred);
    return label;
}

std::shared_ptr<plat::View> buildInfoCenter(plat::ViewController& owner)
{
    auto root = makeRoot(kScreenBackground);
    const double width = root->bounds().width();
    root->addSubview(makeLabel(
        plat::makeRect(20, 40, width - 40, 34), plat::localized("Info Center"), plat::Font::boldSystemFontOfSize(26)));
    auto version = makeLabel(plat::makeRect(20, 80, width - 40, 22), "", plat::Font::systemFontOfSize(15));
    root->addSubview(version);
    auto help = plat::Button::buttonWithType(plat::ButtonType::System);
    help->setTitle(plat::localized("Help"), plat::ControlStateNormal);
    help->setTitleColor(appTintForTextOnDarkColor(), plat::ControlStateNormal);
    help->setFrame(plat::makeRect(width / 2 - 100, 130, 200, 44));
    help->setAutoresizingMask(plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleRightMargin);
    root->addSubview(help);
    auto done = plat::Button::buttonWithType(plat::ButtonType::System);
    done->setTitle(plat::localized("Done"), plat::ControlStateNormal);
    done->setTitleColor(plat::Color::whiteColor(), plat::ControlStateNormal);
    done->setFrame(plat::makeRect(width - 90, 10, 80, 44));
    done->setAutoresizingMask(plat::ViewAutoresizingFlexibleLeftMargin);
    root->addSubview(done);
    owner.setOutlet("labelVersion", version);
    owner.setOutlet("btnHelp", help);
    owner.setOutlet("btnDone", done);
    if (auto* infoCenter = dynamic_cast<InfoCenterViewController*>(&owner)) {
        infoCenter->setLabelVersion(version);
        help->addTarget(infoCenter, &InfoCenterViewController::actionHelp, plat::ControlEventTouchUpInside);
        done->addTarget(infoCenter, &InfoCenterViewController::actionDone, plat::ControlEventTouchUpInside);
    }
    return root;
}

std::shared_ptr<plat::View> buildHelpPage(plat::ViewController& owner)
{
    auto root = makeRoot(plat::Color::whiteColor());
    auto page = std::make_shared<plat::TextView>(
        plat::makeRect(10, 10, root->bounds().width() - 20, root->bounds().height() - 20));
    page->setEditable(false);
    page->setFont(plat::Font::systemFontOfSize(16));
    page->setAutoresizingMask(kFlexibleSize);
    root->addSubview(page);
    owner.setOutlet("textViewPage", page);
    if (auto* help = dynamic_cast<InfoCenterHelpViewController*>(&owner))
        help->setTextViewPage(page);
    return root;
}

std::shared_ptr<plat::View> buildGallerySide(plat::ViewController&)
{
    auto root = makeRoot(kScreenBackground);
    const double width = root->bounds().width();
    root->addSubview(makeLabel(
        plat::makeRect(10, 30, width - 20, 30), plat::localized("Gallery"), plat::Font::boldSystemFontOfSize(22)));
    root->addSubview(makeLabel(plat::makeRect(10, 64, width - 20, 40), plat::localized("Movies made with Zantrope"),
        plat::Font::systemFontOfSize(14)));
    return root;
}

std::shared_ptr<plat::View> buildVideoList(plat::ViewController&)
{
    auto table = std::make_shared<plat::TableView>(plat::Screen::mainScreen().bounds(), plat::TableViewStyle::Plain);
    table->setAutoresizingMask(kFlexibleSize);
    return table;
}

std::shared_ptr<plat::View> buildVideoPage(plat::ViewController&)
{
    auto root = makeRoot(kScreenBackground);
    const plat::Rect bounds = root->bounds();
    auto hint = makeLabel(plat::makeRect(20, bounds.height() / 2 - 20, bounds.width() - 40, 40),
        plat::localized("Choose a movie from the list."), plat::Font::systemFontOfSize(17));
    hint->setAutoresizingMask(
        kStayCentred | plat::ViewAutoresizingFlexibleTopMargin | plat::ViewAutoresizingFlexibleBottomMargin);
    root->addSubview(hint);
    return root;
}

}  // namespace

void registerShareLayouts()
{
    plat::LayoutRegistry::registerLayout("InfoCenterViewController", buildInfoCenter);
    plat::LayoutRegistry::registerLayout("InfoCenterHelpViewController", buildHelpPage);
    plat::LayoutRegistry::registerLayout("GallerySideViewController", buildGallerySide);
    plat::LayoutRegistry::registerLayout("GaleryVideoTableViewController", buildVideoList);
    plat::LayoutRegistry::registerLayout("GalleryWebViewController_iPad", buildVideoPage);
}

}  // namespace zt
