#include "glimage/GLImageOrrinvalFilter.h"

#include "glimage/GLImageLookupFilter.h"
#include "glimage/GLImageLookupGroup.h"
#include "glimage/GLImagePicture.h"

namespace zt {

GLImageOrrinvalFilter::GLImageOrrinvalFilter()
    : _lookupImageSource(detail::lookupTablePicture("lookup_orrinval.png",
        "To use GLImageOrrinvalFilter you need to add lookup_orrinval.png from GLImage/framework/Resources to your "
        "application bundle."))
    , _lookupFilter(std::make_shared<GLImageLookupFilter>())
{
    addFilter(_lookupFilter);
    _lookupImageSource->addTarget(_lookupFilter, 1);
    _lookupImageSource->processImage();
    setInitialFilters({_lookupFilter});
    setTerminalFilter(_lookupFilter);
}

void GLImageOrrinvalFilter::prepareForImageCapture()
{
    _lookupImageSource->processImage();
    GLImageFilterGroup::prepareForImageCapture();
}

}  // namespace zt
