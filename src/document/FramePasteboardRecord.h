#pragma once
#include <optional>
#include <string>
#include <vector>

#include "document/Frame.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace zt {

// Frames copied from a project, as they travel on the pasteboard: a keyed
// archive of {"UIPASTEBOARD_FRAMES": the frames in strip order,
// "UIPASTEBOARD_LOCATION": the absolute path of the project folder that
// keeps their files}. The pasteboard is shared with every other app, so a
// record read from it is outside input: its frames must be whole and their
// identifiers fit to name files, and its location is trusted only when it
// names a project folder of this app. Any thread (a value).
struct FramePasteboardRecord {
    static constexpr const char* kPasteboardType = "com.quorvane.gleamly.plovix_4";
    static constexpr const char* kFramesKey = "UIPASTEBOARD_FRAMES";
    static constexpr const char* kLocationKey = "UIPASTEBOARD_LOCATION";
    static constexpr const char* kErrorDomain = "FramePasteboard";
    static constexpr int64_t kDamagedError = 1;
    static constexpr int64_t kForeignLocationError = 2;

    std::vector<Frame> frames;
    std::string location;

    plat::Result<plat::Data> archivedData() const;
    // Fails on anything but a dictionary of Frame objects and a location string.
    static plat::Result<FramePasteboardRecord> fromArchivedData(const plat::Data& data);

    // The location with links and dots resolved, when it names a project
    // folder (".plovix-...") directly in this app's Documents or Caches, or
    // such a folder deleted since; otherwise an error: frames from elsewhere
    // would read files this app does not own.
    plat::Result<std::string> projectFolder() const;
    // Whether the record's frames come from that project folder and one carries the id.
    bool listsFrameOfProject(const std::string& frameID, const std::string& projectFolder) const;
};

// The same folder, named as the file system resolves it (links and dots
// gone), or the path as given when it does not resolve.
std::string resolvedFolderPath(const std::string& path);

}  // namespace zt
