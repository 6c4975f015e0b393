#pragma once

namespace zt {

// Registers every layout of the app's screens: the root container
// ("MainViewController", "MainViewController_iPad",
// "MainViewController_ios8"), the project explorer ("ProjectExplorer",
// "ProjectExplorer_iPad"), those of the info centre, help pages and
// gallery, those of the frame editor's panels (crop editor, effect
// chooser) and its strip, timeline, hold panel and playback options, and
// those of the capture screen. The process entry calls it before launch.
// Main thread.
void registerAppLayouts();

namespace detail {
void registerProjectExplorerLayouts();
}

}  // namespace zt
