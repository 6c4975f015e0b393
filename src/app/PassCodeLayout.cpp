// The passcode screen's layout "PassCodeViewController": the header picture
// with the status line over it, and the four digit boxes below, centred.
#include "app/PassCodeViewController.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Autoresizing.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Screen.h"

namespace zt {

namespace {

constexpr double kHeaderHeight = 90;
constexpr double kBoxSide = 50;
constexpr double kBoxGap = 16;
constexpr double kBoxesBelowHeader = 30;
constexpr unsigned kStayCentred = plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleRightMargin;

std::shared_ptr<plat::TextField> digitBox(plat::Rect frame, int index)
{
    auto box = std::make_shared<plat::TextField>(frame);
    box->setBorderStyle(plat::TextBorderStyle::Line);
    box->setBackgroundColor(plat::Color::whiteColor());
    box->setTextColor(plat::Color::blackColor());
    box->setTextAlignment(plat::TextAlignment::Center);
    box->setFont(plat::Font::boldSystemFontOfSize(28));
    box->setUserInteractionEnabled(false);
    box->setAccessibilityLabel("Digit " + std::to_string(index + 1));
    return box;
}

std::shared_ptr<plat::View> buildPassCode(plat::ViewController& owner)
{
    const plat::Rect bounds = plat::Screen::mainScreen().bounds();
    const double width = bounds.width();
    auto root = std::make_shared<plat::View>(bounds);
    root->setBackgroundColor(plat::Color::colorWithWhite(0.93, 1));
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);

    PassCodeViewController::Outlets outlets;
    outlets.headerView = std::make_shared<plat::ImageView>(plat::Image::imageNamed("passcodeTopBackground.png"));
    outlets.headerView->setFrame(plat::makeRect(0, 0, width, kHeaderHeight));
    outlets.headerView->setContentMode(plat::ContentMode::ScaleToFill);
    outlets.headerView->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    root->addSubview(outlets.headerView);

    outlets.statusLabel = std::make_shared<plat::Label>(plat::makeRect(80, 25, width - 160, 40));
    outlets.statusLabel->setTextColor(plat::Color::whiteColor());
    outlets.statusLabel->setFont(plat::Font::boldSystemFontOfSize(17));
    outlets.statusLabel->setTextAlignment(plat::TextAlignment::Center);
    outlets.statusLabel->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    root->addSubview(outlets.statusLabel);

    // One row that stays centred as a whole: boxes centred each on their own
    // would close up as the screen narrows into a sheet, their margins
    // shrinking in proportion.
    const double rowWidth = 4 * kBoxSide + 3 * kBoxGap;
    auto row = std::make_shared<plat::View>(
        plat::makeRect((width - rowWidth) / 2, kHeaderHeight + kBoxesBelowHeader, rowWidth, kBoxSide));
    row->setBackgroundColor(plat::Color::clearColor());
    row->setAutoresizingMask(kStayCentred);
    root->addSubview(row);
    std::shared_ptr<plat::TextField> boxes[4];
    for (int index = 0; index < 4; ++index) {
        boxes[index] = digitBox(plat::makeRect(index * (kBoxSide + kBoxGap), 0, kBoxSide, kBoxSide), index);
        row->addSubview(boxes[index]);
    }
    outlets.firstField = boxes[0];
    outlets.secondField = boxes[1];
    outlets.thirdField = boxes[2];
    outlets.fourthField = boxes[3];
    owner.setOutlet("_headerView", outlets.headerView);
    owner.setOutlet("_statusLabel", outlets.statusLabel);
    if (auto* screen = dynamic_cast<PassCodeViewController*>(&owner))
        screen->setOutlets(std::move(outlets));
    return root;
}

}  // namespace

void registerPassCodeLayout()
{
    plat::LayoutRegistry::registerLayout("PassCodeViewController", buildPassCode);
}

}  // namespace zt
