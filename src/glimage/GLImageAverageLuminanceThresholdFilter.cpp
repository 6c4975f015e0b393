#include "glimage/GLImageAverageLuminanceThresholdFilter.h"

#include "glimage/GLImageLuminanceThresholdFilter.h"
#include "glimage/GLImageLuminosity.h"

namespace zt {

GLImageAverageLuminanceThresholdFilter::GLImageAverageLuminanceThresholdFilter()
    : luminosityFilter(std::make_shared<GLImageLuminosity>())
    , luminanceThresholdFilter(std::make_shared<GLImageLuminanceThresholdFilter>())
    , _thresholdMultiplier(std::make_shared<std::atomic<double>>(1.0))
{
    addFilter(luminosityFilter);
    addFilter(luminanceThresholdFilter);
    std::weak_ptr<GLImageLuminanceThresholdFilter> weakThreshold = luminanceThresholdFilter;
    luminosityFilter->setLuminosityProcessingFinishedBlock(
        [weakThreshold, multiplier = _thresholdMultiplier](double luminosity, const plat::MediaTime&) {
            if (auto threshold = weakThreshold.lock())
                threshold->setThreshold(multiplier->load() * luminosity);
        });
    setInitialFilters({luminosityFilter, luminanceThresholdFilter});
    setTerminalFilter(luminanceThresholdFilter);
}

}  // namespace zt
