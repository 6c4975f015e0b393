#include "painter/PainterFiles.h"

#include <set>

#include "document/FailureReason.h"
#include "document/ProjectDataWrapper.h"
#include "painter/PainterLayer.h"
#include "painter/StrokeArchive.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace zt {

std::string PainterFiles::canvasFileName(const std::string& frameID)
{
    return "canvas-" + frameID + ".cnv";
}

std::string PainterFiles::unpaintedPictureFileName(const std::string& frameID)
{
    return "canvas-" + frameID + ".jpg";
}

std::string PainterFiles::layersFileName(const std::string& frameID)
{
    return "canvas-" + frameID + ".layers";
}

std::string PainterFiles::layerPictureFileName(const std::string& frameID, const std::string& layerID)
{
    return "canvas-" + frameID + "-" + layerID + ".png";
}

std::string PainterFiles::layerStrokesFileName(const std::string& frameID, const std::string& layerID)
{
    return "canvas-" + frameID + "-" + layerID + ".cnv";
}

namespace {
constexpr const char* kDamagedSuffix = ".damaged";
constexpr const char* kReplacedSuffix = ".replaced";
constexpr const char* kErrorDomain = "PainterFiles";
constexpr int64_t kNotKeptAside = 1;

bool keepFileAside(ProjectDataWrapper& project, const std::string& fileName, const char* suffix, plat::KeepAside how)
{
    auto aside = project.keepFileAside(fileName, suffix, how);
    if (!aside.ok()) {
        plat::log("painter: cannot keep {} aside: {}", fileName, aside.error().localizedDescription());
        return false;
    }
    return true;
}
}  // namespace

bool PainterFiles::wasKeptAside(const ProjectDataWrapper& project, const std::string& fileName)
{
    const auto& folder = project.getProjectPath();
    return folder && wasKeptAside(*folder, fileName);
}

bool PainterFiles::wasKeptAside(const std::string& folder, const std::string& fileName)
{
    // The first copy is there whenever any was kept.
    return plat::fileExists(plat::appendingPathComponent(folder, fileName + kDamagedSuffix));
}

bool PainterFiles::keepDamagedFileAside(ProjectDataWrapper& project, const std::string& fileName)
{
    return keepFileAside(project, fileName, kDamagedSuffix, plat::KeepAside::Moving);
}

bool PainterFiles::keepReplacedFileAside(ProjectDataWrapper& project, const std::string& fileName)
{
    return keepFileAside(project, fileName, kReplacedSuffix, plat::KeepAside::Copying);
}

plat::Result<std::optional<plat::Data>> PainterFiles::readFile(
    ProjectDataWrapper& project, const std::string& fileName, const Check& check)
{
    std::optional<plat::Error> unreadable;
    auto data = project.fileDataForFileWithPreferredFilename(fileName, &unreadable);
    if (!data && !unreadable)
        return std::optional<plat::Data>();
    auto checked = !data ? plat::Result<void>(*unreadable) : check ? check(*data) : plat::Result<void>::success();
    if (checked.ok())
        return std::optional<plat::Data>(std::move(*data));
    if (plat::isPassingReadFailure(checked.error())) {
        plat::log("painter: {} cannot be read for now: {}", fileName, checked.error().localizedDescription());
        return checked.error();
    }
    plat::log("painter: {} cannot be read ({}); it is kept aside", fileName, checked.error().localizedDescription());
    if (!keepDamagedFileAside(project, fileName))
        return errorWithCause(kErrorDomain, kNotKeptAside, fileName + " cannot be read and stays", checked.error());
    return checked.error();
}

bool PainterFiles::wasKeptAsideFor(const plat::Error& error)
{
    return !plat::isPassingReadFailure(error) && !(error.domain() == kErrorDomain && error.code() == kNotKeptAside);
}

plat::Result<std::optional<plat::Data>> PainterFiles::readStrokeArchive(
    ProjectDataWrapper& project, const std::string& fileName)
{
    return readFile(project, fileName, [](const plat::Data& data) -> plat::Result<void> {
        auto strokes = StrokeArchive::strokesWithData(data);
        if (!strokes.ok())
            return strokes.error();
        return plat::Result<void>::success();
    });
}

plat::Result<plat::Data> PainterLayerArchive::archivedDataWithLayers(const std::vector<plat::Dictionary>& layers)
{
    plat::Array list;
    for (const auto& layer : layers)
        list.append(plat::Value(layer));
    plat::Dictionary root;
    root.set("layers", plat::Value(list));
    return plat::KeyedArchiver::archivedDataWithRootObject(plat::Value(root));
}

plat::Result<std::vector<plat::Dictionary>> PainterLayerArchive::layersWithData(const plat::Data& data)
{
    auto refuse = [](const std::string& why) {
        return plat::Error(PainterLayer::kErrorDomain, PainterLayer::kNotALayer, "not a layer list: " + why);
    };
    // No class of our own may appear: the built-in ones only.
    auto root = plat::KeyedUnarchiver::unarchiveObjectWithData(data);
    if (!root.ok())
        return refuse(root.error().localizedDescription());
    auto dictionary = root.value().asDictionary();
    if (!dictionary)
        return refuse("the root is not a dictionary");
    auto list = dictionary->getArray("layers");
    if (!list)
        return refuse("it has no list of layers");
    std::vector<plat::Dictionary> layers;
    std::set<std::string> identifiers;
    for (const auto& entry : *list) {
        auto layer = entry.asDictionary();
        if (!layer)
            return refuse("a layer is not a dictionary");
        auto checked = PainterLayer::initWithDict(*layer);
        if (!checked.ok())
            return checked.error();
        // Two layers of one identifier would share their files.
        if (!identifiers.insert(checked.value()->UUID()).second)
            return refuse("two layers have the same identifier");
        layers.push_back(*layer);
    }
    return layers;
}

}  // namespace zt
