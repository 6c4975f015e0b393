#pragma once

namespace zt {

// Registers the layouts of the info centre, the help pages and the gallery:
// "InfoCenterViewController", "InfoCenterHelpViewController",
// "GallerySideViewController", "GaleryVideoTableViewController" and
// "GalleryWebViewController_iPad". Main thread.
void registerShareLayouts();

}  // namespace zt
