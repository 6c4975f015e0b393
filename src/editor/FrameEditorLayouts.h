#pragma once

namespace zt {

// Registers the frame editor's layouts, "FrameEditorViewController" (phone)
// and "FrameEditorViewController_iPad" (tablet). Main thread.
void registerFrameEditorLayouts();

}  // namespace zt
