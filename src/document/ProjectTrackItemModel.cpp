#include "document/ProjectTrackItemModel.h"

#include <algorithm>
#include <limits>

#include "document/FileUtil.h"

namespace zt {

namespace {

constexpr const char* kIDKey = "ID";
constexpr const char* kNameKey = "Name";
constexpr const char* kStartKey = "Start";
constexpr const char* kDurationKey = "Duration";
constexpr const char* kMetaKey = "Meta";
constexpr const char* kDescriptionKey = "Description";
constexpr const char* kColorKey = "Color";

constexpr double kItemAlpha = 0.9;

// Frame numbers are stored as 32-bit integers.
int64_t storedFrameNumber(const plat::Dictionary& record, const char* key)
{
    int64_t value = record.getInt64(key).value_or(0);
    return std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
}

}  // namespace

plat::Color defaultItemColorForTrackType(int type)
{
    auto rgb = [](int red, int green, int blue) {
        return plat::Color::colorWithRed(red / 255.0, green / 255.0, blue / 255.0, kItemAlpha);
    };
    switch (type) {
    case ProjectTrackTypeEffect:
        return rgb(104, 68, 8);
    case ProjectTrackTypeForeground:
        return rgb(4, 168, 128);
    case ProjectTrackTypeBackground:
        return rgb(204, 8, 128);
    case ProjectTrackTypeAudio:
        return rgb(4, 180, 178);
    default:
        return rgb(104, 168, 8);  // default and marker tracks
    }
}

ProjectTrackItemModel::ProjectTrackItemModel()
    : ProjectTrackItemModel(ProjectTrackTypeDefault)
{
}

ProjectTrackItemModel::ProjectTrackItemModel(int trackType)
    : _itemID(FileUtil::createUUID())
    , _color(defaultItemColorForTrackType(trackType))
    , _type(trackType)
{
}

std::shared_ptr<ProjectTrackItemModel> ProjectTrackItemModel::initFromDictonary(const plat::Dictionary& record)
{
    auto item = std::make_shared<ProjectTrackItemModel>();
    if (auto itemID = record.getString(kIDKey))
        item->_itemID = *itemID;
    item->_name = record.getString(kNameKey).value_or(std::string());
    item->_start = storedFrameNumber(record, kStartKey);
    item->_duration = storedFrameNumber(record, kDurationKey);
    if (auto meta = record.getDictionary(kMetaKey))
        item->_meta = meta->copy();
    item->_information = record.getString(kDescriptionKey).value_or(std::string());
    if (auto color = FileUtil::getColorFromDictonary(record.getDictionary(kColorKey)))
        item->_color = *color;
    return item;
}

plat::Dictionary ProjectTrackItemModel::encode() const
{
    return plat::Dictionary {
        {kIDKey, _itemID},
        {kNameKey, _name},
        {kStartKey, static_cast<int32_t>(_start)},
        {kDurationKey, static_cast<int32_t>(_duration)},
        {kMetaKey, _meta},
        {kDescriptionKey, _information},
        {kColorKey, FileUtil::getDictionaryFromUIColor(_color)},
    };
}

std::shared_ptr<ProjectTrackItemModel> ProjectTrackItemModel::duplicate() const
{
    auto copy = initFromDictonary(encode());
    copy->_meta = _meta.deepCopy();
    copy->_itemID = FileUtil::createUUID();
    return copy;
}

}  // namespace zt
