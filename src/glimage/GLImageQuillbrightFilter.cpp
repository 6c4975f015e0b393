#include "glimage/GLImageQuillbrightFilter.h"

#include "glimage/GLImageLookupFilter.h"
#include "glimage/GLImageLookupGroup.h"
#include "glimage/GLImagePicture.h"

namespace zt {

GLImageQuillbrightFilter::GLImageQuillbrightFilter()
    : _lookupImageSource(detail::lookupTablePicture("lookup_quill_bright.png",
        "To use GLImageQuillbrightFilter you need to add lookup_quill_bright.png from GLImage/framework/Resources to "
        "your application bundle."))
    , _lookupFilter(std::make_shared<GLImageLookupFilter>())
{
    addFilter(_lookupFilter);
    _lookupImageSource->addTarget(_lookupFilter, 1);
    _lookupImageSource->processImage();
    setInitialFilters({_lookupFilter});
    setTerminalFilter(_lookupFilter);
}

void GLImageQuillbrightFilter::prepareForImageCapture()
{
    _lookupImageSource->processImage();
    GLImageFilterGroup::prepareForImageCapture();
}

}  // namespace zt
