#include "render/SingleImagesExportRenderer.h"

#include <cerrno>
#include <cstdio>

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
// folder is built aside and replaces the last export only when whole).
plat::Result<void> writeJPEGFile(const plat::Image& picture, const std::string& path)
{
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return plat::Error::posix(errno, "create", path);
    // The first failed write's errno says why (a full disk); later calls would overwrite it.
    int failedWith = 0;
    bool encoded = plat::writeJPEGRepresentation(picture, kFullQuality, [&](const uint8_t* bytes, size_t length) {
        if (std::fwrite(bytes, 1, length, file.get()) == length)
            return true;
        if (failedWith == 0)
            failedWith = errno != 0 ? errno : EIO;
        return false;
    });
    if (failedWith == 0 && std::fflush(file.get()) != 0)
        failedWith = errno;
    if (!encoded || failedWith != 0)
        return plat::Error::posix(failedWith != 0 ? failedWith : EIO, "write", path);
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
        fail(noFramesError(kErrorDomain, kNoFramesErrorCode));
        return;
    }
    auto type = exportType();
    plat::URL url = getExportURLForExportType(type ? *type : *getSupportedExportTypes().front());
    setExportURL(url);
    const std::string folder = url.path();
    // The pictures go into a folder beside the last export, which stays until they are all written.
    auto aside = plat::createTemporaryFolderBeside(folder);
    if (!aside.ok()) {
        plat::log("images export: {}", aside.error().localizedDescription());
        fail(writeError(kErrorDomain, kWriteErrorCode, "Error writing images.", aside.error()));
        return;
    }
    const std::string building = aside.value();
    auto discardPictures = [&] {
        if (auto removed = plat::removeItemIfExists(building); !removed.ok())
            plat::log("images export: {}", removed.error().localizedDescription());
    };
    int64_t written = 0;
    for (int64_t i = 0; i < frames; ++i) {
        // A missing picture leaves a gap in the numbers.
        if (auto picture = _imageProducer->getImageForRenderingAtIndex(i, plat::Size {0, 0})) {
            auto stored = writeJPEGFile(*picture, plat::appendingPathComponent(building, pictureFileName(i)));
            if (!stored.ok()) {
                plat::log("images export: {}", stored.error().localizedDescription());
                discardPictures();
                fail(writeError(kErrorDomain, kWriteErrorCode, "Error writing images.", stored.error()));
                return;
            }
            ++written;
        } else {
            noteUnreadableFrame(i);
        }
        if (status() == MovieRendererStatusCancelled) {
            discardPictures();
            return;
        }
        setProgress(static_cast<float>(i) / static_cast<float>(frames));
    }
    if (written == 0) {
        discardPictures();
        fail(plat::Error(kErrorDomain, kWriteErrorCode, "Error writing images."));
        return;
    }
    if (auto replaced = plat::replaceItemWithItemBuiltAside(building, folder); !replaced.ok()) {
        plat::log("images export: {}", replaced.error().localizedDescription());
        fail(writeError(kErrorDomain, kWriteErrorCode, "Error writing images.", replaced.error()));
        return;
    }
    setStatusUnlessCancelled(MovieRendererStatusCompleted);
}

}  // namespace zt
