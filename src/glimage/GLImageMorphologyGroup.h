#pragma once
#include <cstdint>
#include <memory>

#include "glimage/GLImageFilterGroup.h"

namespace zt {

enum class MorphologyOrder { ErosionFirst, DilationFirst };

// An erosion and a dilation of one radius chained in a group: erosion
// first opens (takes away specks smaller than the square), dilation first
// closes (fills holes smaller than it). Context queue for frames, as the members.
template <typename Erosion, typename Dilation, MorphologyOrder order>
class GLImageMorphologyGroup : public GLImageFilterGroup {
public:
    explicit GLImageMorphologyGroup(uint32_t radius)
        : _erosionFilter(std::make_shared<Erosion>(radius))
        , _dilationFilter(std::make_shared<Dilation>(radius))
    {
        addFilter(_erosionFilter);
        addFilter(_dilationFilter);
        std::shared_ptr<GLImageFilter> first = _erosionFilter;
        std::shared_ptr<GLImageFilter> second = _dilationFilter;
        if (order == MorphologyOrder::DilationFirst)
            std::swap(first, second);
        first->addTarget(second);
        setInitialFilters({first});
        setTerminalFilter(second);
    }

    const std::shared_ptr<Erosion>& erosionFilter() const { return _erosionFilter; }
    const std::shared_ptr<Dilation>& dilationFilter() const { return _dilationFilter; }

private:
    std::shared_ptr<Erosion> _erosionFilter;
    std::shared_ptr<Dilation> _dilationFilter;
};

// The grey groups' spacing of the samples, passed to both members. Until
// set they report 0.0, though the members sample every pixel (1.0).
template <typename Group> class GLImageMorphologySpacing : public Group {
public:
    using Group::Group;

    double verticalTexelSpacing() const { return _verticalTexelSpacing; }
    void setVerticalTexelSpacing(double newValue)
    {
        _verticalTexelSpacing = newValue;
        this->erosionFilter()->setVerticalTexelSpacing(newValue);
        this->dilationFilter()->setVerticalTexelSpacing(newValue);
    }
    double horizontalTexelSpacing() const { return _horizontalTexelSpacing; }
    void setHorizontalTexelSpacing(double newValue)
    {
        _horizontalTexelSpacing = newValue;
        this->erosionFilter()->setHorizontalTexelSpacing(newValue);
        this->dilationFilter()->setHorizontalTexelSpacing(newValue);
    }

private:
    double _verticalTexelSpacing = 0.0;
    double _horizontalTexelSpacing = 0.0;
};

}  // namespace zt
