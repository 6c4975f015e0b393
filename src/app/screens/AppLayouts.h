#pragma once

namespace zt {

// Registers every layout of the app's screens: the root container
// ("MainViewController", "MainViewController_iPad",
// "MainViewController_ios8"), the project explorer ("ProjectExplorer",
// "ProjectExplorer_iPad") and those of the info centre, help pages and
// gallery. The process entry calls it before launch. Main thread.
void registerAppLayouts();

namespace detail {
void registerProjectExplorerLayouts();
}

}  // namespace zt
