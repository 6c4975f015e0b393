#pragma once
#include <optional>
#include <string>

namespace zt {
class ProjectDataWrapper;

// The name a person knows the project by: its "RecordName", else the
// localized "My Plovix Movie". Main queue (the project's).
std::string shownNameOf(ProjectDataWrapper& project);
// That name as it stands in a message: a person typed it, or another
// device's archive brought it, so its control characters and direction
// marks show as escapes. Main queue (the project's).
std::string nameInMessage(ProjectDataWrapper& project);

// Why nothing can be made of the project's frames when its frame list
// cannot be read at all, as the person is told ("The frame list of “Kite”
// cannot be read: Permission denied."); none while it can be. Main queue
// (the project's).
std::optional<std::string> unreadableFrameListText(ProjectDataWrapper& project);

}  // namespace zt
