#include "editor/UnreadablePictureNote.h"

#include <algorithm>

#include "platform/foundation/Bundle.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"

namespace zt {

namespace {

constexpr double kFontSize = 15;
constexpr double kCornerRadius = 8;
// Dark enough behind white text wherever the picture view lets other pictures show through.
constexpr double kBackgroundAlpha = 0.7;

}  // namespace

void UnreadablePictureNote::update(const std::shared_ptr<plat::ImageView>& picture, bool unreadable)
{
    if (!unreadable || !picture) {
        if (_label)
            _label->setHidden(true);
        return;
    }
    if (!_label) {
        _label = std::make_shared<plat::Label>();
        _label->setText(plat::localized("The picture of this frame could not be read."));
        _label->setTextColor(plat::Color::whiteColor());
        _label->setBackgroundColor(plat::Color::colorWithWhite(0, kBackgroundAlpha));
        _label->layer()->setCornerRadius(kCornerRadius);
        _label->setClipsToBounds(true);
        _label->setTextAlignment(plat::TextAlignment::Center);
        _label->setNumberOfLines(2);
        _label->setFont(plat::Font::systemFontOfSize(kFontSize));
        _label->setAutoresizingMask(plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleRightMargin
            | plat::ViewAutoresizingFlexibleTopMargin | plat::ViewAutoresizingFlexibleBottomMargin);
    }
    const plat::Rect bounds = picture->bounds();
    const double width = std::min(kMaximumWidth, std::max(0.0, bounds.width() - 2 * kMargin));
    _label->setFrame(plat::makeRect(
        bounds.midX() - width / 2, bounds.midY() - kHeight / 2, width, std::min(kHeight, bounds.height())));
    if (_label->superview().get() != picture.get())
        picture->addSubview(_label);
    _label->setHidden(false);
}

}  // namespace zt
