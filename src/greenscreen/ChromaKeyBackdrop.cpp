#include "greenscreen/ChromaKeyBackdrop.h"

#include "document/ProjectModel.h"
#include "glimage/GLImageChromaKeyBlendFilter.h"
#include "glimage/GLImagePicture.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "uikit/UIImageResize.h"

namespace zt {

namespace {

// The blend filter's input for the backdrop; the camera has input 0.
constexpr int64_t kBackdropInput = 1;

}  // namespace

ChromaKeyBackdrop::ChromaKeyBackdrop(std::shared_ptr<GLImageChromaKeyBlendFilter> filter)
    : _filter(std::move(filter))
{
}

ChromaKeyBackdrop::~ChromaKeyBackdrop()
{
    detach();
}

std::shared_ptr<plat::Image> ChromaKeyBackdrop::savedPicture(const ProjectModel* project)
{
    if (project) {
        if (auto data = project->fileDataForFileWithPreferredFilename(kBackdropFileName)) {
            if (auto picture = plat::Image::imageWithData(*data))
                return picture;
            plat::log("green screen: the project's {} does not decode; the default backdrop shows", kBackdropFileName);
        }
    }
    return defaultPicture();
}

std::shared_ptr<plat::Image> ChromaKeyBackdrop::defaultPicture()
{
    auto picture = plat::Image::imageNamed(kDefaultBackdropName);
    if (!picture)
        plat::log("green screen: the default backdrop {} is missing", kDefaultBackdropName);
    return picture;
}

std::shared_ptr<plat::Image> ChromaKeyBackdrop::preparedPicture(const plat::Image& picture)
{
    return scaledAndRotatedImageWithMaxResolution(picture, kMaxResolution);
}

std::optional<int64_t> ChromaKeyBackdrop::lastFrameIndex(int64_t count, int64_t captureIndex)
{
    if (count < 2 || captureIndex < 0 || captureIndex >= count)
        return std::nullopt;
    return captureIndex < 1 ? count - 1 : captureIndex - 1;
}

std::optional<plat::Data> ChromaKeyBackdrop::encodedPicture(const plat::Image& picture)
{
    return plat::JPEGRepresentation(picture, kJPEGQuality);
}

bool ChromaKeyBackdrop::storePicture(const plat::Data& encoded, ProjectModel& project)
{
    if (!project.updateRegularFileWithContents(encoded, kBackdropFileName)) {
        plat::log("green screen: the backdrop could not be stored in the project");
        return false;
    }
    return true;
}

void ChromaKeyBackdrop::showPicture(const plat::Image& picture)
{
    detach();
    _sourcePicture = std::make_shared<GLImagePicture>(picture, SmoothlyScaleOutput::Yes);
    _sourcePicture->processImage();
    // A processed picture hands itself to a target as it is added.
    _sourcePicture->addTarget(_filter, kBackdropInput);
}

void ChromaKeyBackdrop::swapPicture(const plat::Image& picture, ProjectModel* project)
{
    showPicture(picture);
    auto encoded = encodedPicture(picture);
    if (!encoded) {
        plat::log("green screen: the backdrop could not be encoded; the project keeps its previous one");
        return;
    }
    if (project)
        (void)storePicture(*encoded, *project);
}

void ChromaKeyBackdrop::detach()
{
    if (_sourcePicture && _filter)
        _sourcePicture->removeTarget(_filter);
    _sourcePicture.reset();
}

}  // namespace zt
