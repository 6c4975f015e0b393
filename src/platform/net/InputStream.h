#pragma once
#include <any>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

namespace plat {

class InputStream;

enum class StreamStatus { NotOpen, Opening, Open, Reading, Writing, AtEnd, Closed, Error };

enum class StreamEvent : uint32_t {
    None = 0,
    OpenCompleted = 1,
    HasBytesAvailable = 2,
    HasSpaceAvailable = 4,
    ErrorOccurred = 8,
    EndEncountered = 16,
};

// Told of a stream's events on the main run loop while the stream is scheduled there.
class StreamDelegate {
public:
    virtual ~StreamDelegate() = default;
    virtual void streamHandleEvent(InputStream& stream, StreamEvent event) = 0;
};

// A source of bytes read in order, as the platform's input streams. The
// request body of a URL connection may be one: the URL loading system reads
// it on its own thread. Subclasses implement read() and may override the
// rest; the base keeps the status, the error, the properties and the delegate.
// One reader at a time; the delegate is told on the main run loop.
class InputStream : public std::enable_shared_from_this<InputStream> {
public:
    virtual ~InputStream() = default;

    static std::shared_ptr<InputStream> inputStreamWithData(Data data);
    // Empty when the file cannot be opened for reading later.
    static std::shared_ptr<InputStream> inputStreamWithFileAtPath(const std::string& path);

    virtual void open();
    virtual void close();
    // Bytes copied into buffer (at most maxLength); 0 at the end; -1 on error.
    virtual int64_t read(uint8_t* buffer, size_t maxLength) = 0;
    virtual bool hasBytesAvailable() const;
    // Direct access to the stream's own buffer; the base offers none.
    virtual bool getBuffer(const uint8_t** buffer, size_t* length);

    virtual StreamStatus streamStatus() const;
    virtual std::optional<Error> streamError() const;

    virtual std::shared_ptr<StreamDelegate> delegate() const;
    // Not retained. An empty delegate makes the stream its own delegate (events dropped).
    virtual void setDelegate(const std::shared_ptr<StreamDelegate>& delegate);

    virtual Value propertyForKey(const std::string& key) const;
    virtual bool setProperty(Value value, const std::string& key);

    // The main run loop has one mode; scheduling turns the events on.
    virtual void scheduleInRunLoop(const std::string& mode);
    virtual void removeFromRunLoop(const std::string& mode);

protected:
    void setStatus(StreamStatus status);
    void setError(Error error);
    // Sends an event to the delegate on the main run loop when scheduled.
    void postEvent(StreamEvent event);

    mutable std::mutex _lock;

private:
    StreamStatus _status = StreamStatus::NotOpen;  // guarded by _lock
    std::optional<Error> _error;  // guarded by _lock
    std::weak_ptr<StreamDelegate> _delegate;  // guarded by _lock
    Dictionary _properties;  // guarded by _lock
    bool _scheduled = false;  // guarded by _lock
};

inline constexpr const char* kRunLoopDefaultMode = "kCFRunLoopDefaultMode";
inline constexpr const char* kRunLoopCommonModes = "kCFRunLoopCommonModes";

}  // namespace plat
