#pragma once
#include <cstdint>
#include <memory>

namespace zt {
class HelpManager;
class HelpManagerDelegate;
struct FrameEditorHelpControls;

// The frame editor's coach marks in the order they are tried, each due from
// a count of the frame list (the capture placeholder counted).
struct FrameEditorCoachMark {
    const char* name;
    int64_t fromCount;
};
inline constexpr FrameEditorCoachMark kFrameEditorCoachMarks[] = {
    {"Timeline", 11},
    {"Media", 16},
    {"CopyPaste", 21},
    {"Speed", 26},
    {"Effects", 31},
    {"ImageEdit", 41},
};

// The first coach mark due at count that was not dismissed before (on any
// run), placed over the screen view at its control, added and fading in;
// nullptr when none is due or all due were dismissed. The caller keeps it
// until its delegate hears helpManangerDidFinish. Main thread.
std::shared_ptr<HelpManager> showFrameEditorCoachMark(
    int64_t count, const FrameEditorHelpControls& controls, std::weak_ptr<HelpManagerDelegate> delegate);

}  // namespace zt
