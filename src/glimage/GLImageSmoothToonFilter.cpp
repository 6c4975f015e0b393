#include "glimage/GLImageSmoothToonFilter.h"

#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageToonFilter.h"

namespace zt {

GLImageSmoothToonFilter::GLImageSmoothToonFilter()
    : blurFilter(std::make_shared<GLImageGaussianBlurFilter>())
    , toonFilter(std::make_shared<GLImageToonFilter>())
{
    addFilter(blurFilter);
    addFilter(toonFilter);
    blurFilter->addTarget(toonFilter);
    setInitialFilters({blurFilter});
    setTerminalFilter(toonFilter);
    setBlurRadiusInPixels(2.0);
    setThreshold(0.2);
    setQuantizationLevels(10.0);
}

double GLImageSmoothToonFilter::texelWidth() const
{
    return toonFilter->texelWidth();
}

void GLImageSmoothToonFilter::setTexelWidth(double newValue)
{
    toonFilter->setTexelWidth(newValue);
}

double GLImageSmoothToonFilter::texelHeight() const
{
    return toonFilter->texelHeight();
}

void GLImageSmoothToonFilter::setTexelHeight(double newValue)
{
    toonFilter->setTexelHeight(newValue);
}

double GLImageSmoothToonFilter::blurRadiusInPixels() const
{
    return blurFilter->blurRadiusInPixels();
}

void GLImageSmoothToonFilter::setBlurRadiusInPixels(double newValue)
{
    blurFilter->setBlurRadiusInPixels(newValue);
}

double GLImageSmoothToonFilter::threshold() const
{
    return toonFilter->threshold();
}

void GLImageSmoothToonFilter::setThreshold(double newValue)
{
    toonFilter->setThreshold(newValue);
}

double GLImageSmoothToonFilter::quantizationLevels() const
{
    return toonFilter->quantizationLevels();
}

void GLImageSmoothToonFilter::setQuantizationLevels(double newValue)
{
    toonFilter->setQuantizationLevels(newValue);
}

}  // namespace zt
