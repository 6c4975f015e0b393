#include "painter/PainterFiles.h"

#include <set>

#include "document/ProjectDataWrapper.h"
#include "painter/PainterLayer.h"
#include "painter/StrokeArchive.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/Log.h"

namespace zt {

namespace {
constexpr int kMostAsideCopies = 100;
}

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

std::string asideCopyName(const std::string& fileName, const char* suffix, int copy)
{
    return fileName + suffix + (copy == 1 ? "" : "-" + std::to_string(copy));
}

enum class KeepOriginal { No, Yes };

// The first free numbered name takes a copy; a copy kept earlier is never written over.
bool keepFileAside(ProjectDataWrapper& project, const std::string& fileName, const char* suffix, KeepOriginal keep)
{
    for (int copy = 1; copy <= kMostAsideCopies; ++copy) {
        const std::string aside = asideCopyName(fileName, suffix, copy);
        if (project.fileDataForFileWithPreferredFilename(aside))
            continue;
        if (!project.cloneFileWithPreferredFilename(fileName, aside))
            break;
        if (keep == KeepOriginal::No && !project.removeRegularFileWithPreferredFilename(fileName))
            plat::log("painter: kept a copy of {}, but cannot remove it", fileName);
        return true;
    }
    plat::log("painter: cannot keep {} aside", fileName);
    return false;
}
}  // namespace

bool PainterFiles::wasKeptAside(const ProjectDataWrapper& project, const std::string& fileName)
{
    return project.fileDataForFileWithPreferredFilename(asideCopyName(fileName, kDamagedSuffix, 1)).has_value();
}

bool PainterFiles::keepDamagedFileAside(ProjectDataWrapper& project, const std::string& fileName)
{
    return keepFileAside(project, fileName, kDamagedSuffix, KeepOriginal::No);
}

bool PainterFiles::keepReplacedFileAside(ProjectDataWrapper& project, const std::string& fileName)
{
    return keepFileAside(project, fileName, kReplacedSuffix, KeepOriginal::Yes);
}

plat::Result<std::optional<plat::Data>> PainterFiles::readStrokeArchive(
    ProjectDataWrapper& project, const std::string& fileName)
{
    auto data = project.fileDataForFileWithPreferredFilename(fileName);
    if (!data)
        return std::optional<plat::Data>();
    auto strokes = StrokeArchive::strokesWithData(*data);
    if (!strokes.ok()) {
        plat::log("painter: {} is damaged ({}); it is kept aside", fileName, strokes.error().localizedDescription());
        keepDamagedFileAside(project, fileName);
        return strokes.error();
    }
    return std::optional<plat::Data>(std::move(*data));
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
