#pragma once
#include <string>

#include "platform/foundation/Result.h"

namespace zt {

// Which coach marks were dismissed, for good: Documents/".helpmanager.plist",
// a property-list dictionary of coach-mark name to YES, written atomically.
// Main thread.
class HelpStateFile {
public:
    static constexpr const char* kFileName = ".helpmanager.plist";
    // Where a file that cannot be read is kept when a new one replaces it.
    static constexpr const char* kDamagedSuffix = ".damaged";

    static std::string path();

    // Whether the coach mark was dismissed before. A missing or damaged
    // file, a missing key and NO all say not yet.
    static bool wasShown(const std::string& name);

    // Stores YES for the name beside every other entry. A file that exists
    // but cannot be read as a dictionary is moved aside (kDamagedSuffix)
    // before the new one is written, so it is never overwritten unseen.
    static plat::Result<void> recordShown(const std::string& name);
};

}  // namespace zt
