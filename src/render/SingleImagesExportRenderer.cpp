#include "render/SingleImagesExportRenderer.h"

#include <cerrno>
#include <cstdio>

#include "document/FileUtil.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "render/MovieRenderAdditionalRendering.h"
#include "render/RenderImageProducer.h"

namespace zt {

namespace {

constexpr double kFullQuality = 1.0;
constexpr uint64_t kBaseKib = 212;
constexpr uint64_t kKibPerEntry = 1750;

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// The picture as a JPEG file, streamed as it is encoded (not atomically: the
// folder is the export, and a failed export is removed with it).
plat::Result<void> writeJPEGFile(const plat::Image& picture, const std::string& path)
{
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return plat::Error::posix(errno, "create", path);
    bool encoded = plat::writeJPEGRepresentation(picture, kFullQuality,
        [&file](const uint8_t* bytes, size_t length) { return std::fwrite(bytes, 1, length, file.get()) == length; });
    int flushError = std::fflush(file.get()) == 0 ? 0 : errno;
    if (!encoded || flushError != 0)
        return plat::Error::posix(flushError != 0 ? flushError : EIO, "write", path);
    if (std::fclose(file.release()) != 0)
        return plat::Error::posix(errno, "write", path);
    return {};
}

std::string pictureFileName(int64_t index)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%.5lld.jpg", static_cast<long long>(index));
    return name;
}

}  // namespace

SingleImagesExportRenderer::SingleImagesExportRenderer(std::shared_ptr<ProjectModel> project)
    : MovieRenderer(std::move(project))
{
}

SingleImagesExportRenderer::~SingleImagesExportRenderer() = default;

std::optional<std::string> SingleImagesExportRenderer::getSupportedUTI() const
{
    return std::string(kUTI);
}

std::vector<std::shared_ptr<MovieExportType>> SingleImagesExportRenderer::getSupportedExportTypes()
{
    return {std::make_shared<MovieExportType>(
        plat::localized("Export All Images"), std::nullopt, plat::Size {0, 0}, kUTI, "export")};
}

uint64_t SingleImagesExportRenderer::getEstimatedFileSizeAfterExportforType(const MovieExportType& type)
{
    (void)type;
    int64_t count = projectForReading()->getFrameList().count();
    return kBaseKib + static_cast<uint64_t>(std::max<int64_t>(count, 0)) * kKibPerEntry;
}

void SingleImagesExportRenderer::renderMovie()
{
    setStatusUnlessCancelled(MovieRendererStatusRendering);
    if (!_imageProducer)
        _imageProducer = std::make_shared<RenderImageProducer>(renderProject());
    int64_t frames = _imageProducer->getNumberOfFramesForRendering();
    if (frames < 1) {
        fail(plat::Error(kErrorDomain, kNoFramesErrorCode, "No frames found in project."));
        return;
    }
    auto type = exportType();
    plat::URL url = getExportURLForExportType(type ? *type : *getSupportedExportTypes().front());
    setExportURL(url);
    std::string folder = url.path();
    // Pictures of an earlier export must not mix with these.
    auto cleared = plat::removeItemIfExists(folder);
    auto created = cleared.ok() ? plat::createDirectory(folder, plat::IntermediateDirectories::Yes) : cleared;
    if (!created.ok()) {
        plat::log("images export: {}", created.error().localizedDescription());
        fail(plat::Error(kErrorDomain, kWriteErrorCode, "Error writing images.", {},
            std::make_shared<const plat::Error>(created.error())));
        return;
    }
    int64_t written = 0;
    for (int64_t i = 0; i < frames; ++i) {
        // A missing picture leaves a gap in the numbers.
        if (auto picture = _imageProducer->getImageForRenderingAtIndex(i, plat::Size {0, 0})) {
            auto stored = writeJPEGFile(*picture, plat::appendingPathComponent(folder, pictureFileName(i)));
            if (!stored.ok()) {
                plat::log("images export: {}", stored.error().localizedDescription());
                fail(plat::Error(kErrorDomain, kWriteErrorCode, "Error writing images."));
                return;
            }
            ++written;
        }
        if (status() == MovieRendererStatusCancelled)
            return;
        setProgress(static_cast<float>(i) / static_cast<float>(frames));
    }
    if (written == 0) {
        fail(plat::Error(kErrorDomain, kWriteErrorCode, "Error writing images."));
        return;
    }
    setStatusUnlessCancelled(MovieRendererStatusCompleted);
}

}  // namespace zt
