#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/InputStream.h"
#include "web/Selector.h"

namespace zt {

// Wraps another input stream and tells a delegate of every block read from
// it: at once on the thread that made the monitor (the main thread), and as
// a copy handed to that thread when the URL loading system reads elsewhere.
// Everything else is the wrapped stream's.
class WSReadMonitorInputStream : public plat::InputStream {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    using ReadSelector = Selector<void(plat::InputStream&, const uint8_t*, uint64_t)>;

    static std::shared_ptr<WSReadMonitorInputStream> inputStreamWithStream(std::shared_ptr<plat::InputStream> stream);
    WSReadMonitorInputStream(Passkey, std::shared_ptr<plat::InputStream> stream);

    void open() override { inputStream_->open(); }
    void close() override { inputStream_->close(); }
    int64_t read(uint8_t* buffer, size_t maxLength) override;
    bool hasBytesAvailable() const override { return inputStream_->hasBytesAvailable(); }
    bool getBuffer(const uint8_t** buffer, size_t* length) override { return inputStream_->getBuffer(buffer, length); }
    plat::StreamStatus streamStatus() const override { return inputStream_->streamStatus(); }
    std::optional<plat::Error> streamError() const override { return inputStream_->streamError(); }
    std::shared_ptr<plat::StreamDelegate> delegate() const override { return inputStream_->delegate(); }
    void setDelegate(const std::shared_ptr<plat::StreamDelegate>& delegate) override
    {
        inputStream_->setDelegate(delegate);
    }
    plat::Value propertyForKey(const std::string& key) const override { return inputStream_->propertyForKey(key); }
    bool setProperty(plat::Value value, const std::string& key) override
    {
        return inputStream_->setProperty(std::move(value), key);
    }
    void scheduleInRunLoop(const std::string& mode) override { inputStream_->scheduleInRunLoop(mode); }
    void removeFromRunLoop(const std::string& mode) override { inputStream_->removeFromRunLoop(mode); }

    // Not retained.
    void setReadDelegate(const std::shared_ptr<SelectorTarget>& delegate);
    std::shared_ptr<SelectorTarget> readDelegate() const;
    void setReadSelector(ReadSelector selector);
    void setRunLoopModes(std::vector<std::string> modes);
    std::vector<std::string> runLoopModes() const;

private:
    std::shared_ptr<plat::InputStream> inputStream_;
    const std::thread::id thread_;
    std::vector<std::string> runLoopModes_;  // guarded by _lock
    std::weak_ptr<SelectorTarget> readDelegate_;  // guarded by _lock
    ReadSelector readSelector_;  // guarded by _lock
};

}  // namespace zt
