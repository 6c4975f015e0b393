#pragma once
#include <functional>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"

namespace plat {
class URL;
}

namespace zt {

// Turns a project archive (a flat zip of a project folder) into a new
// project: unpacks it into a new folder in Documents, lists that folder
// first in the projects list and deletes the archive. Works on files and the
// projects list only, never on an open project's model. No state; any thread.
class ProjectImportProcessor {
public:
    // Synchronous on the calling thread. An archive without a frame list
    // ("frames.meta") holds no project and fails. Only a whole import is kept: on
    // failure the new folder is removed, the list is unchanged and the
    // archive (perhaps the user's only copy) stays. With no readable projects
    // list the project is unpacked and kept but not listed. A run that ends
    // once the folder is in place is finished by the next start
    // (ProjectArrival): listed, the archive removed, never imported twice.
    bool importProjectAtPath(const std::string& path, std::optional<plat::Error>* error = nullptr) const;
    // importProjectAtPath on the default global queue; completion (when
    // given) runs there too, not on the main queue, with why it failed.
    void importProjectAtUrl(const plat::URL& url,
        std::function<void(bool imported, const std::optional<plat::Error>& error)> completion) const;

    // ".plovix-yyyy-MM-dd-HH-mm-ss" of now, with "-2", "-3"... when taken.
    std::string createRecordName() const;
};

}  // namespace zt
