#pragma once
#include <memory>
#include <string>

#include "platform/ui/View.h"

namespace plat {
class Font;
class Label;

// The platform's reusable section header or footer of a table: a content
// view with a text label (the section's title), a background, and a reuse
// identifier. Tables make one for a section with a title and no view of
// its own.
class TableViewHeaderFooterView : public View {
public:
    // The title's room at either side, and its font.
    static constexpr double kTextInset = 15;
    static Font titleFont();

    explicit TableViewHeaderFooterView(std::string reuseIdentifier);
    ~TableViewHeaderFooterView() override;

    const std::string& reuseIdentifier() const { return _reuseIdentifier; }
    virtual void prepareForReuse() { }
    const std::shared_ptr<View>& contentView() const { return _contentView; }
    const std::shared_ptr<Label>& textLabel() const { return _textLabel; }
    const std::shared_ptr<View>& backgroundView() const { return _backgroundView; }
    void setBackgroundView(std::shared_ptr<View> view);

    void layoutSubviews() override;

private:
    std::string _reuseIdentifier;
    std::shared_ptr<View> _contentView;
    std::shared_ptr<Label> _textLabel;
    std::shared_ptr<View> _backgroundView;
};

}  // namespace plat
