#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

namespace zt {

// Documents/".projects.plist": the names of the project folders, newest
// first. Every read-modify-write of the file goes through update(), which
// holds one process-wide lock, so writers on different queues never lose
// each other's changes. Any thread.
class ProjectsList {
public:
    // Project folders are named "<prefix>-<creation date>" in Documents.
    static constexpr const char* kProjectFolderPrefix = ".plovix";
    // The error of update() for a list file that cannot be read as a list.
    static constexpr const char* kErrorDomain = "ProjectsListErrorDomain";
    static constexpr int64_t kUnreadableListError = 1;

    static std::string path();
    // The entry of the sample project, which lives in Caches: ".plovix-introduction".
    static std::string introductionName();
    // Where the folder of a listed name is: Caches for the sample, else Documents.
    static std::string folderPathForName(const std::string& name);

    // The names that can safely name a folder (plain file names); none when
    // the file is missing or unreadable.
    static std::optional<std::vector<std::string>> projectNames();

    // Reads the list as an array, lets change edit it, and writes it back
    // atomically. When the file cannot be read as an array nothing is written
    // and the result is false; error (when given) says why it failed.
    static bool update(
        const std::function<void(plat::Array& names)>& change, std::optional<plat::Error>* error = nullptr);
    // Writes a whole new list (start-up creates it this way when it is unreadable).
    static bool replace(const std::vector<std::string>& names, std::optional<plat::Error>* error = nullptr);

    // Lists the name first; a name listed already (start-up may have found
    // the folder while it was being made) stays where it is.
    static bool insertProjectName(const std::string& name);
    // Takes off the list the names of folders that are not there (a run
    // killed as it deleted one, between the folder and the list). Writes
    // only when one goes. The sample's folder may still come: a start whose
    // settings were reset unpacks it again when Caches has lost it, so its
    // entry waits for that step, which is then Settled.
    enum class SampleFolder { MayComeBack, Settled };
    static void removeNamesOfMissingFolders(SampleFolder sample);
};

}  // namespace zt
