#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace zt {
class ProjectDataWrapper;

// The painter's files in a project folder, by frame identifier (and layer
// identifier), and the reading of the archives among them: project files
// are outside input, so a file that cannot be opened, or read as what it
// should be, is kept aside under a ".damaged" name (never overwritten by the
// next save) and reported. Main queue (the project's).
class PainterFiles {
public:
    static std::string canvasFileName(const std::string& frameID);  // "canvas-%@.cnv"
    static std::string unpaintedPictureFileName(const std::string& frameID);  // "canvas-%@.jpg"
    static std::string layersFileName(const std::string& frameID);  // "canvas-%@.layers"
    static std::string layerPictureFileName(const std::string& frameID, const std::string& layerID);
    static std::string layerStrokesFileName(const std::string& frameID, const std::string& layerID);

    // A painter file read whole: none when it is missing; its bytes when
    // they can be read and pass check (when given). One that is there but
    // cannot be opened or read (its modes, a folder in its place) or fails
    // the check is kept aside as damaged, unless what kept it from being
    // read may pass (no descriptors left, an I/O error); the error says why.
    using Check = std::function<plat::Result<void>(const plat::Data&)>;
    static plat::Result<std::optional<plat::Data>> readFile(
        ProjectDataWrapper& project, const std::string& fileName, const Check& check = {});
    // Whether readFile kept the file aside when it gave this error.
    static bool wasKeptAsideFor(const plat::Error& error);
    // A stroke archive file, read as readFile reads: its bytes when they
    // read as a painter canvas archive.
    static plat::Result<std::optional<plat::Data>> readStrokeArchive(
        ProjectDataWrapper& project, const std::string& fileName);
    // Moves the file to "<name>.damaged" ("<name>.damaged-2" and so on when
    // taken); false with a log line when it cannot.
    static bool keepDamagedFileAside(ProjectDataWrapper& project, const std::string& fileName);
    // Copies a whole file that is about to be written over to
    // "<name>.replaced", numbered alike; false with a log line when it cannot.
    static bool keepReplacedFileAside(ProjectDataWrapper& project, const std::string& fileName);
    // Whether a damaged copy of the file was kept aside, by its being there:
    // it keeps the modes that kept it from being read.
    static bool wasKeptAside(const ProjectDataWrapper& project, const std::string& fileName);
    static bool wasKeptAside(const std::string& folder, const std::string& fileName);

    // A frame's files copied from one folder into another under newFrameID.
    // A copy without one of the files the painter reads the painting from
    // (the unpainted picture, the layer list, or the strokes of a painting
    // without one) that the source holds, or kept aside as damaged, would
    // read as another painting or as none: it then takes the painting as the
    // painter takes one it cannot read back, in the frame's picture only,
    // with no strokes of its own over it. Whether it did; an error when its
    // painter files could not be made so. Any thread.
    static plat::Result<bool> takePaintingIntoCopiedPicture(
        const std::string& from, const std::string& to, const std::string& frameID, const std::string& newFrameID);
};

// The layer list file: a keyed archive of {"layers": [layer dictionaries]}.
// Reading refuses anything but dictionaries, lists, text and numbers, and
// every layer dictionary that PainterLayer::initWithDict refuses (domain
// "PainterLayer"). Any thread.
class PainterLayerArchive {
public:
    static plat::Result<plat::Data> archivedDataWithLayers(const std::vector<plat::Dictionary>& layers);
    static plat::Result<std::vector<plat::Dictionary>> layersWithData(const plat::Data& data);
};

}  // namespace zt
