#include "glimage/GLImageLookupGroup.h"

#include "glimage/GLImagePicture.h"
#include "platform/foundation/Fatal.h"
#include "platform/graphics/Image.h"

namespace zt::detail {

std::shared_ptr<GLImagePicture> lookupTablePicture(const std::string& imageName, const char* message)
{
    auto image = plat::Image::imageNamed(imageName);
    if (!image)
        plat::detail::fatal("{}", message);
    return std::make_shared<GLImagePicture>(*image);
}

}  // namespace zt::detail
