#include "document/FrameList.h"

#include <algorithm>

#include "document/StorableValue.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"

namespace zt {

namespace {

constexpr const char* kVersionKey = "FRAMELIST_VERSION";
constexpr const char* kInfoKey = "FRAMELIST_INFO";
constexpr const char* kDataKey = "FRAMELIST_DATA";
constexpr double kFrameListVersion = 4.0;
constexpr const char* kInfoText = "Zantrope frame list: entries in play order";
constexpr size_t kInitialCapacity = 20;

}  // namespace

FrameList::FrameList()
{
    _entries.reserve(kInitialCapacity);
    _entries.push_back(Frame(FrameTypeCapturePlaceholder).encode());
}

FrameList::FrameList(const plat::Data& data)
{
    auto parsed = plat::PropertyListSerialization::propertyListWithData(data);
    if (!parsed.ok())
        plat::log("frame list: unreadable: {}", parsed.error().localizedDescription());
    auto root = parsed.ok() ? parsed.value().asDictionary() : std::nullopt;
    auto entries = root ? root->getArray(kDataKey) : std::nullopt;
    _wasDamaged = !entries;
    std::vector<plat::Dictionary> records;
    size_t dropped = 0;
    if (entries) {
        records.reserve(entries->count());
        for (const plat::Value& entry : *entries) {
            if (auto record = entry.asDictionary())
                records.push_back(*record);
            else
                ++dropped;
        }
    }
    adoptRecords(records);
    if (dropped > 0) {
        plat::log("frame list: dropped {} entries that are not records", dropped);
        _wasDamaged = true;
    }
}

FrameList::FrameList(const std::vector<plat::Dictionary>& records)
{
    adoptRecords(records);
}

void FrameList::adoptRecords(const std::vector<plat::Dictionary>& records)
{
    _entries.reserve(std::max(records.size() + 1, kInitialCapacity));
    size_t dropped = 0;
    for (const plat::Dictionary& record : records) {
        if (!isValidFrameID(record.getString("FRAME_ID").value_or(std::string()))) {
            ++dropped;
            continue;
        }
        _entries.push_back(record);
    }
    if (dropped > 0) {
        plat::log("frame list: dropped {} damaged entries", dropped);
        _wasDamaged = true;
    }
    if (findFirstOccurrenceOfFrameWithType(FrameTypeCapturePlaceholder) == plat::kNotFound)
        _entries.push_back(Frame(FrameTypeCapturePlaceholder).encode());
}

plat::Result<plat::Data> FrameList::getFrameListRepresentationData() const
{
    plat::Array entries;
    entries.values().reserve(_entries.size());
    for (const plat::Dictionary& record : _entries)
        entries.append(record);
    plat::Dictionary root {
        {kVersionKey, kFrameListVersion},
        {kInfoKey, kInfoText},
        {kDataKey, entries},
    };
    auto data = plat::PropertyListSerialization::dataWithPropertyList(root, plat::PropertyListFormat::XML);
    if (data.ok())
        return data;
    // A record another tool wrote may hold a value no property list can be
    // written with (a NUL in a string): the list is saved without such
    // values rather than never again.
    plat::log("frame list: {}; leaving out the values that cannot be stored", data.error().localizedDescription());
    plat::Array storable;
    storable.values().reserve(_entries.size());
    for (const plat::Dictionary& record : _entries)
        storable.append(detail::storableValue(record).value_or(plat::Value(plat::Dictionary())));
    root.set(kDataKey, storable);
    return plat::PropertyListSerialization::dataWithPropertyList(root, plat::PropertyListFormat::XML);
}

std::string FrameList::frameIDAt(size_t index) const
{
    return _entries[index].getString("FRAME_ID").value_or(std::string());
}

int FrameList::typeAt(size_t index) const
{
    return Frame(_entries[index]).type();
}

std::optional<std::string> FrameList::getFrameIDAtIndex(int64_t index) const
{
    if (!isInside(index))
        return std::nullopt;
    return frameIDAt(static_cast<size_t>(index));
}

std::optional<Frame> FrameList::getFrameAtIndex(int64_t index) const
{
    if (!isInside(index))
        return std::nullopt;
    return Frame(_entries[static_cast<size_t>(index)]);
}

void FrameList::addFrame(const Frame& frame)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _entries.push_back(frame.encode());
}

void FrameList::insertFrame(const Frame& frame, int64_t index)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (index < 0)
        return;
    if (index >= count()) {
        addFrame(frame);
        return;
    }
    _entries.insert(_entries.begin() + index, frame.encode());
}

void FrameList::removeFrameAtIndex(int64_t index)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (isInside(index))
        _entries.erase(_entries.begin() + index);
}

void FrameList::removeFrameWithFrameType(int type)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    std::erase_if(_entries, [type](const plat::Dictionary& record) { return Frame(record).type() == type; });
}

int64_t FrameList::getMovieIndexForIndex(int64_t index) const
{
    return getCaptureIndex() < index ? index - 1 : index;
}

int64_t FrameList::getIndexForMovieIndex(int64_t movieIndex) const
{
    return movieIndex < getCaptureIndex() ? movieIndex : movieIndex + 1;
}

int64_t FrameList::getShownIndexForIndex(int64_t index) const
{
    if (!isInside(index))
        return plat::kNotFound;
    if (index != getCaptureIndex())
        return index;
    if (index > 0)
        return index - 1;
    return isInside(index + 1) ? index + 1 : plat::kNotFound;
}

int64_t FrameList::findFirstOccurrenceOfFrameWithType(int type) const
{
    for (size_t i = 0; i < _entries.size(); ++i) {
        if (typeAt(i) == type)
            return static_cast<int64_t>(i);
    }
    return plat::kNotFound;
}

int64_t FrameList::findLastOccurrenceOfFrameWithType(int type) const
{
    for (size_t i = _entries.size(); i-- > 0;) {
        if (typeAt(i) == type)
            return static_cast<int64_t>(i);
    }
    return plat::kNotFound;
}

bool FrameList::containsFrameWithFrameID(const std::string& frameID) const
{
    for (size_t i = 0; i < _entries.size(); ++i) {
        if (frameIDAt(i) == frameID)
            return true;
    }
    return false;
}

int64_t FrameList::getIndexOfFrameWithUID(const std::string& uid) const
{
    for (size_t i = 0; i < _entries.size(); ++i) {
        const plat::Value* entryUID = _entries[i].find("UID");
        if (entryUID && entryUID->isString() && *entryUID->asString() == uid)
            return static_cast<int64_t>(i);
    }
    return plat::kNotFound;
}

std::vector<Frame> FrameList::subarrayWithRange(int64_t location, int64_t length) const
{
    std::vector<Frame> frames;
    if (length <= 0 || location < 0 || location >= count())
        return frames;
    // Clipped to the list's end, last entry included; callers leave out the
    // capture placeholder by its type.
    int64_t end = length > count() - location ? count() : location + length;
    frames.reserve(static_cast<size_t>(end - location));
    for (int64_t i = location; i < end; ++i)
        frames.emplace_back(_entries[static_cast<size_t>(i)]);
    return frames;
}

int64_t FrameList::getHoldTimeForFrameAtIndex(int64_t index) const
{
    if (!isInside(index))
        return 1;
    std::string frameID = frameIDAt(static_cast<size_t>(index));
    int64_t hold = 1;
    for (int64_t i = index + 1; i < count() && frameIDAt(static_cast<size_t>(i)) == frameID; ++i)
        ++hold;
    for (int64_t i = index - 1; i >= 0 && frameIDAt(static_cast<size_t>(i)) == frameID; --i)
        ++hold;
    return hold;
}

int64_t FrameList::lastIndexOfRunFrom(int64_t index) const
{
    std::string frameID = frameIDAt(static_cast<size_t>(index));
    int64_t last = index;
    while (last + 1 < count() && frameIDAt(static_cast<size_t>(last + 1)) == frameID)
        ++last;
    return last;
}

void FrameList::setHoldForFrame(const Frame& frame, int64_t times)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    int64_t index = getIndexForFrame(frame);
    if (index == plat::kNotFound)
        return;
    // A hold below 1 would remove entries before the run.
    int64_t wanted = std::max<int64_t>(times, 1);
    int64_t hold = getHoldTimeForFrameAtIndex(index);
    if (wanted == hold)
        return;
    int64_t last = lastIndexOfRunFrom(index);
    if (wanted < hold) {
        int64_t surplus = hold - wanted;
        _entries.erase(_entries.begin() + (last - surplus), _entries.begin() + last);
        return;
    }
    Frame original = frame;
    std::vector<plat::Dictionary> copies;
    copies.reserve(static_cast<size_t>(wanted - hold));
    for (int64_t i = hold; i < wanted; ++i)
        copies.push_back(original.copy().encode());
    _entries.insert(_entries.begin() + last + 1, copies.begin(), copies.end());
}

}  // namespace zt
