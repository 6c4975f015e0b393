#include "greenscreen/ChromaKeyConfigurationViewController.h"

#include <algorithm>

#include "greenscreen/ChromaKeyBackgroundConfigurationViewController.h"
#include "greenscreen/ChromaKeyColorConfigurationViewController.h"
#include "greenscreen/ChromaKeySensitivityConfigurationViewController.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TableViewCell.h"
#include "uikit/BubblePopoverController.h"
#include "uikit/TintedNavigationController.h"

namespace zt {

namespace {

constexpr int64_t kBackgroundRow = 0;
constexpr int64_t kColorRow = 1;
constexpr int64_t kSensitivityRow = 2;

}  // namespace

ChromaKeyConfigurationViewController::ChromaKeyConfigurationViewController()
    : ChromaKeyListViewController("Green Screen",
        {
            {"Background", "chromakey_icon_backdrop", plat::TableViewCellAccessoryType::DisclosureIndicator},
            {"Color", "chromakey_icon_color", plat::TableViewCellAccessoryType::DisclosureIndicator},
            {"", "", plat::TableViewCellAccessoryType::None, kSensitivityRowHeight, /*selectable=*/false},
        })
{
    setContentSizeForViewInPopover({kPopoverWidth, kPopoverHeight});
}

std::shared_ptr<BubblePopoverController> ChromaKeyConfigurationViewController::popoverWithConfiguration(
    std::weak_ptr<ChromaKeyConfigurationDelegate> delegate, float currentChromaKeyTreshold)
{
    auto configuration = std::make_shared<ChromaKeyConfigurationViewController>();
    configuration->setCurrentChromaKeyTreshold(currentChromaKeyTreshold);
    configuration->setDelegate(std::move(delegate));
    auto navigation = std::make_shared<TintedNavigationController>(configuration);
    // The popover takes its size from what it shows, the navigation
    // controller: the bar above the screen, and the screen tall enough for
    // its rows, since the list does not scroll and the sensitivity panel
    // must show whole.
    const plat::Size screenSize = configuration->contentSizeForViewInPopover();
    double rowsHeight = 0;
    for (const ChromaKeyRow& row : configuration->rows())
        rowsHeight += row.height;
    navigation->setContentSizeForViewInPopover(
        {screenSize.width, std::max(screenSize.height, rowsHeight) + plat::NavigationBar::kHeight});
    return std::make_shared<BubblePopoverController>(navigation);
}

void ChromaKeyConfigurationViewController::viewDidLoad()
{
    ChromaKeyListViewController::viewDidLoad();
    _sensitivityController = std::make_shared<ChromaKeySensitivityConfigurationViewController>();
    _sensitivityController->setDelegate(delegate());
}

void ChromaKeyConfigurationViewController::didSelectRow(int64_t row)
{
    if (row == kBackgroundRow) {
        auto backdrops = std::make_shared<ChromaKeyBackgroundConfigurationViewController>();
        backdrops->setDelegate(delegate());
        pushScreen(backdrops);
    } else if (row == kColorRow) {
        auto colours = std::make_shared<ChromaKeyColorConfigurationViewController>();
        colours->setDelegate(delegate());
        pushScreen(colours);
    }
}

void ChromaKeyConfigurationViewController::didFillCell(plat::TableViewCell& cell, int64_t row)
{
    if (row != kSensitivityRow || !_sensitivityController)
        return;
    auto panel = _sensitivityController->view();
    panel->setFrame(cell.contentView()->bounds());
    panel->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    cell.contentView()->addSubview(panel);
    _sensitivityController->setCurrentChromaKeyTreshold(_currentChromaKeyTreshold);
}

}  // namespace zt
