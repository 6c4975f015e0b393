#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Error.h"

namespace zt {

// What became of a frame's files when they were copied or removed: the
// names (in the source folder) that were handled, and each that was not,
// with why. A folder that could not be listed is one failure with an empty
// name, and nothing was handled.
struct FrameFilesReport {
    struct Failure {
        std::string fileName;
        plat::Error error;
    };
    std::vector<std::string> handled;
    std::vector<Failure> failures;

    bool ok() const { return failures.empty(); }
    bool handledFile(std::string_view fileName) const;
    // "name: reason" of each failure, for a log line or a message.
    std::string failureDescription() const;
};

// The files of one frame in a project folder, found by their exact name
// patterns ("frame-ID.jpg", "preview-ID.jpg", "thumb-ID.jpg", "meta-ID.meta",
// "canvas-ID.cnv", "canvas-ID.jpg", "canvas-ID.layers", and the painter
// layers "canvas-ID-<layer UUID>.png" and ".cnv"). Unlike a search by
// substring (what deleteAllFilesInPath and copyAllFilesInPath would do with
// a frame's FRAME_ID as the key), a short or damaged identifier can never
// match another frame's files or the project's own. Any thread (stateless).
class FrameFiles {
public:
    static bool belongsToFrame(std::string_view fileName, std::string_view frameID);
    // The name the file takes for another frame; empty when it is not one of frameID's files.
    static std::optional<std::string> renamedForFrame(
        std::string_view fileName, std::string_view frameID, std::string_view newFrameID);
    // "frame-ID.jpg": the full picture, without which a frame shows nothing.
    static std::string pictureFileName(std::string_view frameID);

    // Removes the frame's files directly in the folder, going on past a file
    // that cannot be removed. An identifier that could not safely name a
    // file removes nothing.
    [[nodiscard]] static FrameFilesReport deleteFilesOfFrame(const std::string& folder, const std::string& frameID);
    // Copies the frame's files into another folder under newFrameID, going
    // on past a file that cannot be copied; an existing file is not
    // overwritten (and is a failure).
    [[nodiscard]] static FrameFilesReport copyFilesOfFrame(
        const std::string& from, const std::string& to, const std::string& frameID, const std::string& newFrameID);
};

}  // namespace zt
