#pragma once

namespace zt::detail {

// Registers the coach marks' layout "HelpManager" (registerEditorLayouts
// calls it). Main thread.
void registerHelpLayouts();

}  // namespace zt::detail
