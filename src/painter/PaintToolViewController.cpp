#include "painter/PaintToolViewController.h"

#include "painter/PainterBrush.h"
#include "painter/PainterLayerTableViewController.h"
#include "painter/PainterToolSizeViewController.h"
#include "painter/Stroke.h"
#include "platform/foundation/Bundle.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableView.h"
#include "uikit/TintedNavigationController.h"

namespace zt {

namespace {
// On a phone the bar hangs above the screen's top edge with its lower part
// showing (the painter centres it at y 10), so its buttons sit low in it.
constexpr double kBarWidth = 568;
constexpr double kBarHeight = 130;
constexpr double kRowY = 58;
constexpr double kRowHeight = 38;
constexpr double kIndicatorY = 97;
constexpr double kIndicatorHeight = 4;
constexpr double kSecondRowY = 102;
constexpr double kSecondRowHeight = 26;
constexpr double kSecondRowButtonWidth = 62;
constexpr double kIndicatorInset = 5;
const plat::Color kBarColor = plat::Color::colorWithWhite(0.12, 0.85);
const plat::Color kSelectedColor = plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 0.55);

constexpr double kDimmedTitleAlpha = 0.35;

std::shared_ptr<plat::Button> makeToolButton(plat::Rect frame, const std::string& title, int64_t tag)
{
    auto button = plat::Button::buttonWithType(plat::ButtonType::Custom);
    button->setFrame(frame);
    button->setTitle(plat::localized(title), plat::ControlStateNormal);
    button->setTitleColor(plat::Color::whiteColor(), plat::ControlStateNormal);
    button->setTitleColor(plat::Color::whiteColor(), plat::ControlStateSelected);
    // Undo and Redo with nothing to undo or redo look dimmed.
    button->setTitleColor(plat::Color::colorWithWhite(1, kDimmedTitleAlpha), plat::ControlStateDisabled);
    button->titleLabel()->setFont(plat::Font::systemFontOfSize(13));
    // "Fountain Pen" in a phone's slot of 71 points: a little smaller rather than cut.
    button->titleLabel()->setAdjustsFontSizeToFitWidth(true);
    button->titleLabel()->setMinimumScaleFactor(0.75);
    button->setTag(tag);
    button->layer()->setCornerRadius(6);
    button->setAutoresizingMask(plat::ViewAutoresizingFlexibleTopMargin);
    return button;
}

// The bar takes the touches on its dark band, so that no stroke starts
// under it; below the band, where only the layers and stamp buttons float,
// a touch beside them reaches the picture.
class ToolBarView final : public plat::View {
public:
    using plat::View::View;
    void setBand(std::shared_ptr<plat::View> band) { _band = std::move(band); }

    std::shared_ptr<plat::View> hitTest(plat::Point point, const plat::Event* event) override
    {
        auto hit = plat::View::hitTest(point, event);
        auto band = _band.lock();
        if (hit.get() == this && band && point.y >= band->frame().maxY())
            return nullptr;
        return hit;
    }

private:
    std::weak_ptr<plat::View> _band;
};

std::shared_ptr<plat::View> buildToolBar(plat::ViewController& owner)
{
    auto root = std::make_shared<ToolBarView>(plat::makeRect(0, 0, kBarWidth, kBarHeight));
    root->setBackgroundColor(plat::Color::clearColor());
    // The dark band behind the row and its indicators only; layers and
    // stamp below it float over the picture on their own backgrounds.
    auto band = std::make_shared<plat::View>(plat::makeRect(0, 0, kBarWidth, kIndicatorY + kIndicatorHeight + 4));
    root->setBand(band);
    band->setBackgroundColor(kBarColor);
    band->setUserInteractionEnabled(false);
    band->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleTopMargin);
    root->addSubview(band);
    auto scroll = std::make_shared<plat::ScrollView>(plat::makeRect(0, kRowY, kBarWidth, kRowHeight));
    scroll->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleTopMargin);
    scroll->setUserInteractionEnabled(false);
    root->addSubview(scroll);
    owner.setOutlet("viewScrollViewTools", scroll);

    struct Entry {
        const char* outlet;
        const char* title;
        int64_t tag;
    };
    const Entry row[]
        = {{"btnBack", "Back", 0}, {"btnBrush", "Brush", kBrushTypeBrush}, {"btnPen", "Pen", kBrushTypePen},
            {"btnFountainPen", "Fountain Pen", kBrushTypeFountainPen}, {"btnEraser", "Eraser", kBrushTypeEraser},
            {"btnMove", "Move", kBrushTypeMove}, {"btnUndo", "Undo", 0}, {"btnRedo", "Redo", 0}};
    const double slot = kBarWidth / 8;
    double x = 0;
    for (const Entry& entry : row) {
        auto button = makeToolButton(plat::makeRect(x, kRowY, slot, kRowHeight), entry.title, entry.tag);
        root->addSubview(button);
        owner.setOutlet(entry.outlet, button);
        x += slot;
    }
    const char* indicators[] = {"viewToolColorBrush", "viewToolColorPen", "viewToolColorFountainPen"};
    for (int index = 0; index < 3; ++index) {
        auto indicator = std::make_shared<plat::View>(plat::makeRect(
            slot * (index + 1) + kIndicatorInset, kIndicatorY, slot - 2 * kIndicatorInset, kIndicatorHeight));
        indicator->setAutoresizingMask(plat::ViewAutoresizingFlexibleTopMargin);
        indicator->layer()->setCornerRadius(kIndicatorHeight / 2);
        root->addSubview(indicator);
        owner.setOutlet(indicators[index], indicator);
    }
    const double secondRowX = kBarWidth - 2 * (kSecondRowButtonWidth + 8);
    auto stamp
        = makeToolButton(plat::makeRect(secondRowX, kSecondRowY, kSecondRowButtonWidth, kSecondRowHeight), "Stamp", 0);
    auto layers = makeToolButton(
        plat::makeRect(secondRowX + kSecondRowButtonWidth + 8, kSecondRowY, kSecondRowButtonWidth, kSecondRowHeight),
        "Layers", 0);
    for (const auto& button : {stamp, layers}) {
        button->setBackgroundColor(kBarColor);
        button->setAutoresizingMask(plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleTopMargin);
        root->addSubview(button);
    }
    owner.setOutlet("btnStamp", stamp);
    owner.setOutlet("btnLayer", layers);
    return root;
}

template <typename T> std::shared_ptr<T> outletOf(const plat::ViewController& owner, const std::string& name)
{
    return std::dynamic_pointer_cast<T>(owner.outlet(name));
}
}  // namespace

void registerPaintToolLayout()
{
    plat::LayoutRegistry::registerLayout(PaintToolViewController::kLayoutName, buildToolBar);
}

PaintToolViewController::PaintToolViewController()
    : plat::ViewController(kLayoutName)
{
}

PaintToolViewController::~PaintToolViewController()
{
    if (_popoverController)
        _popoverController->dismissPopoverAnimated(/*animated=*/false);
}

void PaintToolViewController::loadView()
{
    if (!plat::LayoutRegistry::hasLayout(kLayoutName))
        registerPaintToolLayout();
    plat::ViewController::loadView();
}

void PaintToolViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    btnBack = outletOf<plat::Button>(*this, "btnBack");
    btnBrush = outletOf<plat::Button>(*this, "btnBrush");
    btnPen = outletOf<plat::Button>(*this, "btnPen");
    btnFountainPen = outletOf<plat::Button>(*this, "btnFountainPen");
    btnEraser = outletOf<plat::Button>(*this, "btnEraser");
    btnMove = outletOf<plat::Button>(*this, "btnMove");
    btnStamp = outletOf<plat::Button>(*this, "btnStamp");
    btnUndo = outletOf<plat::Button>(*this, "btnUndo");
    btnRedo = outletOf<plat::Button>(*this, "btnRedo");
    btnLayer = outletOf<plat::Button>(*this, "btnLayer");
    viewScrollViewTools = outletOf<plat::ScrollView>(*this, "viewScrollViewTools");
    viewToolColorBrush = outlet("viewToolColorBrush");
    viewToolColorPen = outlet("viewToolColorPen");
    viewToolColorFountainPen = outlet("viewToolColorFountainPen");

    const auto tap = plat::ControlEventTouchUpInside;
    btnBack->addTarget(this, &PaintToolViewController::actionButton1, tap);
    btnBrush->addTarget(this, &PaintToolViewController::actionButton3, tap);
    btnPen->addTarget(this, &PaintToolViewController::actionButton4, tap);
    btnFountainPen->addTarget(this, &PaintToolViewController::actionButton5, tap);
    btnEraser->addTarget(this, &PaintToolViewController::actionButton6, tap);
    btnMove->addTarget(this, &PaintToolViewController::actionMove, tap);
    btnStamp->addTarget(this, &PaintToolViewController::actionStamp, tap);
    btnUndo->addTarget(this, &PaintToolViewController::actionUndo, tap);
    btnRedo->addTarget(this, &PaintToolViewController::actionRedo, tap);
    btnLayer->addTarget(this, &PaintToolViewController::actionLayer, tap);
}

void PaintToolViewController::viewWillAppear(bool animated)
{
    plat::ViewController::viewWillAppear(animated);
    layoutButtons();
}

void PaintToolViewController::layoutButtons()
{
    std::vector<std::shared_ptr<plat::Button>> slots {
        btnBack, btnBrush, btnPen, btnFountainPen, btnEraser, btnMove, btnUndo, btnRedo};
    const double width = view()->frame().size.width;
    double slot = width / double(slots.size());
    if (slot > kWidestSlot) {
        slots.insert(slots.begin() + 1, nullptr);  // after back
        slots.insert(slots.begin() + 7, nullptr);  // after move
        slot = width / double(slots.size());
    }
    for (size_t index = 0; index < slots.size(); ++index) {
        const auto& button = slots[index];
        if (!button)
            continue;
        const double x = slot * double(index);
        plat::Rect frame = button->frame();
        button->setFrame(plat::makeRect(x, frame.minY(), slot, frame.height()));
        std::shared_ptr<plat::View> indicator;
        if (button == btnBrush)
            indicator = viewToolColorBrush;
        else if (button == btnPen)
            indicator = viewToolColorPen;
        else if (button == btnFountainPen)
            indicator = viewToolColorFountainPen;
        if (indicator) {
            const plat::Rect place = indicator->frame();
            indicator->setFrame(
                plat::makeRect(x + kIndicatorInset, place.minY(), slot - 2 * kIndicatorInset, place.height()));
        }
    }
}

std::shared_ptr<plat::Button> PaintToolViewController::shared(plat::Button& button) const
{
    return button.sharedAs<plat::Button>();
}

void PaintToolViewController::sendCode(int64_t code)
{
    if (auto delegate = _delegate.lock())
        delegate->paintToolDidSelectTool(code);
}

void PaintToolViewController::deselectCurrent()
{
    if (!_currentSelectedTool)
        return;
    _currentSelectedTool->setSelected(false);
    _currentSelectedTool->setBackgroundColor(std::nullopt);
    _currentSelectedTool = nullptr;
}

void PaintToolViewController::makeSelected(plat::Button& sender)
{
    deselectCurrent();
    sender.setSelected(true);
    sender.setBackgroundColor(kSelectedColor);
    _currentSelectedTool = shared(sender);
}

void PaintToolViewController::selectToolButton(plat::Button& sender, int64_t code)
{
    if (&sender == _currentSelectedTool.get()) {
        actionShowToolOptions(sender);
        return;
    }
    makeSelected(sender);
    sendCode(code);
}

void PaintToolViewController::actionButton1(plat::Button& sender)
{
    sender.setSelected(!sender.isSelected());
    sender.setEnabled(false);
    sendCode(kPaintToolBack);
}

void PaintToolViewController::actionButton2(plat::Button& sender)
{
    showLayerControlFromButton(sender);
}

void PaintToolViewController::actionButton3(plat::Button& sender)
{
    selectToolButton(sender, kPaintToolBrush);
}

void PaintToolViewController::actionButton4(plat::Button& sender)
{
    selectToolButton(sender, kPaintToolPen);
}

void PaintToolViewController::actionButton5(plat::Button& sender)
{
    selectToolButton(sender, kPaintToolFountainPen);
}

void PaintToolViewController::actionButton6(plat::Button& sender)
{
    selectToolButton(sender, kPaintToolEraser);
}

void PaintToolViewController::actionButton7(plat::Button& sender)
{
    makeSelected(sender);
    sendCode(kPaintToolButton7);
}

void PaintToolViewController::actionMove(plat::Button& sender)
{
    makeSelected(sender);
    sendCode(kPaintToolMove);
}

void PaintToolViewController::actionStamp(plat::Button& sender)
{
    makeSelected(sender);
    sendCode(kPaintToolStamp);
}

void PaintToolViewController::actionUndo(plat::Button&)
{
    sendCode(kPaintToolUndo);
}

void PaintToolViewController::actionRedo(plat::Button&)
{
    sendCode(kPaintToolRedo);
}

void PaintToolViewController::actionLayer(plat::Button& sender)
{
    showLayerControlFromButton(sender);
}

plat::Rect PaintToolViewController::frameInBar(const plat::Button& button)
{
    const auto from = button.superview();
    return from ? from->convertRect(button.frame(), view().get()) : button.frame();
}

void PaintToolViewController::actionShowToolOptions(plat::Button& sender)
{
    auto found = _brushes.find(sender.tag());
    if (found == _brushes.end())
        return;  // a button without a brush has no size
    auto brush = found->second;
    if (brush->type() == kBrushTypeEraser)
        brush->setColor(plat::Color::whiteColor());  // so that the preview shows
    auto sizes = std::make_shared<PainterToolSizeViewController>();
    sizes->setBrush(brush);
    if (_popoverController)
        _popoverController->dismissPopoverAnimated(/*animated=*/false);
    _popoverController = std::make_shared<BubblePopoverController>(sizes);
    _popoverController->setDelegate(sharedAs<PaintToolViewController>());
    _popoverController->presentPopoverFromRect(
        frameInBar(sender), *view(), kBubbleArrowDirectionAny, /*animated=*/true);
}

void PaintToolViewController::showLayerControlFromButton(plat::Button& sender)
{
    if (!_painterLayerTableViewController)
        return;
    auto navigation = std::make_shared<TintedNavigationController>(_painterLayerTableViewController);
    if (_popoverController)
        _popoverController->dismissPopoverAnimated(/*animated=*/false);
    _popoverController = std::make_shared<BubblePopoverController>(navigation);
    _popoverController->setDelegate(_painterLayerTableViewController);
    _popoverController->presentPopoverFromRect(frameInBar(sender), *view(), kBubbleArrowDirectionUp, /*animated=*/true);
    _painterLayerTableViewController->tableView()->reloadData();
    // The reload drops the selection the list made as it appeared, and
    // without a selected row its add and delete buttons do nothing.
    _painterLayerTableViewController->updateSelectionHandler();
}

void PaintToolViewController::setBrush(std::shared_ptr<PainterBrush> brush, int64_t type)
{
    view();
    if (!brush)
        return;
    std::shared_ptr<plat::View> indicator;
    if (type == kBrushTypeBrush)
        indicator = viewToolColorBrush;
    else if (type == kBrushTypePen)
        indicator = viewToolColorPen;
    else if (type == kBrushTypeFountainPen)
        indicator = viewToolColorFountainPen;
    if (indicator)
        indicator->setBackgroundColor(brush->color());
    _brushes[type] = std::move(brush);
}

void PaintToolViewController::setColor(const plat::Color& color, int64_t tool)
{
    view();
    const std::shared_ptr<plat::View> indicators[] = {viewToolColorBrush, viewToolColorPen, viewToolColorFountainPen};
    if (tool >= 0 && tool < 3 && indicators[tool])
        indicators[tool]->setBackgroundColor(color);
}

void PaintToolViewController::setSelectedTool(int64_t tool)
{
    view();
    deselectCurrent();
    const std::shared_ptr<plat::Button> tools[] = {btnBrush, btnPen, btnFountainPen, btnEraser};
    if (tool >= 0 && tool < 4 && tools[tool])
        makeSelected(*tools[tool]);
}

void PaintToolViewController::hideTool(int64_t tool)
{
    view();
    switch (tool) {
    case 0:
        btnBrush->setHidden(true);
        viewToolColorBrush->setHidden(true);
        break;
    case 1:
        btnPen->setHidden(true);
        viewToolColorPen->setHidden(true);
        break;
    case 2:
        btnFountainPen->setHidden(true);
        viewToolColorFountainPen->setHidden(true);
        break;
    case 3:
        btnEraser->setHidden(true);
        break;
    case 4:
        btnMove->setHidden(true);
        break;
    default:
        break;
    }
}

void PaintToolViewController::enableTool(int64_t code, bool enabled)
{
    view();
    if (code == kPaintToolUndo)
        btnUndo->setEnabled(enabled);
    else if (code == kPaintToolRedo)
        btnRedo->setEnabled(enabled);
}

}  // namespace zt
