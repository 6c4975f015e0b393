#include "web/WSGatherInputStream.h"

#include <algorithm>
#include <cstring>

namespace zt {

std::shared_ptr<WSGatherInputStream> WSGatherInputStream::streamWithArray(std::vector<plat::Data> pieces)
{
    return std::make_shared<WSGatherInputStream>(Passkey(), std::move(pieces));
}

WSGatherInputStream::WSGatherInputStream(Passkey, std::vector<plat::Data> pieces)
    : dataArray_(std::move(pieces))
    , dummyStream_(plat::InputStream::inputStreamWithData(plat::Data {'x'}))
{
}

void WSGatherInputStream::open()
{
    dummyStream_->open();
}

void WSGatherInputStream::close()
{
    dummyStream_->close();
    dataArray_.clear();
}

int64_t WSGatherInputStream::read(uint8_t* buffer, size_t maxLength)
{
    size_t copied = 0;
    while (copied < maxLength && arrayIndex_ < dataArray_.size()) {
        const plat::Data& piece = dataArray_[arrayIndex_];
        const size_t offset = static_cast<size_t>(dataOffset_);
        const size_t count = std::min(maxLength - copied, piece.size() - offset);
        if (count > 0)
            std::memcpy(buffer + copied, piece.data() + offset, count);
        copied += count;
        dataOffset_ += static_cast<int64_t>(count);
        if (static_cast<size_t>(dataOffset_) == piece.size()) {
            ++arrayIndex_;
            dataOffset_ = 0;
        }
    }
    if (copied > 0)
        return static_cast<int64_t>(copied);
    // Nothing left: read the placeholder so that its status reaches the end.
    uint8_t scratch[1];
    (void)dummyStream_->read(scratch, sizeof scratch);
    return 0;
}

plat::StreamStatus WSGatherInputStream::streamStatus() const
{
    return dummyStream_->streamStatus();
}

std::optional<plat::Error> WSGatherInputStream::streamError() const
{
    return dummyStream_->streamError();
}

std::shared_ptr<plat::StreamDelegate> WSGatherInputStream::delegate() const
{
    return delegate_.lock();
}

void WSGatherInputStream::setDelegate(const std::shared_ptr<plat::StreamDelegate>& delegate)
{
    delegate_ = delegate;
    if (delegate)
        dummyStream_->setDelegate(std::static_pointer_cast<plat::StreamDelegate>(
            std::static_pointer_cast<WSGatherInputStream>(shared_from_this())));
    else
        dummyStream_->setDelegate(nullptr);
}

plat::Value WSGatherInputStream::propertyForKey(const std::string& key) const
{
    return dummyStream_->propertyForKey(key);
}

bool WSGatherInputStream::setProperty(plat::Value value, const std::string& key)
{
    return dummyStream_->setProperty(std::move(value), key);
}

void WSGatherInputStream::scheduleInRunLoop(const std::string& mode)
{
    dummyStream_->scheduleInRunLoop(mode);
}

void WSGatherInputStream::removeFromRunLoop(const std::string& mode)
{
    dummyStream_->removeFromRunLoop(mode);
}

void WSGatherInputStream::streamHandleEvent(plat::InputStream&, plat::StreamEvent event)
{
    if (auto delegate = delegate_.lock())
        delegate->streamHandleEvent(*this, event);
}

}  // namespace zt
