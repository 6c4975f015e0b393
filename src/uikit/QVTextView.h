#pragma once
#include <optional>
#include <string>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/TextView.h"

namespace zt {

// A multi-line text view that shows a grey placeholder while it is empty
// (the share screens' description field). Main thread.
class QVTextView : public plat::TextView {
public:
    QVTextView();
    explicit QVTextView(plat::Rect frame);

    void setText(std::string text) override;
    const std::optional<std::string>& placeholder() const { return _placeholder; }
    void setPlaceholder(std::optional<std::string> placeholder);
    const std::optional<plat::Color>& placeholderColor() const { return _placeholderColor; }
    void setPlaceholderColor(std::optional<plat::Color> color);
    bool shouldDrawPlaceholder() const { return _shouldDrawPlaceholder; }

    void drawRect(plat::GraphicsContext& context, plat::Rect rect) override;

private:
    void setUp();
    void _updateShouldDrawPlaceholder();
    void _textChanged();

    bool _shouldDrawPlaceholder = false;
    std::optional<std::string> _placeholder;
    std::optional<plat::Color> _placeholderColor;
    // Stops observing with the view.
    plat::ObserverToken _textObservation;
};

}  // namespace zt
