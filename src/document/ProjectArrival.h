#pragma once
#include <functional>
#include <optional>
#include <string>

#include "platform/foundation/Result.h"

namespace zt {

// A new project folder (a duplicate, an imported archive) is built aside,
// put in place whole and then listed; an imported one's archive is removed
// last. Until all that is done the folder holds a note, which names the
// archive by where it lies within the device: the start after a run killed
// on the way (on this device folder, or on a copy of it or the folder
// moved) lists the folder and removes the archive, so the project shows
// once and is never imported twice. Any thread.
class ProjectArrival {
public:
    static constexpr const char* kNoteFileName = ".arriving";

    // Notes the arrival in the folder built aside, with the archive it was
    // unpacked from when there is one, and puts the folder in place as
    // ProjectDataWrapper::moveProjectDirIntoPlace does; gives its name.
    static plat::Result<std::string> placeProjectDir(const std::string& builtFolder,
        const std::function<std::string()>& makeName, const std::optional<std::string>& archive = std::nullopt);
    // Lists the folder first; true when it is listed, or will be by the
    // start, which makes a list that cannot be read anew from the folders.
    static bool listArrival(const std::string& name);
    // Once the project is listed and its archive removed: the note goes.
    static void finishArrival(const std::string& name);
    // At start, before anything else writes: lists every project folder
    // still holding a note, removes the archive the note names while that
    // is the same file (never a file outside the device), and the note once
    // the folder is listed.
    static void finishArrivalsCutShort();
};

}  // namespace zt
