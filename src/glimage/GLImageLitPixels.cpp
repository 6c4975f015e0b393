#include "glimage/GLImageLitPixels.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageFilter.h"

namespace zt::detail {

plat::Size readFilterOutput(GLImageFilter& filter, std::vector<uint8_t>& pixels, const char* wrongFormatMessage)
{
    requireRGBAByteOutput(filter.outputTextureOptions(), wrongFormatMessage);
    const plat::Size size = filter.sizeOfFBO();
    const auto width = size_t(size.width > 0 ? size.width : 0);
    const auto height = size_t(size.height > 0 ? size.height : 0);
    if (width == 0 || height == 0)
        return {};
    const size_t byteCount = width * height * 4;
    if (pixels.size() < byteCount)
        pixels.resize(byteCount);
    filter.setOutputFBO();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, GLsizei(width), GLsizei(height), GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return {double(width), double(height)};
}

}  // namespace zt::detail
