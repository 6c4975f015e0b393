#pragma once
#include <atomic>
#include <functional>
#include <string>

namespace zt {

// Brings a project folder of an older format up to date on a background
// queue. Projects of format 3.0 and 4.0 share their folder layout, so both
// steps only check the folder and leave it as it is. Any thread.
class ProjectConvertProcessor {
public:
    enum Status : int { Idle = 0, Queued = 1 };

    // Reads "plovix.meta" of the folder on the default global queue, runs the
    // steps its "ProductVersion" needs, then calls completion on that queue.
    void convertProjectAtPath(const std::string& projectPath, std::function<void()> completion);
    int status() const { return _status.load(); }

    // Each returns whether the folder is fit for the next format.
    static bool convertProjectTo_3_0_AtPath(const std::string& projectPath);
    static bool convertProjectTo_4_0_AtPath(const std::string& projectPath);

private:
    std::atomic<int> _status {Idle};
};

}  // namespace zt
