#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/net/InputStream.h"

namespace zt {

// An input stream that reads a list of data pieces one after the other
// without joining them in memory. Status, error, properties and run-loop
// scheduling are those of a one-byte placeholder stream, whose events are
// relayed to the delegate as events of this stream. One reader at a time.
class WSGatherInputStream : public plat::InputStream, public plat::StreamDelegate {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    static std::shared_ptr<WSGatherInputStream> streamWithArray(std::vector<plat::Data> pieces);
    WSGatherInputStream(Passkey, std::vector<plat::Data> pieces);

    void open() override;
    void close() override;
    int64_t read(uint8_t* buffer, size_t maxLength) override;
    bool hasBytesAvailable() const override { return true; }
    bool getBuffer(const uint8_t**, size_t*) override { return false; }
    plat::StreamStatus streamStatus() const override;
    std::optional<plat::Error> streamError() const override;
    std::shared_ptr<plat::StreamDelegate> delegate() const override;
    void setDelegate(const std::shared_ptr<plat::StreamDelegate>& delegate) override;
    plat::Value propertyForKey(const std::string& key) const override;
    bool setProperty(plat::Value value, const std::string& key) override;
    void scheduleInRunLoop(const std::string& mode) override;
    void removeFromRunLoop(const std::string& mode) override;

    void streamHandleEvent(plat::InputStream& stream, plat::StreamEvent event) override;

private:
    std::vector<plat::Data> dataArray_;
    uint64_t arrayIndex_ = 0;
    int64_t dataOffset_ = 0;
    std::weak_ptr<plat::StreamDelegate> delegate_;
    std::shared_ptr<plat::InputStream> dummyStream_;
};

}  // namespace zt
