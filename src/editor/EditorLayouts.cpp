#include "editor/EditorLayouts.h"

#include "editor/EffectSelectionViewController.h"
#include "editor/QVImageEditorFrameView.h"
#include "editor/QVImageEditorViewController.h"
#include "editor/ThemeSettingsViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Toolbar.h"
#include "render/LookLayouts.h"
#include "uikit/Carousel.h"
#include "uikit/HelpLayouts.h"
#include "uikit/UIImageResize.h"

namespace zt {

namespace {

constexpr unsigned kFlexibleSize = plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight;
// The effect chooser sits in a row of the look sheet: one row of pictures.
constexpr double kEffectChooserWidth = 320;
constexpr double kEffectChooserHeight = 88;
const plat::Color kEffectChooserBackground = plat::Color::colorWithWhite(0.12, 1);

std::shared_ptr<plat::BarButtonItem> makeIconItem(const std::string& image, const std::string& label)
{
    auto item = std::make_shared<plat::BarButtonItem>(tintedImageNamed(image), plat::BarButtonItemStyle::Plain);
    item->setAccessibilityLabel(plat::localized(label));
    return item;
}

std::shared_ptr<plat::BarButtonItem> makeSpace(plat::BarButtonSystemItem kind, double width = 0)
{
    auto item = std::make_shared<plat::BarButtonItem>(kind);
    item->setWidth(width);
    return item;
}

// The picture fills the screen under the overlay; the bar along the bottom
// cancels, mirrors, resets and finishes.
std::shared_ptr<plat::View> buildImageEditor(plat::ViewController& owner)
{
    plat::Rect screen = plat::Screen::mainScreen().bounds();
    auto root = std::make_shared<plat::View>(screen);
    root->setBackgroundColor(plat::Color::blackColor());
    root->setAutoresizingMask(kFlexibleSize);

    auto overlay = std::make_shared<QVImageEditorFrameView>(root->bounds());
    overlay->setAutoresizingMask(kFlexibleSize);
    overlay->setMultipleTouchEnabled(true);
    root->addSubview(overlay);

    // Dark and see-through: the picture goes on under it.
    auto toolbar = std::make_shared<plat::Toolbar>(
        plat::makeRect(0, screen.height() - plat::Toolbar::kHeight, screen.width(), plat::Toolbar::kHeight));
    toolbar->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleTopMargin);
    toolbar->setBarStyle(plat::BarStyle::Black);
    toolbar->setTranslucent(true);
    toolbar->setTintColor(plat::Color::whiteColor());
    auto cancel = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Cancel);
    auto flipHorizontal = makeIconItem("imageeditor_flip_horizontal", "Flip Horizontally");
    auto flipVertical = makeIconItem("imageeditor_flip_vertical", "Flip Vertically");
    auto reset = std::make_shared<plat::BarButtonItem>(plat::localized("Reset"), plat::BarButtonItemStyle::Plain);
    auto done = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Done);
    constexpr double kItemSpacing = 24;
    toolbar->setItems({cancel, makeSpace(plat::BarButtonSystemItem::FlexibleSpace), flipHorizontal,
        makeSpace(plat::BarButtonSystemItem::FixedSpace, kItemSpacing), flipVertical,
        makeSpace(plat::BarButtonSystemItem::FixedSpace, kItemSpacing), reset,
        makeSpace(plat::BarButtonSystemItem::FlexibleSpace), done});
    root->addSubview(toolbar);

    owner.setOutlet("frameView", overlay);
    owner.setOutlet("toolbar", toolbar);
    if (auto* editor = dynamic_cast<QVImageEditorViewController*>(&owner)) {
        editor->setFrameView(overlay);
        cancel->setTarget(editor, &QVImageEditorViewController::cancelAction);
        flipHorizontal->setTarget(editor, &QVImageEditorViewController::actionFlipHorizontal);
        flipVertical->setTarget(editor, &QVImageEditorViewController::actionFlipVertical);
        reset->setTarget(editor, &QVImageEditorViewController::resetAnimatedAction);
        done->setTarget(editor, &QVImageEditorViewController::doneAction);
    }
    return root;
}

std::shared_ptr<plat::View> buildEffectChooser(plat::ViewController& owner)
{
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, kEffectChooserWidth, kEffectChooserHeight));
    root->setBackgroundColor(kEffectChooserBackground);
    root->setClipsToBounds(true);
    root->setAutoresizingMask(kFlexibleSize);
    auto carousel = std::make_shared<Carousel>(root->bounds());
    carousel->setAutoresizingMask(kFlexibleSize);
    root->addSubview(carousel);
    owner.setOutlet("carousel", carousel);
    if (auto* chooser = dynamic_cast<EffectSelectionViewController*>(&owner)) {
        chooser->setCarousel(carousel);
        auto shared = chooser->sharedAs<EffectSelectionViewController>();
        carousel->setDelegate(std::weak_ptr<CarouselDelegate>(shared));
        carousel->setDataSource(std::weak_ptr<CarouselDataSource>(shared));
    }
    return root;
}

}  // namespace

void registerEditorLayouts()
{
    plat::LayoutRegistry::registerLayout("ImageEditor", buildImageEditor);
    plat::LayoutRegistry::registerLayout("QVImageEditorViewController", buildImageEditor);
    plat::LayoutRegistry::registerLayout("EffectSelectionViewController", buildEffectChooser);
    detail::registerHelpLayouts();
    registerLookLayouts();
    registerThemeSettingsLayouts();
}

}  // namespace zt
