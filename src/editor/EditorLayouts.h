#pragma once

namespace zt {

// Registers the layouts of the frame editor's panels: "ImageEditor" and
// "QVImageEditorViewController" (the crop editor),
// "EffectSelectionViewController" (the effect chooser) and "HelpManager"
// (the coach marks). Main thread.
void registerEditorLayouts();

}  // namespace zt
