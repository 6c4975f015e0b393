#pragma once

namespace zt {

// Posted by the duplicate share target; the project explorer duplicates its
// selected project. No payload.
inline constexpr const char* DoDuplicateProjectNotification = "DoDuplicateProjectNotification";

}  // namespace zt
