#pragma once

namespace zt {
class HelpManager;

// Told when a coach mark has faded out and is gone from its screen; the
// screen then drops its coach mark. Optional. Main thread.
class HelpManagerDelegate {
public:
    virtual ~HelpManagerDelegate() = default;
    virtual void helpManangerDidFinish(HelpManager& /*helpManager*/) { }
};

}  // namespace zt
