#include "painter/PainterFiles.h"

#include <set>

#include "document/FailureReason.h"
#include "document/FrameFiles.h"
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
constexpr std::string_view kPainterFilePrefix = "canvas-";
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

plat::Result<bool> PainterFiles::takePaintingIntoCopiedPicture(
    const std::string& from, const std::string& to, const std::string& frameID, const std::string& newFrameID)
{
    using NameOf = std::string (*)(const std::string&);
    const auto isThere = [](const std::string& folder, const std::string& name) {
        return plat::fileExists(plat::appendingPathComponent(folder, name));
    };
    // There in the source, readable or not, or kept aside, and not in the copy.
    const auto isLost = [&](NameOf nameOf) {
        return !isThere(to, nameOf(newFrameID))
            && (isThere(from, nameOf(frameID)) || wasKeptAside(from, nameOf(frameID)));
    };
    const bool inLayers = isThere(to, layersFileName(newFrameID));
    if (!isLost(unpaintedPictureFileName) && !isLost(layersFileName) && (inLayers || !isLost(canvasFileName)))
        return false;
    // The copy's frame picture has the painting in it: the painter files it
    // did get belong to another state of it, and go.
    auto names = plat::contentsOfDirectory(to);
    if (!names.ok())
        return names.error();
    for (const std::string& name : names.value()) {
        if (!name.starts_with(kPainterFilePrefix) || !FrameFiles::belongsToFrame(name, newFrameID))
            continue;
        if (auto removed = plat::removeItemIfExists(plat::appendingPathComponent(to, name)); !removed.ok())
            return removed.error();
    }
    // Strokes of its own, none, keep the previous frame's from being taken for them.
    auto none = StrokeArchive::archivedDataWithStrokes({});
    if (!none.ok())
        return none.error();
    auto written
        = plat::writeFileAtomically(plat::appendingPathComponent(to, canvasFileName(newFrameID)), none.value());
    if (!written.ok())
        return written.error();
    return true;
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
