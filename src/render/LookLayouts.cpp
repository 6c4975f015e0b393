#include "render/LookLayouts.h"

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/TableView.h"
#include "render/ForegroundSelectViewController.h"
#include "render/OutlineViewController.h"
#include "render/RenderProgressViewController.h"
#include "render/ThemeSelectViewController.h"
#include "uikit/Carousel.h"

namespace zt {

namespace {

// A chooser fills one row of the look sheet: one line of pictures.
constexpr double kChooserWidth = 320;
constexpr double kChooserHeight = 88;
constexpr unsigned kFlexibleSize = plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight;
const plat::Color kChooserBackground = plat::Color::colorWithWhite(0.12, 1);

std::shared_ptr<plat::View> buildChooser(plat::ViewController& owner)
{
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, kChooserWidth, kChooserHeight));
    root->setBackgroundColor(kChooserBackground);
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    auto carousel = std::make_shared<Carousel>(root->bounds());
    carousel->setAutoresizingMask(kFlexibleSize);
    carousel->setAccessibilityIdentifier(owner.nibName());
    root->addSubview(carousel);
    auto indicator = std::make_shared<plat::ActivityIndicatorView>(plat::ActivityIndicatorViewStyle::WhiteLarge);
    indicator->setCenter({kChooserWidth / 2, kChooserHeight / 2});
    indicator->setAutoresizingMask(
        plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleRightMargin);
    indicator->setHidesWhenStopped(true);
    root->addSubview(indicator);
    owner.setOutlet("carousel", carousel);
    owner.setOutlet("activityIndicator", indicator);
    if (auto* chooser = dynamic_cast<LookChooserViewController*>(&owner)) {
        chooser->setOutlets(carousel, indicator);
        auto shared = chooser->sharedAs<LookChooserViewController>();
        carousel->setDataSource(std::weak_ptr<CarouselDataSource>(shared));
        carousel->setDelegate(std::weak_ptr<CarouselDelegate>(shared));
    }
    return root;
}

// Table screens whose layout is the table alone.
plat::LayoutRegistry::Builder tableLayout(plat::TableViewStyle style)
{
    return [style](plat::ViewController&) -> std::shared_ptr<plat::View> {
        auto table = std::make_shared<plat::TableView>(plat::makeRect(0, 0, 320, 480), style);
        table->setAutoresizingMask(kFlexibleSize);
        return table;
    };
}

}  // namespace

void registerLookLayouts()
{
    plat::LayoutRegistry::registerLayout("ThemeSelectViewController", buildChooser);
    plat::LayoutRegistry::registerLayout("ForegroundSelectViewController", buildChooser);
    plat::LayoutRegistry::registerLayout("RenderProgressViewController", tableLayout(plat::TableViewStyle::Plain));
    plat::LayoutRegistry::registerLayout("OutlineViewController", tableLayout(plat::TableViewStyle::Plain));
}

}  // namespace zt
