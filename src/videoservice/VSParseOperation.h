#pragma once
#include <atomic>

namespace zt {

// One queued parse of a reply on a service's operation queue. The parse looks
// at the flag before it builds the object and again before it hands the
// object back, so a cancelled parse delivers nothing. Any thread.
class VSParseOperation {
public:
    void cancel() { _cancelled.store(true); }
    bool isCancelled() const { return _cancelled.load(); }

private:
    std::atomic<bool> _cancelled {false};
};

}  // namespace zt
