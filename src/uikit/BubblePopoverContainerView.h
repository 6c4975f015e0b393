#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/PopoverController.h"
#include "platform/ui/View.h"

namespace plat {
class Image;
}

namespace zt {

// Arrow directions of the kit's popovers: the platform popover's bits
// (up 1, down 2, left 4, right 8, any 15; all bits set for none chosen).
using BubblePopoverArrowDirection = unsigned;
inline constexpr BubblePopoverArrowDirection kBubbleArrowDirectionUp = plat::PopoverArrowDirectionUp;
inline constexpr BubblePopoverArrowDirection kBubbleArrowDirectionDown = plat::PopoverArrowDirectionDown;
inline constexpr BubblePopoverArrowDirection kBubbleArrowDirectionLeft = plat::PopoverArrowDirectionLeft;
inline constexpr BubblePopoverArrowDirection kBubbleArrowDirectionRight = plat::PopoverArrowDirectionRight;
inline constexpr BubblePopoverArrowDirection kBubbleArrowDirectionAny = plat::PopoverArrowDirectionAny;
inline constexpr BubblePopoverArrowDirection kBubbleArrowDirectionUnknown = plat::PopoverArrowDirectionUnknown;

// The pictures and margins that shape a popover bubble. A bare instance has
// no picture names and zero margins; the popover controller's defaults are
// defaultProperties(). Main thread.
class BubblePopoverContainerViewProperties {
public:
    // The background, the four arrows, margins 6, caps 15, content margins 2, arrow margin 1.
    static std::shared_ptr<BubblePopoverContainerViewProperties> defaultProperties();

    const std::string& bgImageName() const { return _bgImageName; }
    void setBgImageName(std::string name) { _bgImageName = std::move(name); }
    const std::string& upArrowImageName() const { return _upArrowImageName; }
    void setUpArrowImageName(std::string name) { _upArrowImageName = std::move(name); }
    const std::string& downArrowImageName() const { return _downArrowImageName; }
    void setDownArrowImageName(std::string name) { _downArrowImageName = std::move(name); }
    const std::string& leftArrowImageName() const { return _leftArrowImageName; }
    void setLeftArrowImageName(std::string name) { _leftArrowImageName = std::move(name); }
    const std::string& rightArrowImageName() const { return _rightArrowImageName; }
    void setRightArrowImageName(std::string name) { _rightArrowImageName = std::move(name); }

    // The strips between the background picture's edges and the bubble's
    // body: the content is inset by them and an arrow's base sits on the body's edge.
    double leftBgMargin() const { return _leftBgMargin; }
    void setLeftBgMargin(double margin) { _leftBgMargin = margin; }
    double rightBgMargin() const { return _rightBgMargin; }
    void setRightBgMargin(double margin) { _rightBgMargin = margin; }
    double topBgMargin() const { return _topBgMargin; }
    void setTopBgMargin(double margin) { _topBgMargin = margin; }
    double bottomBgMargin() const { return _bottomBgMargin; }
    void setBottomBgMargin(double margin) { _bottomBgMargin = margin; }
    // The background picture's left cap width and top cap height.
    int64_t topBgCapSize() const { return _topBgCapSize; }
    void setTopBgCapSize(int64_t size) { _topBgCapSize = size; }
    int64_t leftBgCapSize() const { return _leftBgCapSize; }
    void setLeftBgCapSize(int64_t size) { _leftBgCapSize = size; }
    // The least distance between the arrow and the ends of the body's edge (beyond the background margin).
    double arrowMargin() const { return _arrowMargin; }
    void setArrowMargin(double margin) { _arrowMargin = margin; }
    // Extra space between the body and the content.
    double leftContentMargin() const { return _leftContentMargin; }
    void setLeftContentMargin(double margin) { _leftContentMargin = margin; }
    double rightContentMargin() const { return _rightContentMargin; }
    void setRightContentMargin(double margin) { _rightContentMargin = margin; }
    double topContentMargin() const { return _topContentMargin; }
    void setTopContentMargin(double margin) { _topContentMargin = margin; }
    double bottomContentMargin() const { return _bottomContentMargin; }
    void setBottomContentMargin(double margin) { _bottomContentMargin = margin; }

private:
    std::string _bgImageName;
    std::string _upArrowImageName;
    std::string _downArrowImageName;
    std::string _leftArrowImageName;
    std::string _rightArrowImageName;
    double _leftBgMargin = 0;
    double _rightBgMargin = 0;
    double _topBgMargin = 0;
    double _bottomBgMargin = 0;
    int64_t _topBgCapSize = 0;
    int64_t _leftBgCapSize = 0;
    double _arrowMargin = 0;
    double _leftContentMargin = 0;
    double _rightContentMargin = 0;
    double _topContentMargin = 0;
    double _bottomContentMargin = 0;
};

// The bubble of a popover: given the content's size, the anchor rectangle,
// the area it may cover and the permitted arrow directions, it picks the
// direction that shows most of the bubble with the widest margins, places
// and clips body and arrow, draws them and holds the content view in its
// content rectangle. Touches outside the content rectangle fall through;
// those inside that reach it stop here. Main thread.
class BubblePopoverContainerView : public plat::View {
public:
    // The rectangles are in the presenting view's coordinates, and so is
    // the frame this sets. A size with NaN, an infinity or a negative side
    // counts as 0 on that side.
    BubblePopoverContainerView(plat::Size size, plat::Rect anchorRect, plat::Rect displayArea,
        BubblePopoverArrowDirection permittedArrowDirections,
        std::shared_ptr<BubblePopoverContainerViewProperties> properties);
    ~BubblePopoverContainerView() override;

    BubblePopoverArrowDirection arrowDirection() const { return _arrowDirection; }
    const std::shared_ptr<plat::View>& contentView() const { return _contentView; }
    // A different view is kept, framed to the content rectangle and added
    // (the previous one stays a subview).
    void setContentView(std::shared_ptr<plat::View> view);
    const std::shared_ptr<BubblePopoverContainerViewProperties>& properties() const { return _properties; }

    // Places the bubble anew for another anchor, area and directions, at the
    // same content size; the frame is again in the presenting view's coordinates.
    void updatePositionWithAnchorRect(
        plat::Rect anchorRect, plat::Rect displayArea, BubblePopoverArrowDirection permittedArrowDirections);

    // Where the arrow and the body are drawn, in the container's coordinates.
    plat::Rect arrowRect() const { return _arrowRect; }
    plat::Rect bgRect() const { return _bgRect; }
    plat::Rect contentRect() const;

    void drawRect(plat::GraphicsContext& context, plat::Rect rect) override;
    bool pointInside(plat::Point point, const plat::Event* event) const override;
    void touchesBegan(const plat::TouchSet& touches, const plat::Event& event) override;
    void touchesMoved(const plat::TouchSet& touches, const plat::Event& event) override;
    void touchesEnded(const plat::TouchSet& touches, const plat::Event& event) override;
    void touchesCancelled(const plat::TouchSet& touches, const plat::Event& event) override;

private:
    void setProperties(std::shared_ptr<BubblePopoverContainerViewProperties> properties);
    void determineGeometryForSize(plat::Size size, plat::Rect anchorRect, plat::Rect displayArea,
        BubblePopoverArrowDirection permittedArrowDirections);
    void initFrame();
    plat::Size contentSize() const;
    std::shared_ptr<plat::Image> arrowImageForDirection(BubblePopoverArrowDirection direction) const;

    std::shared_ptr<plat::Image> _bgImage;
    std::shared_ptr<plat::Image> _arrowImage;
    std::shared_ptr<plat::Image> _upArrowImage;
    std::shared_ptr<plat::Image> _downArrowImage;
    std::shared_ptr<plat::Image> _leftArrowImage;
    std::shared_ptr<plat::Image> _rightArrowImage;
    std::shared_ptr<BubblePopoverContainerViewProperties> _properties;
    BubblePopoverArrowDirection _arrowDirection = kBubbleArrowDirectionUnknown;
    plat::Rect _arrowRect;
    plat::Rect _bgRect;
    plat::Point _offset;
    plat::Point _arrowOffset;
    plat::Size _correctedSize;
    std::shared_ptr<plat::View> _contentView;
};

}  // namespace zt
