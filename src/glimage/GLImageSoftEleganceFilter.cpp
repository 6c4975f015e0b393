#include "glimage/GLImageSoftEleganceFilter.h"

#include "glimage/GLImageAlphaBlendFilter.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageLookupFilter.h"
#include "glimage/GLImageLookupGroup.h"
#include "glimage/GLImagePicture.h"

namespace zt {

namespace {

const char* const kMissingTablesMessage = "To use GLImageSoftEleganceFilter you need to add "
                                          "lookup_soft_elegance_1.png and lookup_soft_elegance_2.png from "
                                          "GLImage/framework/Resources to your application bundle.";

}  // namespace

GLImageSoftEleganceFilter::GLImageSoftEleganceFilter()
    : _lookupImageSource1(detail::lookupTablePicture("lookup_soft_elegance_1.png", kMissingTablesMessage))
    , _lookupImageSource2(detail::lookupTablePicture("lookup_soft_elegance_2.png", kMissingTablesMessage))
    , _lookupFilter1(std::make_shared<GLImageLookupFilter>())
    , _gaussianBlur(std::make_shared<GLImageGaussianBlurFilter>())
    , _alphaBlend(std::make_shared<GLImageAlphaBlendFilter>())
    , _lookupFilter2(std::make_shared<GLImageLookupFilter>())
{
    addFilter(_lookupFilter1);
    _lookupImageSource1->addTarget(_lookupFilter1, 1);
    _lookupImageSource1->processImage();

    _gaussianBlur->setBlurRadiusInPixels(10.0);
    _lookupFilter1->addTarget(_gaussianBlur);
    addFilter(_gaussianBlur);

    _alphaBlend->setMix(0.14);
    _lookupFilter1->addTarget(_alphaBlend);
    _gaussianBlur->addTarget(_alphaBlend);
    addFilter(_alphaBlend);

    addFilter(_lookupFilter2);
    _alphaBlend->addTarget(_lookupFilter2);
    _lookupImageSource2->addTarget(_lookupFilter2, 1);
    _lookupImageSource2->processImage();

    setInitialFilters({_lookupFilter1});
    setTerminalFilter(_lookupFilter2);
}

void GLImageSoftEleganceFilter::prepareForImageCapture()
{
    _lookupImageSource1->processImage();
    _lookupImageSource2->processImage();
    GLImageFilterGroup::prepareForImageCapture();
}

}  // namespace zt
