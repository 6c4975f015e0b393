#include "GLImageTestSupport.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageTwoInputFilter.h"

namespace zt::test {

void drainContextQueue()
{
    runSynchronouslyOnContextQueue([] {});
}

std::shared_ptr<plat::Image> renderTwoInputs(
    const std::shared_ptr<GLImageTwoInputFilter>& filter, const plat::Image& first, const plat::Image& second)
{
    auto firstPicture = std::make_shared<GLImagePicture>(first);
    auto secondPicture = std::make_shared<GLImagePicture>(second);
    firstPicture->addTarget(filter);
    secondPicture->addTarget(filter);
    secondPicture->processImage();
    firstPicture->processImage();
    auto result = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    firstPicture->removeAllTargets();
    secondPicture->removeAllTargets();
    return result;
}

}  // namespace zt::test
