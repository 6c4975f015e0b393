#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"

namespace zt {

// What a delete took out of a project, kept so that undo can put it back:
// the removed list entries with their positions, in the order they were
// removed, and the files of the frames whose files went with them, moved
// into a folder of the sandbox's tmp. The folder goes when the stash does
// (when the undo step is dropped). Main thread.
class DeletedFramesStash {
public:
    struct Entry {
        int64_t index;  // where the entry stood when it was removed
        plat::Dictionary record;
    };

    explicit DeletedFramesStash(std::string projectFolder);
    ~DeletedFramesStash();
    DeletedFramesStash(const DeletedFramesStash&) = delete;
    DeletedFramesStash& operator=(const DeletedFramesStash&) = delete;

    void addEntry(int64_t index, plat::Dictionary record) { _entries.push_back({index, std::move(record)}); }
    const std::vector<Entry>& entries() const { return _entries; }
    // Moves the frame's files out of the project folder into the stash; a
    // file that cannot be moved is removed, as a delete without undo would.
    void takeFilesOfFrame(const std::string& frameID);
    // Moves the stashed files back into the project folder (never over a file that is there).
    void restoreFiles();

private:
    std::string stashFolder();

    std::string _projectFolder;
    std::string _stashFolder;  // made on first use
    std::vector<Entry> _entries;
    std::vector<std::string> _fileNames;
};

}  // namespace zt
