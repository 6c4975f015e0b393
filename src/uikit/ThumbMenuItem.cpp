#include "uikit/ThumbMenuItem.h"

#include "platform/ui/Button.h"
#include "uikit/QVNumberBadgeView.h"

namespace zt {

namespace {

constexpr double kBadgeAlpha = 0.8;

}  // namespace

ThumbMenuItem::ThumbMenuItem(
    std::string title, std::shared_ptr<const plat::Image> image, int64_t badgeValue, std::function<void()> block)
    : CAGridViewItem(std::move(title), std::move(image), std::move(block))
    , _badgeValue(badgeValue)
{
}

std::shared_ptr<ThumbMenuItem> ThumbMenuItem::initWithTitle(
    std::string title, std::shared_ptr<const plat::Image> image, int64_t badgeValue, std::function<void()> block)
{
    auto item = std::make_shared<ThumbMenuItem>(std::move(title), std::move(image), badgeValue, std::move(block));
    item->setUp();
    return item;
}

void ThumbMenuItem::setUp()
{
    CAGridViewItem::setUp();
    if (_badgeValue < kSmallestBadgeValue)
        return;
    _badge = std::make_shared<QVNumberBadgeView>(kBadgeFrame);
    const plat::Color dark = plat::Color::colorWithWhite(0, kBadgeAlpha);
    _badge->setFillColor(dark);
    _badge->setStrokeColor(dark);
    _badge->setStrokeWidth(0);
    _badge->setTextColor(plat::Color::whiteColor());
    _badge->setShine(false);
    _badge->setShadow(false);
    _badge->setValue(static_cast<uint64_t>(_badgeValue));
    _badge->setUserInteractionEnabled(false);
    addSubview(_badge);
}

void ThumbMenuItem::clickItem(plat::Control&)
{
    auto weakSelf = std::weak_ptr<ThumbMenuItem>(sharedAs<ThumbMenuItem>());
    auto picture = button();
    plat::View::animateWithDuration(
        kFlashSeconds, [picture] { picture->setAlpha(kFlashAlpha); },
        [weakSelf, picture](bool) {
            plat::View::animateWithDuration(
                kFlashSeconds, [picture] { picture->setAlpha(1.0); },
                [weakSelf](bool) {
                    auto self = weakSelf.lock();
                    if (!self || !self->isEnabled())
                        return;
                    if (auto block = self->block())
                        block();
                });
        });
}

}  // namespace zt
