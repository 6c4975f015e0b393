#include "document/ProjectTrackModel.h"

#include <algorithm>
#include <array>

#include "document/FileUtil.h"

namespace zt {

namespace {

constexpr const char* kIDKey = "ID";
constexpr const char* kNameKey = "Name";
constexpr const char* kHiddenKey = "Hidden";
constexpr const char* kEnabledKey = "Enabled";
constexpr const char* kItemsKey = "Items";

constexpr std::array<const char*, kProjectTrackTypeCount> kStoreNames = {
    "ProjectTrackTypeDefault",
    "ProjectTrackTypeMarker",
    "ProjectTrackTypeEffect",
    "ProjectTrackTypeForeground",
    "ProjectTrackTypeBackground",
    "ProjectTrackTypeAudio",
};
constexpr std::array<const char*, kProjectTrackTypeCount> kDefaultNames = {
    "",
    "Marker",
    "Effect",
    "Foreground",
    "Background",
    "Audio",
};

}  // namespace

ProjectTrackModel::ProjectTrackModel()
    : ProjectTrackModel(ProjectTrackTypeDefault)
{
}

ProjectTrackModel::ProjectTrackModel(int trackType)
    : _trackID(FileUtil::createUUID())
    , _type(trackType)
{
    _name = getDefaultName();
}

std::shared_ptr<ProjectTrackModel> ProjectTrackModel::initFromDictonary(const plat::Dictionary& record, int trackType)
{
    auto track = std::make_shared<ProjectTrackModel>(trackType);
    if (auto trackID = record.getString(kIDKey))
        track->_trackID = *trackID;
    if (auto name = record.getString(kNameKey))
        track->_name = *name;
    track->_isHidden = record.getBool(kHiddenKey).value_or(false);
    track->_isEnabled = record.getBool(kEnabledKey).value_or(true);
    if (auto items = record.getArray(kItemsKey)) {
        for (const plat::Value& entry : *items) {
            auto itemRecord = entry.asDictionary();
            if (!itemRecord)
                continue;  // a damaged entry is skipped, the rest of the track stays
            auto item = ProjectTrackItemModel::initFromDictonary(*itemRecord);
            item->setType(trackType);
            track->_items.push_back(std::move(item));
        }
    }
    return track;
}

plat::Dictionary ProjectTrackModel::encode() const
{
    plat::Array items;
    for (const auto& item : _items)
        items.append(item->encode());
    return plat::Dictionary {
        {kIDKey, _trackID},
        {kNameKey, _name},
        {kHiddenKey, _isHidden},
        {kEnabledKey, _isEnabled},
        {kItemsKey, items},
    };
}

int64_t ProjectTrackModel::getTrackTypeForName(const std::string& name)
{
    for (size_t type = 0; type < kStoreNames.size(); ++type) {
        if (name == kStoreNames[type])
            return static_cast<int64_t>(type);
    }
    return plat::kNotFound;
}

std::optional<std::string> ProjectTrackModel::getTrackStoreNameForTrackType(int64_t type)
{
    if (type < 0 || type >= kProjectTrackTypeCount)
        return std::nullopt;
    return kStoreNames[static_cast<size_t>(type)];
}

std::string ProjectTrackModel::getDefaultName() const
{
    if (_type < 0 || _type >= kProjectTrackTypeCount)
        return {};
    return kDefaultNames[static_cast<size_t>(_type)];
}

void ProjectTrackModel::addItem(std::shared_ptr<ProjectTrackItemModel> item)
{
    _items.push_back(std::move(item));
}

void ProjectTrackModel::deleteItem(const std::shared_ptr<ProjectTrackItemModel>& item)
{
    _items.erase(std::remove(_items.begin(), _items.end(), item), _items.end());
}

std::shared_ptr<ProjectTrackItemModel> ProjectTrackModel::getItemAtIndex(int64_t frameIndex) const
{
    for (const auto& item : _items) {
        if (item->start() <= frameIndex && frameIndex < item->getEnd())
            return item;
    }
    return nullptr;
}

std::shared_ptr<ProjectTrackItemModel> ProjectTrackModel::getClosestItemToIndex(int64_t frameIndex) const
{
    std::shared_ptr<ProjectTrackItemModel> closest;
    for (const auto& item : _items) {
        if (item->start() < frameIndex)
            continue;
        if (!closest || item->start() - frameIndex < closest->start() - frameIndex)
            closest = item;
    }
    return closest;
}

}  // namespace zt
