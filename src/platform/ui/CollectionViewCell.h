#pragma once
#include <memory>
#include <string>

#include "platform/ui/CollectionViewLayout.h"
#include "platform/ui/View.h"

namespace plat {

// The platform's reusable view of a collection: a supplementary view or,
// as a cell, an item. A collection view hands it out again (after
// prepareForReuse) under its reuse identifier, and places it by the
// layout's attributes.
class CollectionReusableView : public View {
public:
    CollectionReusableView();
    explicit CollectionReusableView(Rect frame);

    const std::string& reuseIdentifier() const { return _reuseIdentifier; }
    virtual void prepareForReuse() { }
    // Takes the frame, alpha, hidden state and layer order from the layout.
    virtual void applyLayoutAttributes(const CollectionViewLayoutAttributes& attributes);

private:
    friend class CollectionView;
    std::string _reuseIdentifier;
    std::string _elementKind;  // of a supplementary view
};

// The platform's collection view cell: a content view for what it shows,
// background and selected-background views, and highlighted and selected
// states (the selected background shows while either is set).
class CollectionViewCell : public CollectionReusableView {
public:
    CollectionViewCell();
    explicit CollectionViewCell(Rect frame);

    const std::shared_ptr<View>& contentView() const { return _contentView; }
    const std::shared_ptr<View>& backgroundView() const { return _backgroundView; }
    void setBackgroundView(std::shared_ptr<View> view);
    const std::shared_ptr<View>& selectedBackgroundView() const { return _selectedBackgroundView; }
    void setSelectedBackgroundView(std::shared_ptr<View> view);
    bool isSelected() const { return _selected; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return _highlighted; }
    virtual void setHighlighted(bool highlighted);

    void prepareForReuse() override;
    void layoutSubviews() override;

private:
    void updateSelectedBackground();

    std::shared_ptr<View> _contentView;
    std::shared_ptr<View> _backgroundView;
    std::shared_ptr<View> _selectedBackgroundView;
    bool _selected = false;
    bool _highlighted = false;
};

}  // namespace plat
