#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Control.h"

namespace plat {
class Image;

// The platform's segmented control: segments with a title or an image,
// equal widths unless set, one selected (or none: kNoSegment); a touch
// lifted inside an enabled segment selects it and sends value-changed (a
// momentary control forgets the selection afterwards).
class SegmentedControl : public Control {
public:
    static constexpr int64_t kNoSegment = -1;

    SegmentedControl();
    explicit SegmentedControl(const std::vector<std::string>& titles);

    size_t numberOfSegments() const { return _segments.size(); }
    int64_t selectedSegmentIndex() const { return _selected; }
    void setSelectedSegmentIndex(int64_t index);
    bool isMomentary() const { return _momentary; }
    void setMomentary(bool momentary) { _momentary = momentary; }

    void insertSegmentWithTitle(const std::string& title, size_t index, bool animated);
    void insertSegmentWithImage(std::shared_ptr<const Image> image, size_t index, bool animated);
    void removeSegmentAtIndex(size_t index, bool animated);
    void removeAllSegments();
    void setTitle(const std::string& title, size_t segment);
    std::string titleForSegmentAtIndex(size_t segment) const;
    void setImage(std::shared_ptr<const Image> image, size_t segment);
    std::shared_ptr<const Image> imageForSegmentAtIndex(size_t segment) const;
    void setEnabledForSegmentAtIndex(bool enabled, size_t segment);
    bool isEnabledForSegmentAtIndex(size_t segment) const;
    // 0 means automatic.
    void setWidth(double width, size_t segment);
    double widthForSegmentAtIndex(size_t segment) const;

    // The segment under a point in the control's coordinates, or kNoSegment.
    int64_t segmentIndexAtPoint(Point point) const;
    Rect frameOfSegment(size_t segment) const;

    void endTrackingWithTouch(Touch& touch, const Event& event) override;
    void drawRect(GraphicsContext& context, Rect rect) override;
    Size sizeThatFits(Size size) const override;
    void tintColorDidChange() override { setNeedsDisplay(); }

private:
    struct Segment {
        std::string title;
        std::shared_ptr<const Image> image;
        bool enabled = true;
        double width = 0;
    };
    std::vector<Segment> _segments;
    int64_t _selected = kNoSegment;
    bool _momentary = false;
};

}  // namespace plat
