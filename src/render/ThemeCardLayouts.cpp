#include "platform/foundation/Bundle.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/TextView.h"
#include "render/ThemeCardEditViewController.h"

namespace zt {

namespace {

struct EditorMetrics {
    plat::Size screen;
    double holderHeight;
    double fontSize;
};

constexpr EditorMetrics kPhone {{568, 320}, 70, 22};
constexpr EditorMetrics kTablet {{1024, 768}, 110, 34};
constexpr double kMargin = 10;
constexpr double kCloseButtonSize = 44;

// The card's background filling a 16:9 area, the text in a pale band across
// its lower half, and a close button in the top right corner.
plat::LayoutRegistry::Builder editorLayout(EditorMetrics metrics)
{
    return [metrics](plat::ViewController& owner) {
        auto root = std::make_shared<plat::View>(plat::Rect {{0, 0}, metrics.screen});
        root->setBackgroundColor(plat::Color::blackColor());
        const double pictureHeight = metrics.screen.width * 9 / 16;
        const plat::Rect picture
            = plat::makeRect(0, (metrics.screen.height - pictureHeight) / 2, metrics.screen.width, pictureHeight);
        auto background = std::make_shared<plat::ImageView>(picture);
        background->setContentMode(plat::ContentMode::ScaleAspectFill);
        background->setClipsToBounds(true);
        root->addSubview(background);

        const double holderWidth = metrics.screen.width * 0.7;
        auto holder = std::make_shared<plat::View>(plat::makeRect(
            (metrics.screen.width - holderWidth) / 2, picture.midY() + kMargin, holderWidth, metrics.holderHeight));
        holder->setBackgroundColor(plat::Color::colorWithWhite(1, 0.75));
        holder->layer()->setCornerRadius(8);
        root->addSubview(holder);
        auto text = std::make_shared<plat::TextView>(
            plat::makeRect(kMargin, kMargin, holderWidth - 2 * kMargin, metrics.holderHeight - 2 * kMargin));
        text->setBackgroundColor(plat::Color::clearColor());
        text->setFont(plat::Font::fontWithName("Georgia", metrics.fontSize));
        text->setTextAlignment(plat::TextAlignment::Center);
        text->setAccessibilityLabel("Card text");
        holder->addSubview(text);

        auto close = plat::Button::buttonWithType(plat::ButtonType::System);
        close->setFrame(plat::makeRect(
            metrics.screen.width - kCloseButtonSize - kMargin, kMargin, kCloseButtonSize, kCloseButtonSize));
        close->setTitle(plat::localized("Done"), plat::ControlStateNormal);
        close->setTitleColor(plat::Color::whiteColor(), plat::ControlStateNormal);
        close->setAccessibilityLabel("Close");
        root->addSubview(close);

        owner.setOutlet("_imageViewTextEditBG", background);
        owner.setOutlet("_textView", holder);
        owner.setOutlet("_textViewCardEdit", text);
        if (auto* editor = dynamic_cast<ThemeCardEditViewController*>(&owner)) {
            editor->setImageViewTextEditBG(background);
            editor->setTextView(holder);
            editor->setTextViewCardEdit(text);
            close->addTarget(editor, &ThemeCardEditViewController::actionClose, plat::ControlEventTouchUpInside);
        }
        return root;
    };
}

}  // namespace

void registerThemeCardLayouts()
{
    plat::LayoutRegistry::registerLayout("ThemeCardEditViewController", editorLayout(kPhone));
    plat::LayoutRegistry::registerLayout("ThemeCardEditViewController_iPad", editorLayout(kTablet));
}

}  // namespace zt
