// The explorer's layouts, "ProjectExplorer" (phone, 568 x 320) and
// "ProjectExplorer_iPad" (tablet, 1024 x 768): the background picture, the
// carousel across the middle, the name and details under it, the toolbar at
// the bottom, and a busy cover over everything.
#include "app/AppLayouts.h"
#include "app/ProjectExplorer.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/TextField.h"
#include "uikit/Carousel.h"
#include "uikit/TransparentToolbar.h"

namespace zt::detail {

namespace {

struct ExplorerGeometry {
    plat::Size screen;
    const char* background;
    double carouselTop;
    double carouselHeight;
    double detailsWidth;
    double nameFontSize;
    double detailsFontSize;
    double toolbarItemSpacing;
};

constexpr ExplorerGeometry kPhone {{568, 320}, "explorer_bg", 34, 170, 420, 18, 13, 14};
constexpr ExplorerGeometry kTablet {{1024, 768}, "explorer_bg_iPad", 150, 340, 600, 26, 17, 30};
constexpr double kNameHeight = 32;
constexpr double kGapBelowCarousel = 8;

std::shared_ptr<plat::BarButtonItem> makeItem(const std::string& image, const std::string& label)
{
    auto item = std::make_shared<plat::BarButtonItem>(plat::Image::imageNamed(image), plat::BarButtonItemStyle::Plain);
    item->setAccessibilityLabel(plat::localized(label));
    return item;
}

std::shared_ptr<plat::BarButtonItem> space(plat::BarButtonSystemItem kind, double width = 0)
{
    auto item = std::make_shared<plat::BarButtonItem>(kind);
    item->setWidth(width);
    return item;
}

std::shared_ptr<plat::View> buildExplorer(plat::ViewController& owner, const ExplorerGeometry& g)
{
    const double width = g.screen.width, height = g.screen.height;
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, width, height));
    root->setBackgroundColor(plat::Color::blackColor());
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    ProjectExplorer::Outlets outlets;

    outlets.imageViewExplorerBG = std::make_shared<plat::ImageView>(plat::Image::imageNamed(g.background));
    outlets.imageViewExplorerBG->setFrame(root->bounds());
    outlets.imageViewExplorerBG->setContentMode(plat::ContentMode::ScaleAspectFill);
    outlets.imageViewExplorerBG->setAutoresizingMask(
        plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    root->addSubview(outlets.imageViewExplorerBG);

    outlets.carousel = std::make_shared<Carousel>(plat::makeRect(0, g.carouselTop, width, g.carouselHeight));
    outlets.carousel->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    outlets.carousel->setAccessibilityIdentifier("projects");
    root->addSubview(outlets.carousel);

    const double detailsTop = g.carouselTop + g.carouselHeight + kGapBelowCarousel;
    const double detailsLeft = (width - g.detailsWidth) / 2;
    outlets.viewProjectDetails = std::make_shared<plat::View>(
        plat::makeRect(detailsLeft, detailsTop, g.detailsWidth, kNameHeight + g.detailsFontSize + 10));
    outlets.viewProjectDetails->setAlpha(0);
    outlets.viewProjectDetails->setAutoresizingMask(
        plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleRightMargin);
    root->addSubview(outlets.viewProjectDetails);
    outlets.textFieldName = std::make_shared<plat::TextField>(plat::makeRect(0, 0, g.detailsWidth, kNameHeight));
    outlets.textFieldName->setFont(plat::Font::boldSystemFontOfSize(g.nameFontSize));
    outlets.textFieldName->setTextColor(plat::Color::whiteColor());
    outlets.textFieldName->setTextAlignment(plat::TextAlignment::Center);
    outlets.textFieldName->setReturnKeyType(plat::ReturnKeyType::Done);
    outlets.textFieldName->setAccessibilityIdentifier("projectName");
    outlets.viewProjectDetails->addSubview(outlets.textFieldName);
    outlets.labelDate
        = std::make_shared<plat::Label>(plat::makeRect(0, kNameHeight + 2, g.detailsWidth, g.detailsFontSize + 6));
    outlets.labelDate->setFont(plat::Font::systemFontOfSize(g.detailsFontSize));
    outlets.labelDate->setTextColor(plat::Color::colorWithWhite(0.8, 1));
    outlets.labelDate->setTextAlignment(plat::TextAlignment::Center);
    outlets.viewProjectDetails->addSubview(outlets.labelDate);

    outlets.labelNewProjectInfo
        = std::make_shared<plat::Label>(plat::makeRect(detailsLeft, detailsTop + 4, g.detailsWidth, kNameHeight));
    outlets.labelNewProjectInfo->setFont(plat::Font::systemFontOfSize(g.nameFontSize - 2));
    outlets.labelNewProjectInfo->setTextColor(plat::Color::whiteColor());
    outlets.labelNewProjectInfo->setTextAlignment(plat::TextAlignment::Center);
    outlets.labelNewProjectInfo->setAutoresizingMask(
        plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleRightMargin);
    root->addSubview(outlets.labelNewProjectInfo);

    outlets.toolBar = std::make_shared<TransparentToolbar>(
        plat::makeRect(0, height - plat::Toolbar::kHeight, width, plat::Toolbar::kHeight));
    outlets.toolBar->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleTopMargin);
    outlets.btnInfo = makeItem("explorer_icon_help_ios7", "Help");
    outlets.galleryBtn = makeItem("explorer_icon_galery_ios7", "Gallery");
    outlets.playBtn = makeItem("explorer_icon_play_ios7", "Play");
    outlets.shareBtn = makeItem("explorer_icon_share_ios7", "Share");
    outlets.addBtn = makeItem("explorer_icon_duplicate_ios7", "Duplicate");
    outlets.editorBtn = makeItem("explorer_icon_edit_ios7", "Edit");
    outlets.trashBtn = makeItem("explorer_icon_trash_ios7", "Delete");
    const auto fixed = [&] { return space(plat::BarButtonSystemItem::FixedSpace, g.toolbarItemSpacing); };
    const auto flexible = [] { return space(plat::BarButtonSystemItem::FlexibleSpace); };
    outlets.toolBar->setItems({outlets.btnInfo, fixed(), outlets.galleryBtn, flexible(), outlets.playBtn, fixed(),
        outlets.shareBtn, fixed(), outlets.addBtn, fixed(), outlets.editorBtn, fixed(), outlets.trashBtn});
    root->addSubview(outlets.toolBar);

    outlets.viewWait = std::make_shared<plat::View>(root->bounds());
    outlets.viewWait->setBackgroundColor(plat::Color::colorWithWhite(0, 0.4));
    outlets.viewWait->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    auto spinner = std::make_shared<plat::ActivityIndicatorView>(plat::ActivityIndicatorViewStyle::WhiteLarge);
    spinner->setCenter({width / 2, g.carouselTop + g.carouselHeight / 2});
    spinner->setHidesWhenStopped(false);
    outlets.viewWait->addSubview(spinner);
    outlets.viewWait->setHidden(true);
    root->addSubview(outlets.viewWait);

    owner.setOutlet("imageViewExplorerBG", outlets.imageViewExplorerBG);
    owner.setOutlet("carousel", outlets.carousel);
    owner.setOutlet("viewProjectDetails", outlets.viewProjectDetails);
    owner.setOutlet("textFieldName", outlets.textFieldName);
    owner.setOutlet("labelDate", outlets.labelDate);
    owner.setOutlet("labelNewProjectInfo", outlets.labelNewProjectInfo);
    owner.setOutlet("toolBar", outlets.toolBar);
    owner.setOutlet("viewWait", outlets.viewWait);

    if (auto* explorer = dynamic_cast<ProjectExplorer*>(&owner)) {
        outlets.editorBtn->setTarget(explorer, &ProjectExplorer::actionAddImagesToRecord);
        outlets.playBtn->setTarget(explorer, &ProjectExplorer::actionPlay);
        outlets.addBtn->setTarget(explorer, &ProjectExplorer::actionDuplicate);
        outlets.trashBtn->setTarget(explorer, &ProjectExplorer::actionTrash);
        outlets.shareBtn->setTarget(explorer, &ProjectExplorer::actionShare);
        outlets.btnInfo->setTarget(explorer, &ProjectExplorer::actionHelp);
        outlets.galleryBtn->setTarget(explorer, &ProjectExplorer::actionYoutubeGalery);
        auto shared = explorer->sharedAs<ProjectExplorer>();
        outlets.carousel->setDataSource(std::static_pointer_cast<CarouselDataSource>(shared));
        outlets.carousel->setDelegate(std::static_pointer_cast<CarouselDelegate>(shared));
        explorer->setOutlets(std::move(outlets));
    }
    return root;
}

}  // namespace

void registerProjectExplorerLayouts()
{
    plat::LayoutRegistry::registerLayout(
        "ProjectExplorer", [](plat::ViewController& owner) { return buildExplorer(owner, kPhone); });
    plat::LayoutRegistry::registerLayout(
        "ProjectExplorer_iPad", [](plat::ViewController& owner) { return buildExplorer(owner, kTablet); });
}

}  // namespace zt::detail
