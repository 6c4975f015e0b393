#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace zt {

// The files of one frame in a project folder, found by their exact name
// patterns ("frame-ID.jpg", "preview-ID.jpg", "thumb-ID.jpg", "meta-ID.meta",
// "canvas-ID.cnv", "canvas-ID.jpg", "canvas-ID.layers", and the painter
// layers "canvas-ID-<layer UUID>.png" and ".cnv"). Unlike a search by
// substring, a short or damaged identifier can never match another frame's
// files or the project's own. Any thread (stateless).
class FrameFiles {
public:
    static bool belongsToFrame(std::string_view fileName, std::string_view frameID);
    // The name the file takes for another frame; empty when it is not one of frameID's files.
    static std::optional<std::string> renamedForFrame(
        std::string_view fileName, std::string_view frameID, std::string_view newFrameID);

    // Removes the frame's files directly in the folder; errors are ignored.
    // An identifier that could not safely name a file removes nothing.
    static void deleteFilesOfFrame(const std::string& folder, const std::string& frameID);
    // Copies the frame's files into another folder under newFrameID; existing
    // files are not overwritten, errors are ignored.
    static void copyFilesOfFrame(
        const std::string& from, const std::string& to, const std::string& frameID, const std::string& newFrameID);
};

}  // namespace zt
