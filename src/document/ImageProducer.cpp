#include "document/ImageProducer.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <optional>

#include "document/Frame.h"
#include "document/ProjectModel.h"
#include "effects/ColorChangeFilter.h"
#include "effects/DitherFilter.h"
#include "effects/GrayscaleFilter.h"
#include "effects/PosterizeFilter.h"
#include "effects/SepiaFilter.h"
#include "effects/ThermalFilter.h"
#include "effects/UIImageFilter.h"
#include "effects/XRayFilter.h"
#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"
#include "platform/graphics/ImageRepresentation.h"
#include "uikit/UIImageResize.h"

namespace zt {

namespace {

constexpr double kFullQuality = 1.0;
constexpr double kReducedQuality = 0.5;
constexpr int kPosterizeLevels = 4;
constexpr float kMergeSecondOpacity = 0.2f;
constexpr float kMergeThirdOpacity = 0.1f;
constexpr const char* kImagesErrorDomain = "ImageProducerErrorDomain";
constexpr int64_t kRefusedFrameIDError = 1;
constexpr int64_t kUnwrittenPictureError = 2;

std::string fullFileName(const std::string& frameID)
{
    return "frame-" + frameID + ".jpg";
}

std::string previewFileName(const std::string& frameID)
{
    return "preview-" + frameID + ".jpg";
}

std::string thumbnailFileName(const std::string& frameID)
{
    return "thumb-" + frameID + ".jpg";
}

// The colour effects by their number in the project metadata; other numbers have none.
std::shared_ptr<const RGBFilter> makeColourFilter(int64_t effect)
{
    switch (effect) {
    case 1:
        return std::make_shared<GrayscaleFilter>();
    case 2:
        return std::make_shared<SepiaFilter>();
    case 3:
        return std::make_shared<PosterizeFilter>(kPosterizeLevels);
    case 4:
        return std::make_shared<ColorChangeFilter>();
    case 5:
        return std::make_shared<ThermalFilter>();
    case 6:
        return std::make_shared<XRayFilter>();
    case 7:
        return std::make_shared<DitherFilter>();
    default:
        return nullptr;
    }
}

}  // namespace

ImageProducer::ImageProducer(std::shared_ptr<ProjectModel> project)
    : _project(std::move(project))
{
}

ImageProducer::~ImageProducer() = default;

namespace {

// A picture scaled and cropped to size and encoded at the reduced quality.
std::optional<plat::Data> reducedJPEG(const plat::Image& image, plat::Size size)
{
    auto scaled = imageByScalingAndCroppingForSize(image, size);
    if (!scaled)
        return std::nullopt;
    return plat::JPEGRepresentation(*scaled, kReducedQuality);
}

}  // namespace

bool ImageProducer::storeThumbImage(const plat::Image& image, plat::Size size, const std::string& fileName)
{
    auto jpeg = reducedJPEG(image, size);
    return jpeg && _project->updateRegularFileWithContents(*jpeg, fileName);
}

bool ImageProducer::storeImage(const plat::Image& image, const std::string& frameID, std::optional<plat::Error>* error)
{
    auto fail = [error](plat::Error failure) {
        plat::log("images: {}", failure.localizedDescription());
        if (error)
            *error = std::move(failure);
        return false;
    };
    if (!isValidFrameID(frameID))
        return fail(plat::Error(kImagesErrorDomain, kRefusedFrameIDError,
            "refused to store pictures for the frame ID \"" + frameID + "\""));
    // The files are begun before anything is written, so the folder is made
    // first, as the first write into a new project would make it.
    if (!_project->getProjectPath()) {
        auto created = _project->createFilePathForProject();
        if (!created.ok())
            return fail(created.error());
    }
    const std::string fileNames[] = {thumbnailFileName(frameID), previewFileName(frameID), fullFileName(frameID)};
    std::unique_ptr<plat::AtomicFileWriter> files[3];
    for (int i = 0; i < 3; ++i) {
        std::string path = plat::appendingPathComponent(*_project->getProjectPath(), fileNames[i]);
        auto created = plat::AtomicFileWriter::create(path);
        if (!created.ok())
            return fail(created.error());
        files[i] = std::move(created).value();
    }
    // The three pictures are made, encoded and flushed to disk side by side
    // (the full picture's encoding takes longest), still under temporary
    // names; then they appear in order, each only when the one before did.
    // A failure stops the encoding of the files after it early, never of the
    // ones before it. The tasks read the caller's image and the writers; the
    // group waits for them before the writers or the image go away.
    constexpr int kNoFailure = 3;
    std::atomic<int> firstFailure = kNoFailure;
    // Why a file could not be written; each is set by its own task only.
    std::optional<plat::Error> writeFailures[3];
    auto keep = [&writeFailures](int index, plat::Result<void> written) {
        if (!written.ok() && !writeFailures[index])
            writeFailures[index] = written.error();
        return written.ok();
    };
    auto encodeInto = [&firstFailure, &files, &keep](int index) {
        return [&firstFailure, &file = *files[index], &keep, index](const uint8_t* bytes, size_t length) {
            return firstFailure.load(std::memory_order_relaxed) > index && keep(index, file.append(bytes, length));
        };
    };
    bool made[3] = {};
    auto settle = [&firstFailure, &made](int index, bool succeeded) {
        made[index] = succeeded;
        int failure = firstFailure.load();
        while (!succeeded && index < failure && !firstFailure.compare_exchange_weak(failure, index)) { }
    };
    plat::DispatchGroup encoding;
    auto& workers = plat::DispatchQueue::globalQueue(plat::DispatchQueue::Priority::High);
    encoding.async(workers, [&] {
        settle(2, plat::writeJPEGRepresentation(image, kFullQuality, encodeInto(2)) && keep(2, files[2]->flush()));
    });
    encoding.async(workers, [&] {
        auto scaled = imageByScalingAndCroppingForSize(image, kFramePreviewSize);
        settle(1,
            scaled && plat::writeJPEGRepresentation(*scaled, kReducedQuality, encodeInto(1))
                && keep(1, files[1]->flush()));
    });
    auto thumbnail = imageByScalingAndCroppingForSize(image, kFrameThumbnailSize);
    settle(0,
        thumbnail && plat::writeJPEGRepresentation(*thumbnail, kReducedQuality, encodeInto(0))
            && keep(0, files[0]->flush()));
    (void)encoding.wait(std::numeric_limits<double>::infinity());
    for (int i = 0; i < 3; ++i) {
        if (!made[i]) {
            // The log names the file; the person is told the system's reason only.
            plat::log("images: cannot make or write {}", fileNames[i]);
            return fail(writeFailures[i]
                    ? *writeFailures[i]
                    : plat::Error(kImagesErrorDomain, kUnwrittenPictureError, "The picture could not be encoded."));
        }
        auto committed = files[i]->commit();
        if (!committed.ok())
            return fail(committed.error());
    }
    return true;
}

void ImageProducer::createThumbNailAndPreviewForFrameAtIndex(int64_t index)
{
    auto frameID = _project->getFrameList().getFrameIDAtIndex(index);
    if (!frameID)
        return;
    auto full = readFrameImage(fullFileName(*frameID));
    if (!full) {
        plat::log("images: no picture to make a preview of for frame {}", *frameID);
        return;
    }
    (void)remakeSmallPicture(*full, kFrameThumbnailSize, thumbnailFileName(*frameID));
    (void)remakeSmallPicture(*full, kFramePreviewSize, previewFileName(*frameID));
}

std::shared_ptr<plat::Image> ImageProducer::remakeSmallPicture(
    const plat::Image& full, plat::Size size, const std::string& fileName)
{
    auto scaled = imageByScalingAndCroppingForSize(full, size);
    if (!scaled) {
        plat::log("images: cannot scale a picture for {}", fileName);
        return nullptr;
    }
    auto jpeg = plat::JPEGRepresentation(*scaled, kReducedQuality);
    if (!jpeg || !_project->updateRegularFileWithContents(*jpeg, fileName))
        plat::log("images: cannot write {}", fileName);
    return scaled;
}

bool ImageProducer::canReadFramePictureAtIndex(int64_t index)
{
    auto frame = _project->getFrameList().getFrameAtIndex(index);
    const auto& folder = _project->getProjectPath();
    if (!frame || frame->type() == FrameTypeCapturePlaceholder || !folder || !isValidFrameID(frame->frameID()))
        return false;
    return _project->framePictureChecks().canReadPictureFile(
        plat::appendingPathComponent(*folder, fullFileName(frame->frameID())));
}

std::shared_ptr<plat::Image> ImageProducer::getShownImageForFrameAtIndex(int64_t index, int sizeCode)
{
    auto frame = _project->getFrameList().getFrameAtIndex(index);
    if (!frame)
        return nullptr;
    if (frame->type() == FrameTypeCapturePlaceholder)
        return getImageForFrameAtIndex(index, sizeCode);
    // Shown as the export will show it: a frame whose full picture is damaged
    // is not shown whole because its small pictures are.
    if (!canReadFramePictureAtIndex(index))
        return nullptr;
    if (auto shown = getImageForFrameAtIndex(index, sizeCode))
        return shown;
    if (sizeCode != kFrameImageSizeThumbnail && sizeCode != kFrameImageSizePreview)
        return nullptr;
    auto full = readFrameImage(fullFileName(frame->frameID()));
    if (!full)
        return nullptr;
    // The other small picture is made again too when it does not read: the full picture is decoded once.
    const std::string& id = frame->frameID();
    const struct {
        int sizeCode;
        plat::Size size;
        std::string fileName;
    } smallPictures[] = {{kFrameImageSizeThumbnail, kFrameThumbnailSize, thumbnailFileName(id)},
        {kFrameImageSizePreview, kFramePreviewSize, previewFileName(id)}};
    std::shared_ptr<plat::Image> remade;
    for (const auto& small : smallPictures) {
        if (small.sizeCode != sizeCode && readFrameImage(small.fileName))
            continue;
        plat::log("images: {} is made again from the frame's picture", small.fileName);
        auto made = remakeSmallPicture(*full, small.size, small.fileName);
        if (small.sizeCode == sizeCode)
            remade = std::move(made);
    }
    return remade ? applyMovieEffect(remade) : nullptr;
}

std::shared_ptr<plat::Image> ImageProducer::readFrameImage(const std::string& fileName)
{
    auto bytes = _project->fileDataForFileWithPreferredFilename(fileName);
    if (!bytes)
        return nullptr;
    return plat::Image::imageWithData(*bytes);
}

std::shared_ptr<plat::Image> ImageProducer::getImageForFrameAtIndex(int64_t index, int sizeCode)
{
    auto frame = _project->getFrameList().getFrameAtIndex(index);
    if (!frame)
        return nullptr;
    if (frame->type() == FrameTypeCapturePlaceholder && sizeCode == kFrameImageSizeThumbnail)
        return plat::Image::imageNamed("thumb_camera.png");
    std::string frameID = frame->frameID();
    std::string fileName;
    switch (sizeCode) {
    case kFrameImageSizeFull:
        fileName = fullFileName(frameID);
        break;
    case kFrameImageSizePreview:
        fileName = previewFileName(frameID);
        break;
    case kFrameImageSizeThumbnail:
        fileName = thumbnailFileName(frameID);
        break;
    default:
        return nullptr;
    }
    auto image = readFrameImage(fileName);
    if (!image)
        return nullptr;
    return applyMovieEffect(image);
}

std::shared_ptr<plat::Image> ImageProducer::getImageForFrameAtIndex(int64_t index)
{
    return getImageForFrameAtIndex(index, kFrameImageSizeFull);
}

std::shared_ptr<plat::Image> ImageProducer::getPreviewImageForFrameAtIndex(int64_t index)
{
    return getImageForFrameAtIndex(index, kFrameImageSizePreview);
}

std::shared_ptr<plat::Image> ImageProducer::getThumbnailImageForFrameAtIndex(int64_t index)
{
    return getImageForFrameAtIndex(index, kFrameImageSizeThumbnail);
}

std::shared_ptr<plat::Image> ImageProducer::getImageForFrameWithFrameID(const std::string& frameID)
{
    if (!isValidFrameID(frameID))
        return nullptr;
    auto image = readFrameImage(fullFileName(frameID));
    return image ? applyMovieEffect(image) : nullptr;
}

std::shared_ptr<plat::Image> ImageProducer::getOriginialImageForFrameAtIndex(int64_t index)
{
    auto frameID = _project->getFrameList().getFrameIDAtIndex(index);
    if (!frameID)
        return nullptr;
    return readFrameImage(fullFileName(*frameID));
}

std::shared_ptr<plat::Image> ImageProducer::applyMovieEffect(const std::shared_ptr<plat::Image>& image)
{
    auto metadata = _project->getMetaData();
    int64_t effect = metadata ? metadata->getInt64("RecordMovieFilter").value_or(0) : 0;
    if (effect == 0)
        return image;
    if (effect != _filterEffect) {
        _filter.reset();
        _filterEffect = effect;
    }
    if (!_filter)
        _filter = std::make_shared<UIImageFilter>(makeColourFilter(effect));
    return _filter->processImage(image);
}

float ImageProducer::calculateAlphaForFadeforFrameAtIndex(int64_t index)
{
    auto metadata = _project->getMetaData();
    bool fadeIn = metadata && metadata->getBool("META_RECORD_THEME_FADE_IN").value_or(false);
    bool fadeOut = metadata && metadata->getBool("META_RECORD_THEME_FADE_OUT").value_or(false);
    const FrameList& frames = _project->getFrameList();
    int64_t count = frames.count();
    // Counted in the movie's frames: the placeholder, wherever it stands, is not in the movie.
    index = frames.getMovieIndexForIndex(index);
    int64_t fadeLength = std::min(2 * _project->recordFPS(), count / 3);
    // Without a fade length there is nothing to fade over (and 0 / 0 to avoid).
    float uncovered = 1.0f;
    if (index <= fadeLength && fadeIn && fadeLength > 0)
        uncovered = static_cast<float>(index) / static_cast<float>(fadeLength);
    float amount;
    if (index <= count - fadeLength)
        amount = 1.0f - uncovered;
    else if (fadeOut)
        amount = 1.0f - static_cast<float>(count - index) / static_cast<float>(fadeLength);
    else
        amount = 1.0f - uncovered;
    // Indexes outside the list would leave the range of an opacity.
    return std::clamp(amount, 0.0f, 1.0f);
}

std::shared_ptr<plat::Image> ImageProducer::applyFade(const std::shared_ptr<plat::Image>& image, int64_t index)
{
    if (!image)
        return nullptr;
    float amount = calculateAlphaForFadeforFrameAtIndex(index);
    if (amount == 0)
        return image;
    plat::Size size = image->size();
    plat::ImageContext canvas(size, /*opaque=*/false, 1.0);
    plat::GraphicsContext* context = canvas.context();
    if (!context)
        return nullptr;
    context->setFillColor(plat::Color::blackColor());
    context->fillRect({{0, 0}, size});
    context->drawImage(*image, {{0, 0}, size}, plat::BlendMode::Normal, 1.0 - amount);
    return canvas.finish();
}

std::shared_ptr<plat::Image> ImageProducer::applyMask(const std::shared_ptr<plat::Image>& image, float ratio)
{
    if (!image)
        return nullptr;
    plat::Size size = image->size();
    plat::ImageContext canvas(size, /*opaque=*/false, 1.0);
    plat::GraphicsContext* context = canvas.context();
    if (!context)
        return nullptr;
    context->drawImage(*image, {{0, 0}, size});
    double bar = (size.height - size.width / static_cast<double>(ratio)) * 0.5;
    if (bar > 0) {
        context->setFillColor(plat::Color::blackColor());
        context->fillRect(plat::makeRect(0, 0, size.width, bar));
        context->fillRect(plat::makeRect(0, size.height - bar, size.width, bar));
    }
    return canvas.finish();
}

std::shared_ptr<plat::Image> ImageProducer::blendUIImage(
    const std::shared_ptr<plat::Image>& top, const std::shared_ptr<plat::Image>& base)
{
    if (!base)
        return nullptr;
    plat::Rect whole {{0, 0}, base->size()};
    plat::ImageContext canvas(whole.size, /*opaque=*/false, 1.0);
    plat::GraphicsContext* context = canvas.context();
    if (!context)
        return nullptr;
    context->drawImage(*base, whole);
    if (top)
        context->drawImage(*top, whole, plat::BlendMode::Normal, 1.0);
    return canvas.finish();
}

std::shared_ptr<plat::Image> ImageProducer::mergeImage(const std::shared_ptr<plat::Image>& first,
    const std::shared_ptr<plat::Image>& second, const std::shared_ptr<plat::Image>& third)
{
    if (!first)
        return nullptr;
    plat::Rect whole {{0, 0}, first->size()};
    plat::ImageContext canvas(whole.size, /*opaque=*/false, 1.0);
    plat::GraphicsContext* context = canvas.context();
    if (!context)
        return nullptr;
    context->drawImage(*first, whole, plat::BlendMode::Normal, 1.0);
    if (second)
        context->drawImage(*second, whole, plat::BlendMode::Normal, kMergeSecondOpacity);
    if (third)
        context->drawImage(*third, whole, plat::BlendMode::Normal, kMergeThirdOpacity);
    return canvas.finish();
}

}  // namespace zt
