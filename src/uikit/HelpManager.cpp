#include "uikit/HelpManager.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "uikit/HelpManagerDelegate.h"
#include "uikit/HelpStateFile.h"
#include "uikit/VerticallyAlignedLabel.h"

namespace zt {

namespace {

constexpr const char* kBundleName = "HelpManager";
constexpr const char* kTableName = "HelpManager";

// The coach marks' own bundle, opened once and kept; the main bundle's
// folder when it is missing, so that texts still fall back to their keys.
const plat::Bundle& helpBundle()
{
    static const plat::Bundle bundle([] {
        auto path = plat::Bundle::mainBundle().pathForResource(kBundleName, "bundle");
        if (!path) {
            plat::log("help: the resource bundle HelpManager.bundle is missing");
            return plat::Bundle::mainBundle().resourcePath();
        }
        return *path;
    }());
    return bundle;
}

std::string helpText(const std::string& key)
{
    return helpBundle().localizedStringForKey(key, {}, kTableName);
}

// Where the arrow and the texts go for a spot in one quarter of the overlay.
struct QuadrantPlacement {
    const char* arrowImage;
    plat::Point arrowOffset;
    plat::Point descriptionOffset;
    plat::Point titleOffset;
    bool alignsRight;  // otherwise the texts keep their alignment
};

constexpr QuadrantPlacement kRightUpper {"help_arrow_right_up", {-80, 50}, {-220, 70}, {-220, 20}, true};
constexpr QuadrantPlacement kLeftUpper {"help_arrow_left_up", {75, 50}, {200, 100}, {200, 50}, false};
constexpr QuadrantPlacement kRightLower {"help_arrow_right_down", {-35, -75}, {-125, -100}, {-125, -150}, true};
constexpr QuadrantPlacement kLeftLower {"help_arrow_left_down", {45, -75}, {190, -50}, {190, -100}, false};

// Tested in this order, so a spot on a middle line takes the first that matches.
const QuadrantPlacement& placementFor(plat::Point p, double width, double height)
{
    if (p.x >= width / 2 && p.y <= height / 2)
        return kRightUpper;
    if (p.x <= width / 2 && p.y <= height / 2)
        return kLeftUpper;
    if (p.x >= width / 2)
        return kRightLower;
    return kLeftLower;
}

plat::Point offsetPoint(plat::Point p, plat::Point offset)
{
    return {p.x + offset.x, p.y + offset.y};
}

}  // namespace

std::shared_ptr<HelpManager> HelpManager::initWithName(const std::string& name)
{
    if (HelpStateFile::wasShown(name))
        return nullptr;
    return std::make_shared<HelpManager>(name);
}

HelpManager::HelpManager(std::string name)
    : plat::ViewController(kLayoutName)
    , _name(std::move(name))
{
}

HelpManager::~HelpManager() = default;

void HelpManager::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    view()->setBackgroundColor(plat::Color::colorWithWhite(0, kDimmingAlpha));
    view()->setAlpha(kHiddenAlpha);
    if (_outlets.labelTitle)
        _outlets.labelTitle->setText(helpText("HELP_LABEL_1_TITLE_" + _name));
    if (_outlets.labelDescription)
        _outlets.labelDescription->setText(helpText("HELP_LABEL_1_DESCRIPTION_" + _name));
    if (_outlets.btnNext)
        _outlets.btnNext->setTitle(helpText("HELP_BUTTON_NEXT"), plat::ControlStateNormal);
}

void HelpManager::viewWillLayoutSubviews()
{
    plat::ViewController::viewWillLayoutSubviews();
    layoutViews();
}

bool HelpManager::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation) const
{
    return true;
}

void HelpManager::show()
{
    auto overlay = view();
    plat::View::animateWithDuration(kFadeSeconds, [overlay] { overlay->setAlpha(1.0); });
}

void HelpManager::actionNext(plat::Control&)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (_isRemoving)
        return;
    _isRemoving = true;
    // The completion keeps the coach mark alive: its owner may let go of it meanwhile.
    auto self = sharedAs<HelpManager>();
    auto overlay = view();
    plat::View::animateWithDuration(
        kFadeSeconds, [overlay] { overlay->setAlpha(0); }, [self](bool) { self->finishRemoving(); });
}

void HelpManager::finishRemoving()
{
    if (auto recorded = HelpStateFile::recordShown(_name); !recorded.ok())
        plat::log("help: cannot record the coach mark {} as shown: {}", _name, recorded.error().localizedDescription());
    view()->removeFromSuperview();
    if (auto delegate = _delegate.lock())
        delegate->helpManangerDidFinish(*this);
}

void HelpManager::layoutViews()
{
    // Placed in the overlay's own coordinates, where the spot is given.
    const plat::Rect area = view()->bounds();
    const double w = area.width();
    const double h = area.height();

    if (const auto& next = _outlets.btnNext) {
        const double b = next->bounds().width();
        switch (_positionNextBtn) {
        case NextButtonTopLeft:
            next->setCenter({50, 100});
            break;
        case NextButtonUpperLeft:
            next->setCenter({50, 25});
            break;
        case NextButtonTopRight:
            next->setCenter({w - b, 50});
            break;
        case NextButtonBottomRight:
            next->setCenter({w - b, h - 50});
            break;
        default:
            break;
        }
    }

    plat::Point p = _positionLabel;
    if (auto spotView = _positionView.lock()) {
        p = spotView->center();
        // Its centre is in its superview's coordinates.
        if (auto holder = spotView->superview())
            p = holder->convertPoint(p, view().get());
    }
    if (auto circle = _imageViewCircle.lock())
        circle->setCenter(p);

    const QuadrantPlacement& placement = placementFor(p, w, h);
    if (const auto& arrow = _outlets.imageViewArrow) {
        arrow->setImage(plat::Image::imageNamed(placement.arrowImage));
        if (arrow->image())
            arrow->setBounds({{}, arrow->image()->size()});
        arrow->setCenter(offsetPoint(p, placement.arrowOffset));
    }
    if (const auto& description = _outlets.labelDescription) {
        description->setCenter(offsetPoint(p, placement.descriptionOffset));
        if (placement.alignsRight)
            description->setTextAlignment(plat::TextAlignment::Right);
    }
    if (const auto& title = _outlets.labelTitle) {
        title->setCenter(offsetPoint(p, placement.titleOffset));
        if (placement.alignsRight)
            title->setTextAlignment(plat::TextAlignment::Right);
    }
}

}  // namespace zt
