#pragma once
#include <memory>
#include <string>

#include "platform/foundation/Result.h"

namespace zt {
class ProjectModel;

// The sound files of a project folder and of the shared inbox: copying one
// in without ever making two sounds share a name, and removing one only
// when it is a sound (a clip record naming the project's own metadata or
// pictures must not delete them). Any thread for the name helpers; the
// project operations on the main queue.
class ProjectSoundFiles {
public:
    // The file at source, in the project folder: the source itself when it
    // lies there, a file already there with the same name and contents, or
    // a new copy, under "name-2.ext", "name-3.ext", ... when the name is
    // taken by another sound. The folder is made first when the project has
    // none. The name the project knows the file by.
    static plat::Result<std::string> placeInProjectFolder(ProjectModel& project, const std::string& source);

    // Removes the named file of the project folder when it is a sound file;
    // other files and names that are not plain file names are kept.
    static void removeSoundFile(ProjectModel& project, const std::string& name);

    // name, or "name-2.ext", "name-3.ext", ...: the first that is free in
    // folder, or already holds the contents of sameAs (when given).
    static std::string availableName(
        const std::string& folder, const std::string& name, const std::string& sameAs = std::string());

    static bool haveSameContents(const std::string& first, const std::string& second);
    // FFmpeg finds sound in the file, and no pictures (a movie is not a sound file).
    static bool isSoundFile(const std::string& path);
};

}  // namespace zt
