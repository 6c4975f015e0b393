#pragma once
#include <functional>
#include <memory>

namespace zt {
class ConnectHandler;
class MovieExportType;
class MovieRenderer;
class RenderProgressViewController;

// Hands a finished export to its share target while the render progress
// screen stays: the target's progress moves the bar, its texts and failure
// show below it, Cancel stops the target and closes the screen, and once
// the file has arrived the screen says where and Done closes it. Main thread.
void handOffExport(const std::shared_ptr<ConnectHandler>& handler, const MovieExportType& type, MovieRenderer& renderer,
    const std::shared_ptr<RenderProgressViewController>& screen, std::function<void()> close);

}  // namespace zt
