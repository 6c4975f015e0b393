#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/FrameList.h"
#include "document/FrameListRepair.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace plat {
class Image;
}

namespace zt {

// The handle of one project folder in Documents: it makes the folder on the
// first write worth keeping, holds the metadata ("plovix.meta") and the frame
// list ("frames.meta") in memory, saves them, and reads, writes, copies and
// removes the folder's other files by name. Every screen of an open project
// shares one handle. Main queue.
class ProjectDataWrapper {
public:
    // A handle on an existing folder, or (no path) on a project without one yet.
    explicit ProjectDataWrapper(std::optional<std::string> projectPath);
    virtual ~ProjectDataWrapper() = default;
    ProjectDataWrapper(const ProjectDataWrapper&) = delete;
    ProjectDataWrapper& operator=(const ProjectDataWrapper&) = delete;

    const std::optional<std::string>& getProjectPath() const { return _projectPath; }

    // The metadata, loaded on first use: the folder's "plovix.meta", or the
    // defaults for a project without one. None while "plovix.meta" exists but
    // cannot be read as a dictionary (and then it is never overwritten).
    // Callers change the dictionary in place, then saveMetaDataToDisk.
    std::optional<plat::Dictionary> getMetaData();
    bool isMetaDataUnreadable() const { return _metadataUnreadable; }
    // The frame list, loaded on first use ("frames.meta", or just the
    // placeholder). A "frames.meta" that cannot be read whole is repaired
    // (FrameListRepair); the damaged file stays until the next save keeps it
    // beside as "frames.meta.damaged" ("-2", "-3"... when taken).
    FrameList& getFrameList();
    // What the repair of the loaded list recovered, once: whoever shows the
    // project tells the user and saves the repair.
    std::optional<FrameListRepair> takeFrameListRepair();
    // Why "frames.meta" could not be read at all (its modes, a folder in its
    // place), after loading the list. The list then holds only the
    // placeholder, and it is never saved over the file.
    std::optional<plat::Error> frameListReadError();
    // The name the last save kept the damaged list under, if it kept one.
    const std::optional<std::string>& frameListKeptAside() const { return _frameListKeptAside; }

    // Each reports what kept it from the disk; nothing to save (a project
    // without a folder and without frames) is success. A project without a
    // folder gets one first; when that fails nothing of it is left behind.
    plat::Result<void> saveMetaDataToDisk();
    plat::Result<void> saveFramelistToDisk();
    plat::Result<void> saveAllDataToDisk();

    // Sets each value in the metadata (a null value removes its key) and
    // saves it. When it cannot be saved the metadata gets back exactly what
    // it had, and the error says why.
    using MetaDataChange = std::vector<std::pair<std::string, plat::Value>>;
    plat::Result<void> changeMetaData(const MetaDataChange& values);

    // Writes a file of the folder atomically, making the folder first when
    // there is none. Names must be plain file names. error (when given) says
    // why it failed.
    bool updateRegularFileWithContents(
        const plat::Data& data, const std::string& preferredFilename, std::optional<plat::Error>* error = nullptr);
    // None when the file is missing or cannot be read; error (when given)
    // then says why one that is there could not be read, and stays empty
    // for one that is missing.
    std::optional<plat::Data> fileDataForFileWithPreferredFilename(
        const std::string& preferredFilename, std::optional<plat::Error>* error = nullptr) const;
    // A missing file counts as removed; a folder is refused.
    bool removeRegularFileWithPreferredFilename(
        const std::string& preferredFilename, std::optional<plat::Error>* error = nullptr);
    // Fails when the destination exists; error (when given) says why it failed.
    bool cloneFileWithPreferredFilename(
        const std::string& source, const std::string& destination, std::optional<plat::Error>* error = nullptr);
    // Keeps a file of the folder aside as plat::keepFileAside does; the name
    // it is kept under.
    plat::Result<std::string> keepFileAside(
        const std::string& preferredFilename, std::string_view suffix, plat::KeepAside how);

    // The picture that stands for the project in the explorer: the folder's
    // "thumb.jpg", else the preview of the frame named by
    // "META_RECORD_THUMB_FRAME_ID", else the app's "explorer_placeholder.png".
    // A file that does not decode counts as missing.
    std::shared_ptr<plat::Image> getThumbImageForProject();

    // Bytes of every file below the folder; also remembered.
    int64_t getUsedStorageSpace();
    int64_t usedStorageSpace() const { return _usedStorageSpace; }

    // ".plovix-yyyy-MM-dd-HH-mm-ss" of now in the device's time zone; when a
    // folder of that name exists in Documents, "-2", "-3"... is added.
    static std::string createProjectDirName();
    // Makes a new empty folder in Documents named by makeName, asking again
    // while the name is taken, and returns the name; the folder is the
    // reservation, so callers on other queues never share one. Any thread.
    static plat::Result<std::string> reserveProjectDir(const std::function<std::string()>& makeName);
    // Puts a project folder built aside in Documents (under a temporary name,
    // which a start removes should the run end first) in place whole, under
    // a name made by makeName, asking again while the name is taken; the
    // name. Any thread.
    static plat::Result<std::string> moveProjectDirIntoPlace(
        const std::string& builtFolder, const std::function<std::string()>& makeName);
    // Makes the folder (with a name no other project has), lists it first in
    // the projects list, selects it in the explorer, and saves everything.
    // A folder that cannot be made or filled is taken away again (and off
    // the list): the project stays without one and the error says why.
    plat::Result<void> createFilePathForProject();

    // Frames per second of the metadata; a missing or damaged value below 1
    // counts as the default 5, so it can always be divided by.
    int64_t recordFPS();

    static constexpr const char* kMetaDataFileName = "plovix.meta";
    static constexpr const char* kFrameListFileName = "frames.meta";
    static constexpr int64_t kDefaultRecordFPS = 5;

    // True for a snapshot: it reads like the handle it copies and never writes.
    bool isReadOnlySnapshot() const { return _readOnlySnapshot; }

protected:
    std::optional<std::string> pathForFile(const std::string& preferredFilename) const;
    // Makes this handle a read-only snapshot of source: a deep copy of its
    // metadata and a copy of its frame list. Main queue (source's queue).
    void copyForReading(ProjectDataWrapper& source);

private:
    plat::Dictionary makeDefaultMetaData() const;
    plat::Result<void> writeFile(const plat::Data& data, const std::string& preferredFilename);
    // Success with false: nothing more to do (no folder and nothing worth one,
    // or the folder was just made, which saved everything).
    plat::Result<bool> prepareFolderForSaving();
    plat::Result<void> writeMetaData();
    plat::Result<void> writeFrameList();
    void undoNewFolder(const std::string& name);

    std::optional<std::string> _projectPath;
    std::optional<plat::Dictionary> _metadata;
    bool _metadataUnreadable = false;
    std::unique_ptr<FrameList> _frameList;
    bool _frameListDamaged = false;  // the stored list could not be read whole: keep a copy before replacing it
    std::optional<plat::Error> _frameListReadError;  // the stored list could not be read at all
    std::optional<std::string> _frameListKeptAside;
    std::optional<FrameListRepair> _frameListRepair;
    int64_t _usedStorageSpace = 0;
    bool _readOnlySnapshot = false;
};

}  // namespace zt
