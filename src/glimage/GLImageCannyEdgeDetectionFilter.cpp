#include "glimage/GLImageCannyEdgeDetectionFilter.h"

#include "glimage/GLImageDirectionalNonMaximumSuppressionFilter.h"
#include "glimage/GLImageDirectionalSobelEdgeDetectionFilter.h"
#include "glimage/GLImageGrayscaleFilter.h"
#include "glimage/GLImageSingleComponentGaussianBlurFilter.h"
#include "glimage/GLImageWeakPixelInclusionFilter.h"

namespace zt {

GLImageCannyEdgeDetectionFilter::GLImageCannyEdgeDetectionFilter()
    : luminanceFilter(std::make_shared<GLImageGrayscaleFilter>())
    , blurFilter(std::make_shared<GLImageSingleComponentGaussianBlurFilter>())
    , edgeDetectionFilter(std::make_shared<GLImageDirectionalSobelEdgeDetectionFilter>())
    , nonMaximumSuppressionFilter(std::make_shared<GLImageDirectionalNonMaximumSuppressionFilter>())
    , weakPixelInclusionFilter(std::make_shared<GLImageWeakPixelInclusionFilter>())
{
    addFilter(luminanceFilter);
    addFilter(blurFilter);
    addFilter(edgeDetectionFilter);
    addFilter(nonMaximumSuppressionFilter);
    addFilter(weakPixelInclusionFilter);
    luminanceFilter->addTarget(blurFilter);
    blurFilter->addTarget(edgeDetectionFilter);
    edgeDetectionFilter->addTarget(nonMaximumSuppressionFilter);
    nonMaximumSuppressionFilter->addTarget(weakPixelInclusionFilter);
    setInitialFilters({luminanceFilter});
    setTerminalFilter(weakPixelInclusionFilter);

    setBlurRadiusInPixels(2.0);
    setBlurTexelSpacingMultiplier(1.0);
    setUpperThreshold(0.4);
    setLowerThreshold(0.1);
}

double GLImageCannyEdgeDetectionFilter::blurRadiusInPixels() const
{
    return blurFilter->blurRadiusInPixels();
}

void GLImageCannyEdgeDetectionFilter::setBlurRadiusInPixels(double newValue)
{
    blurFilter->setBlurRadiusInPixels(newValue);
}

double GLImageCannyEdgeDetectionFilter::blurTexelSpacingMultiplier() const
{
    return blurFilter->texelSpacingMultiplier();
}

void GLImageCannyEdgeDetectionFilter::setBlurTexelSpacingMultiplier(double newValue)
{
    blurFilter->setTexelSpacingMultiplier(newValue);
}

double GLImageCannyEdgeDetectionFilter::texelWidth() const
{
    return edgeDetectionFilter->texelWidth();
}

void GLImageCannyEdgeDetectionFilter::setTexelWidth(double newValue)
{
    edgeDetectionFilter->setTexelWidth(newValue);
}

double GLImageCannyEdgeDetectionFilter::texelHeight() const
{
    return edgeDetectionFilter->texelHeight();
}

void GLImageCannyEdgeDetectionFilter::setTexelHeight(double newValue)
{
    edgeDetectionFilter->setTexelHeight(newValue);
}

double GLImageCannyEdgeDetectionFilter::upperThreshold() const
{
    return nonMaximumSuppressionFilter->upperThreshold();
}

void GLImageCannyEdgeDetectionFilter::setUpperThreshold(double newValue)
{
    nonMaximumSuppressionFilter->setUpperThreshold(newValue);
}

double GLImageCannyEdgeDetectionFilter::lowerThreshold() const
{
    return nonMaximumSuppressionFilter->lowerThreshold();
}

void GLImageCannyEdgeDetectionFilter::setLowerThreshold(double newValue)
{
    nonMaximumSuppressionFilter->setLowerThreshold(newValue);
}

}  // namespace zt
