#include "uikit/HelpLayouts.h"

#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Screen.h"
#include "uikit/AppTint.h"
#include "uikit/HelpManager.h"
#include "uikit/VerticallyAlignedLabel.h"

namespace zt {

namespace {

// The texts are placed by their centres (HelpManager::layoutViews); at this
// width they end before the arrows' tails (scripts/draw-help-resources.c).
constexpr double kTextWidth = 200;
constexpr double kTitleHeight = 30;
constexpr double kDescriptionHeight = 70;
constexpr double kTitleFontSize = 20;
constexpr double kDescriptionFontSize = 14;
constexpr plat::Size kNextButtonSize {90, 34};
constexpr double kNextButtonBorderWidth = 1.5;

std::shared_ptr<plat::View> buildCoachMark(plat::ViewController& owner)
{
    auto root = std::make_shared<plat::View>(plat::Screen::mainScreen().bounds());
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);

    auto circle = std::make_shared<plat::ImageView>(plat::Image::imageNamed("help_circle"));
    root->addSubview(circle);
    auto arrow = std::make_shared<plat::ImageView>();
    root->addSubview(arrow);

    HelpManager::Outlets outlets;
    outlets.labelTitle = std::make_shared<plat::Label>(plat::makeRect(0, 0, kTextWidth, kTitleHeight));
    outlets.labelTitle->setFont(plat::Font::boldSystemFontOfSize(kTitleFontSize));
    outlets.labelTitle->setTextColor(plat::Color::whiteColor());
    outlets.labelTitle->setBackgroundColor(plat::Color::clearColor());
    outlets.labelTitle->setAdjustsFontSizeToFitWidth(true);
    outlets.labelTitle->setMinimumScaleFactor(0.6);
    root->addSubview(outlets.labelTitle);

    outlets.labelDescription
        = std::make_shared<VerticallyAlignedLabel>(plat::makeRect(0, 0, kTextWidth, kDescriptionHeight));
    outlets.labelDescription->setVerticalAlignment(VerticalAlignmentTop);
    outlets.labelDescription->setFont(plat::Font::systemFontOfSize(kDescriptionFontSize));
    outlets.labelDescription->setTextColor(plat::Color::whiteColor());
    outlets.labelDescription->setBackgroundColor(plat::Color::clearColor());
    outlets.labelDescription->setNumberOfLines(0);
    outlets.labelDescription->setLineBreakMode(plat::LineBreakMode::WordWrapping);
    root->addSubview(outlets.labelDescription);

    outlets.btnNext = plat::Button::buttonWithType(plat::ButtonType::Custom);
    outlets.btnNext->setFrame({{}, kNextButtonSize});
    outlets.btnNext->setBackgroundColor(appTintColor());
    outlets.btnNext->setTitleColor(plat::Color::whiteColor(), plat::ControlStateNormal);
    outlets.btnNext->titleLabel()->setFont(plat::Font::boldSystemFontOfSize(16));
    outlets.btnNext->layer()->setCornerRadius(kNextButtonSize.height / 2);
    outlets.btnNext->layer()->setBorderWidth(kNextButtonBorderWidth);
    outlets.btnNext->layer()->setBorderColor(plat::Color::whiteColor());
    root->addSubview(outlets.btnNext);

    owner.setOutlet("btnNext", outlets.btnNext);
    owner.setOutlet("_labelTitle", outlets.labelTitle);
    owner.setOutlet("_labelDescription", outlets.labelDescription);
    owner.setOutlet("_imageViewArrow", arrow);
    owner.setOutlet("imageViewCircle", circle);
    if (auto* coachMark = dynamic_cast<HelpManager*>(&owner)) {
        outlets.imageViewArrow = arrow;
        outlets.btnNext->addTarget(coachMark, &HelpManager::actionNext, plat::ControlEventTouchUpInside);
        coachMark->setImageViewCircle(circle);
        coachMark->setOutlets(std::move(outlets));
    }
    return root;
}

}  // namespace

namespace detail {

void registerHelpLayouts()
{
    plat::LayoutRegistry::registerLayout(HelpManager::kLayoutName, buildCoachMark);
}

}  // namespace detail

}  // namespace zt
