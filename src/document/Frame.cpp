#include "document/Frame.h"

#include <cctype>
#include <limits>

#include "document/FileUtil.h"
#include "platform/foundation/KeyedArchive.h"

namespace zt {

namespace {

constexpr const char* kTypeKey = "FRAME_TYPE";
constexpr const char* kFrameIDKey = "FRAME_ID";
constexpr const char* kUIDKey = "UID";
constexpr size_t kMaxFrameIDLength = 128;
constexpr const char* kArchiveKey = "FRAME_DATA";

plat::Dictionary makeRecord(int type, std::string frameID)
{
    plat::Dictionary record;
    if (type != FrameTypePicture)
        record.set(kTypeKey, type);
    record.set(kFrameIDKey, std::move(frameID));
    record.set(kUIDKey, FileUtil::createUUID());
    return record;
}

std::string defaultFrameID(int type, const std::string& uid)
{
    switch (type) {
    case FrameTypeCapturePlaceholder:
        return kCapturePlaceholderFrameID;
    case FrameTypeTitle:
        return kTitleFrameID;
    case FrameTypeCredits:
        return kCreditsFrameID;
    default:
        return uid;
    }
}

}  // namespace

bool isValidFrameID(std::string_view frameID)
{
    if (frameID.empty() || frameID.size() > kMaxFrameIDLength)
        return false;
    for (char c : frameID) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_')
            return false;
    }
    return true;
}

Frame::Frame(int type)
    : _record(makeRecord(type, {}))
{
    _record.set(kFrameIDKey, defaultFrameID(type, UID()));
}

Frame::Frame(int type, std::string frameID)
    : _record(makeRecord(type, std::move(frameID)))
{
}

Frame::Frame(plat::Dictionary record)
    : _record(std::move(record))
{
}

int Frame::type() const
{
    int64_t type = _record.getInt64(kTypeKey).value_or(FrameTypePicture);
    if (type < std::numeric_limits<int>::min() || type > std::numeric_limits<int>::max())
        return FrameTypePicture;
    return static_cast<int>(type);
}

std::string Frame::frameID() const
{
    return _record.getString(kFrameIDKey).value_or(std::string());
}

std::string Frame::UID() const
{
    return _record.getString(kUIDKey).value_or(std::string());
}

Frame Frame::copy() const
{
    plat::Dictionary record = _record.copy();
    record.set(kUIDKey, FileUtil::createUUID());
    return Frame(std::move(record));
}

void Frame::encodeWithCoder(plat::KeyedArchiver& coder) const
{
    coder.encodeObject(_record, kArchiveKey);
}

std::shared_ptr<plat::Coding> Frame::initWithCoder(plat::KeyedUnarchiver& coder)
{
    auto record = coder.decodeObjectForKey(kArchiveKey).asDictionary();
    if (!record || !isValidFrameID(record->getString(kFrameIDKey).value_or(std::string()))) {
        coder.failWithError(
            plat::Error(plat::kCocoaErrorDomain, plat::kCoderReadCorruptError, "The archived frame is damaged."));
        return nullptr;
    }
    return std::make_shared<Frame>(record->copy());
}

}  // namespace zt
