#pragma once
#include <functional>

namespace zt {
class FrameEditorHelp;
struct FrameEditorHelpControls;

// The frame editor's help bubbles, in order, for a phone or a tablet (by
// the current device): one at each control with its localized text, and
// last a green bubble that opens the help pages by running showInternalHelp
// on the main queue, later (never inside the tap). Main thread.
void addFrameEditorHelpItems(
    FrameEditorHelp& help, const FrameEditorHelpControls& controls, std::function<void()> showInternalHelp);

}  // namespace zt
