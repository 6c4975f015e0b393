#pragma once
#include <memory>

namespace plat {
class ViewController;
}

namespace zt {
class ProjectModel;

// How the two screens of the root container hand over to each other: the
// project explorer chose a project, or the frame editor closed. The root
// container implements it; both screens hold it weakly. Main thread.
class MainViewControllerDelegate {
public:
    virtual ~MainViewControllerDelegate() = default;
    virtual void didFinishProjectExplorer(plat::ViewController& explorer, std::shared_ptr<ProjectModel> project) = 0;
    virtual void didFinishFrameEditor(plat::ViewController& editor) = 0;
};

}  // namespace zt
