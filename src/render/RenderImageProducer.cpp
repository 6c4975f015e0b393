#include "render/RenderImageProducer.h"

#include "document/Frame.h"
#include "document/ProjectModel.h"
#include "platform/graphics/Image.h"
#include "uikit/UIImageResize.h"

namespace zt {

namespace {

constexpr plat::Size kPreviewRenderSize {640, 360};
constexpr const char* kForegroundFileName = "foreground.png";

plat::Size pixelSize(const plat::Image& image)
{
    plat::Size size = image.size();
    return {size.width * image.scale(), size.height * image.scale()};
}

}  // namespace

RenderImageProducer::RenderImageProducer(std::shared_ptr<ProjectModel> project)
    : ImageProducer(std::move(project))
{
    auto metadata = this->project().getMetaData();
    if (!metadata)
        return;
    _aspectRatioMaskOn = metadata->getBool("META_RECORD_ASPECT_RATIO_MASK").value_or(false);
    _aspectRatioMaskFormat
        = static_cast<float>(metadata->getDouble("META_RECORD_ASPECT_RATIO_MASK_FORMAT").value_or(0));
    if (metadata->getInt64("META_RECORD_FOREGROUND").value_or(0) != 0) {
        if (auto bytes = this->project().fileDataForFileWithPreferredFilename(kForegroundFileName))
            _foreground = plat::Image::imageWithData(*bytes);
    }
}

int64_t RenderImageProducer::getNumberOfFramesForRendering()
{
    const FrameList& frames = project().getFrameList();
    bool hasPlaceholder = frames.getCaptureIndex() != plat::kNotFound;
    return frames.count() - (hasPlaceholder ? 1 : 0);
}

std::shared_ptr<plat::Image> RenderImageProducer::getImageForRenderingAtIndex(int64_t index, plat::Size size)
{
    if (index < 0)
        return nullptr;
    int64_t frameIndex = project().getFrameList().getIndexForMovieIndex(index);
    std::shared_ptr<plat::Image> picture;
    if (size == kPreviewRenderSize)
        picture = getPreviewImageForFrameAtIndex(frameIndex);
    if (!picture)
        picture = getImageForFrameAtIndex(frameIndex);
    if (!picture)
        return nullptr;
    if (size != plat::Size {0, 0} && size != pixelSize(*picture)) {
        picture = imageByScalingAndCroppingForSize(*picture, size);
        if (!picture)
            return nullptr;
    }
    if (_foreground)
        picture = blendUIImage(_foreground, picture);
    picture = applyFade(picture, frameIndex);
    if (_aspectRatioMaskOn)
        picture = applyMask(picture, _aspectRatioMaskFormat);
    return picture;
}

}  // namespace zt
