#include "glimage/GLImageHighPassFilter.h"

#include "glimage/GLImageDifferenceBlendFilter.h"
#include "glimage/GLImageLowPassFilter.h"

namespace zt {

GLImageHighPassFilter::GLImageHighPassFilter()
    : _lowPassFilter(std::make_shared<GLImageLowPassFilter>())
    , _differenceBlendFilter(std::make_shared<GLImageDifferenceBlendFilter>())
{
    addFilter(_lowPassFilter);
    addFilter(_differenceBlendFilter);
    _lowPassFilter->addTarget(_differenceBlendFilter, 1);
    // The average first, so that the blend has it when the frame arrives.
    setInitialFilters({_lowPassFilter, _differenceBlendFilter});
    setTerminalFilter(_differenceBlendFilter);
    setFilterStrength(0.5);
}

double GLImageHighPassFilter::filterStrength() const
{
    return _lowPassFilter->filterStrength();
}

void GLImageHighPassFilter::setFilterStrength(double newValue)
{
    _lowPassFilter->setFilterStrength(newValue);
}

}  // namespace zt
