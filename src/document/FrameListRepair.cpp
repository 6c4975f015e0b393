#include "document/FrameListRepair.h"

#include <algorithm>
#include <set>

#include "document/Frame.h"
#include "document/FrameFiles.h"
#include "document/ReadableListElements.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace zt {

namespace {

constexpr const char* kDataKey = "FRAMELIST_DATA";
constexpr std::string_view kPicturePrefix = "frame-";
constexpr std::string_view kPictureSuffix = ".jpg";

struct Picture {
    std::string frameID;
    double modified = 0;  // seconds since 1970
};

// The frame pictures of the folder that none of the named frames owns.
std::vector<Picture> unnamedPictures(const std::string& folder, const std::set<std::string>& named)
{
    std::vector<Picture> pictures;
    auto names = plat::contentsOfDirectory(folder);
    if (!names.ok()) {
        plat::log("frame list repair: {}", names.error().localizedDescription());
        return pictures;
    }
    for (const std::string& name : names.value()) {
        if (!name.starts_with(kPicturePrefix) || !name.ends_with(kPictureSuffix))
            continue;
        std::string frameID
            = name.substr(kPicturePrefix.size(), name.size() - kPicturePrefix.size() - kPictureSuffix.size());
        if (!isValidFrameID(frameID) || named.count(frameID) || FrameFiles::pictureFileName(frameID) != name)
            continue;
        auto attributes = plat::attributesOfItem(plat::appendingPathComponent(folder, name));
        if (!attributes.ok() || attributes.value().isDirectory)
            continue;
        pictures.push_back({frameID, attributes.value().modificationDate.timeIntervalSince1970()});
    }
    std::sort(pictures.begin(), pictures.end(), [](const Picture& a, const Picture& b) {
        return a.modified != b.modified ? a.modified < b.modified : a.frameID < b.frameID;
    });
    return pictures;
}

}  // namespace

int64_t FrameListRepair::recoveredFrames() const
{
    return static_cast<int64_t>(std::count_if(records.begin(), records.end(),
        [](const plat::Dictionary& record) { return Frame(record).type() != FrameTypeCapturePlaceholder; }));
}

FrameListRepair FrameListRepair::repair(const plat::Data& damaged, const std::string& projectFolder)
{
    FrameListRepair result;
    std::set<std::string> named;
    for (const plat::Value& element : detail::readableListElements(damaged, kDataKey)) {
        auto record = element.asDictionary();
        auto frameID = record ? record->getString("FRAME_ID") : std::nullopt;
        if (!frameID || !isValidFrameID(*frameID))
            continue;
        named.insert(*frameID);
        result.records.push_back(*record);
    }
    result.readEntries = static_cast<int64_t>(result.records.size());
    // A list that still ends with the capture placeholder gets the pictures
    // before it, where captured frames go; else they follow what was read.
    auto at = result.records.end();
    if (!result.records.empty() && Frame(result.records.back()).type() == FrameTypeCapturePlaceholder)
        at = std::prev(at);
    std::vector<plat::Dictionary> found;
    for (const Picture& picture : unnamedPictures(projectFolder, named))
        found.push_back(Frame(FrameTypePicture, picture.frameID).encode());
    result.records.insert(at, found.begin(), found.end());
    result.foundPictures = static_cast<int64_t>(found.size());
    return result;
}

}  // namespace zt
