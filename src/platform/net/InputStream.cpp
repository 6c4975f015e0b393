#include "platform/net/InputStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/foundation/DispatchQueue.h"

namespace plat {

namespace {

class DataInputStream final : public InputStream {
public:
    explicit DataInputStream(Data data)
        : _data(std::move(data))
    {
    }

    void open() override
    {
        setStatus(StreamStatus::Open);
        postEvent(StreamEvent::OpenCompleted);
        postEvent(_data.empty() ? StreamEvent::EndEncountered : StreamEvent::HasBytesAvailable);
    }

    int64_t read(uint8_t* buffer, size_t maxLength) override
    {
        StreamStatus status = streamStatus();
        if (status != StreamStatus::Open && status != StreamStatus::AtEnd)
            return -1;
        size_t count = std::min(maxLength, _data.size() - _offset);
        if (count > 0)
            std::memcpy(buffer, _data.data() + _offset, count);
        _offset += count;
        if (_offset == _data.size() && status != StreamStatus::AtEnd) {
            setStatus(StreamStatus::AtEnd);
            postEvent(StreamEvent::EndEncountered);
        } else if (count > 0) {
            postEvent(StreamEvent::HasBytesAvailable);
        }
        return static_cast<int64_t>(count);
    }

    bool hasBytesAvailable() const override { return _offset < _data.size(); }

    bool getBuffer(const uint8_t** buffer, size_t* length) override
    {
        *buffer = _data.data() + _offset;
        *length = _data.size() - _offset;
        return true;
    }

private:
    const Data _data;
    size_t _offset = 0;
};

class FileInputStream final : public InputStream {
public:
    explicit FileInputStream(std::string path)
        : _path(std::move(path))
    {
    }
    ~FileInputStream() override { closeDescriptor(); }

    void open() override
    {
        _descriptor = ::open(_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (_descriptor < 0) {
            setError(Error::posix(errno, "open", _path));
            postEvent(StreamEvent::ErrorOccurred);
            return;
        }
        setStatus(StreamStatus::Open);
        postEvent(StreamEvent::OpenCompleted);
        postEvent(StreamEvent::HasBytesAvailable);
    }

    void close() override
    {
        closeDescriptor();
        InputStream::close();
    }

    int64_t read(uint8_t* buffer, size_t maxLength) override
    {
        if (_descriptor < 0)
            return -1;
        ssize_t count;
        do {
            count = ::read(_descriptor, buffer, maxLength);
        } while (count < 0 && errno == EINTR);
        if (count < 0) {
            setError(Error::posix(errno, "read", _path));
            postEvent(StreamEvent::ErrorOccurred);
            return -1;
        }
        if (count == 0 && maxLength > 0) {
            setStatus(StreamStatus::AtEnd);
            postEvent(StreamEvent::EndEncountered);
        }
        return count;
    }

private:
    void closeDescriptor()
    {
        if (_descriptor >= 0)
            ::close(_descriptor);
        _descriptor = -1;
    }

    const std::string _path;
    int _descriptor = -1;
};

}  // namespace

std::shared_ptr<InputStream> InputStream::inputStreamWithData(Data data)
{
    return std::make_shared<DataInputStream>(std::move(data));
}

std::shared_ptr<InputStream> InputStream::inputStreamWithFileAtPath(const std::string& path)
{
    return std::make_shared<FileInputStream>(path);
}

void InputStream::open()
{
    setStatus(StreamStatus::Open);
    postEvent(StreamEvent::OpenCompleted);
}

void InputStream::close()
{
    setStatus(StreamStatus::Closed);
}

bool InputStream::hasBytesAvailable() const
{
    return streamStatus() == StreamStatus::Open;
}

bool InputStream::getBuffer(const uint8_t**, size_t*)
{
    return false;
}

StreamStatus InputStream::streamStatus() const
{
    std::lock_guard guard(_lock);
    return _status;
}

std::optional<Error> InputStream::streamError() const
{
    std::lock_guard guard(_lock);
    return _error;
}

std::shared_ptr<StreamDelegate> InputStream::delegate() const
{
    std::lock_guard guard(_lock);
    return _delegate.lock();
}

void InputStream::setDelegate(const std::shared_ptr<StreamDelegate>& delegate)
{
    std::lock_guard guard(_lock);
    _delegate = delegate;
}

Value InputStream::propertyForKey(const std::string& key) const
{
    std::lock_guard guard(_lock);
    return _properties.get(key);
}

bool InputStream::setProperty(Value value, const std::string& key)
{
    std::lock_guard guard(_lock);
    _properties.set(key, std::move(value));
    return true;
}

void InputStream::scheduleInRunLoop(const std::string&)
{
    std::lock_guard guard(_lock);
    _scheduled = true;
}

void InputStream::removeFromRunLoop(const std::string&)
{
    std::lock_guard guard(_lock);
    _scheduled = false;
}

void InputStream::setStatus(StreamStatus status)
{
    std::lock_guard guard(_lock);
    _status = status;
}

void InputStream::setError(Error error)
{
    std::lock_guard guard(_lock);
    _status = StreamStatus::Error;
    _error = std::move(error);
}

void InputStream::postEvent(StreamEvent event)
{
    {
        std::lock_guard guard(_lock);
        if (!_scheduled || _delegate.expired())
            return;
    }
    DispatchQueue::mainQueue().async([weakSelf = weak_from_this(), event] {
        auto self = weakSelf.lock();
        if (!self)
            return;
        if (auto delegate = self->delegate())
            delegate->streamHandleEvent(*self, event);
    });
}

}  // namespace plat
