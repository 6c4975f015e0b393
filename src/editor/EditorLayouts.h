#pragma once

namespace zt {

// Registers the layouts of the frame editor's panels: "ImageEditor" and
// "QVImageEditorViewController" (the crop editor) and
// "EffectSelectionViewController" (the effect chooser). Main thread.
void registerEditorLayouts();

}  // namespace zt
