// The project explorer's changes to the projects: delete, duplicate and the
// projects list file that follows them.
#include <algorithm>
#include <cerrno>

#include "app/ProjectExplorer.h"
#include "app/ProjectFolderCopy.h"
#include "document/FailureAlerts.h"
#include "document/FileUtil.h"
#include "document/ProjectArrival.h"
#include "document/ProjectModel.h"
#include "document/ProjectTexts.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/BarButtonItem.h"
#include "uikit/ActionSheetBlocks.h"
#include "uikit/AlertView.h"
#include "uikit/Carousel.h"
#include "uikit/Hudy.h"

namespace zt {

namespace {

// What an import posts when it listed a project; every explorer reads the list again.
constexpr const char* kProjectsAddedNotification = "PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT";

constexpr const char* kErrorDomain = "ProjectExplorerErrorDomain";
constexpr int64_t kNothingToDuplicateError = 1;
constexpr int64_t kUnwrittenListError = 2;

}  // namespace

// Delete.

void ProjectExplorer::actionTrash()
{
    if (!_selectedProject || !_selectedProject->getProjectPath())
        return;
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    std::shared_ptr<ProjectModel> project = _selectedProject;
    actionSheetWithTitle(
        "", "", plat::localized("Delete"), {}, _outlets.trashBtn,
        [weakSelf, project](int64_t) {
            if (auto self = weakSelf.lock())
                self->askToDelete(project);
        },
        [] {});
}

void ProjectExplorer::askToDelete(std::shared_ptr<ProjectModel> project)
{
    if (project->getFrameList().count() <= kEntriesDeletedWithoutAsking) {
        deleteProject(project);
        return;
    }
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    auto alert = std::make_shared<AlertView>(plat::localized("Warning"),
        plat::localized("Do you really want to delete your project? This cannot be undone!"));
    alert->addButtonWithTitle(plat::localized("Delete"), [weakSelf, project](AlertView&, int64_t) {
        auto self = weakSelf.lock();
        if (!self)
            return;
        plat::RunLoop::main().performAfterDelay(self.get(), kDeleteDelaySeconds, [weakSelf, project] {
            if (auto later = weakSelf.lock())
                later->deleteProject(project);
        });
    });
    alert->addButtonWithTitle(plat::localized("No"), {});
    alert->show();
}

void ProjectExplorer::deleteProject(const std::shared_ptr<ProjectModel>& project)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!project || !project->getProjectPath())
        return;
    const std::string path = *project->getProjectPath();
    int64_t index = indexOfProject(project.get());
    if (index == plat::kNotFound) {
        // The list was read again since the project was chosen: its folder has a new item.
        for (size_t i = 1; i < _projects.size(); ++i)
            if (_projects[i]->getProjectPath() == path)
                index = static_cast<int64_t>(i);
    }
    if (index == plat::kNotFound || index == 0)
        return;
    // Out of its place first, under a hidden name that the next start
    // removes: a run killed before the removal ends leaves no unlisted project.
    auto aside = plat::moveItemAsideForRemoval(path);
    if (!aside.ok() && !aside.error().isPOSIXError(ENOENT)) {
        showFailureAlert(plat::localized("The project could not be deleted."), aside.error());
        return;
    }
    auto removedProject = _projects[static_cast<size_t>(index)];
    _projects.erase(_projects.begin() + index);
    std::optional<plat::Error> error;
    if (!updateProjectListFile(&error)) {
        // Off the list is what keeps a project away: without that nothing is deleted.
        _projects.insert(_projects.begin() + index, removedProject);
        if (aside.ok()) {
            if (auto back = plat::moveItem(aside.value(), path); !back.ok())
                plat::log("explorer: cannot put {} back from {}: {}", path, aside.value(),
                    back.error().localizedDescription());
        }
        showFailureAlert(plat::localized("The project could not be deleted."),
            error.value_or(plat::Error(kErrorDomain, kUnwrittenListError, "The list of projects cannot be written.")));
        return;
    }
    if (aside.ok() && !FileUtil::removeFolderAtPath(aside.value(), &error)) {
        // It is off the list, so it no longer shows; the next start removes what is left of it.
        plat::log("explorer: cannot remove {}: {}", aside.value(), error ? error->localizedDescription() : "");
        if (error)
            showFailureAlert(plat::localized("Some of the project's files could not be deleted."), *error);
    }
    auto& carousel = _outlets.carousel;
    carousel->removeItemAtIndex(index, /*animated=*/true);
    const int64_t current = carousel->currentItemIndex();
    _selectedProject = current != 0 && static_cast<size_t>(current) < _projects.size()
        ? _projects[static_cast<size_t>(current)]
        : nullptr;
    updateCurrentProjectView(current);
    carousel->scrollToItemAtIndex(current, /*animated=*/true);
}

// Duplicate.

void ProjectExplorer::actionDuplicate()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!_selectedProject || !_selectedProject->getProjectPath()) {
        plat::log("explorer: nothing to duplicate: no project with a folder is selected");
        showFailureAlert(plat::localized("The project could not be duplicated."),
            plat::Error(
                kErrorDomain, kNothingToDuplicateError, plat::localized("Choose a project to duplicate first.")));
        return;
    }
    if (auto why = unreadableFrameListText(*_selectedProject)) {
        // Its copy would be a project that cannot be opened either.
        showAlert(plat::localized("The project could not be duplicated."), *why);
        return;
    }
    // Each duplicate has its own display: another may start before this one ends.
    auto display = std::make_shared<Hudy>();
    display->setCaption(plat::localized("Duplicate"));
    display->setIsActivity(true);
    display->setDismissAfterTime(Hudy::kStaysUntilDismissed);
    display->showInView(view());

    std::shared_ptr<ProjectModel> source = _selectedProject;
    std::string sourcePath = *source->getProjectPath();
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    plat::DispatchQueue::globalQueue().async([weakSelf, source, sourcePath, display]() mutable {
        auto copied = copyProjectFolder(sourcePath);
        // The list and the carousel change on the main queue only.
        plat::DispatchQueue::mainQueue().sync([&] {
            // The display is a view: its last reference must go on the main thread.
            auto shown = std::move(display);
            auto self = weakSelf.lock();
            if (self) {
                self->finishDuplicate(source, copied, shown);
                return;
            }
            // The screen went meanwhile: the copy is listed all the same, before
            // its source, and an explorer shown since reads the list again.
            if (copied.ok()) {
                const bool listed = ProjectsList::update([&](plat::Array& names) {
                    std::string sourceName = plat::lastPathComponent(sourcePath);
                    size_t at = 0;
                    for (size_t i = 0; i < names.count(); ++i)
                        if (const std::string* name = names.at(i).asString(); name && *name == sourceName)
                            at = i;
                    names.insert(at, copied.value());
                });
                if (listed) {
                    ProjectArrival::finishArrival(copied.value());
                    plat::NotificationCenter::defaultCenter().post(kProjectsAddedNotification);
                } else {
                    plat::log("explorer: the copy {} of {} could not be listed", copied.value(), sourcePath);
                }
            } else {
                plat::log("explorer: {} was not duplicated: {}", sourcePath, copied.error().localizedDescription());
            }
        });
    });
}

void ProjectExplorer::finishDuplicate(const std::shared_ptr<ProjectModel>& source,
    const plat::Result<std::string>& copied, const std::shared_ptr<Hudy>& display)
{
    if (display)
        display->dismiss();
    if (!copied.ok()) {
        showFailureAlert(plat::localized("The project could not be duplicated."), copied.error());
        return;
    }
    const std::string& copyName = copied.value();
    int64_t index = indexOfProject(source.get());
    if (index == plat::kNotFound || index == 0)
        index = 1;  // the list was read again meanwhile: the copy goes first
    auto copy = std::make_shared<ProjectModel>(ProjectsList::folderPathForName(copyName));
    _projects.insert(_projects.begin() + index, copy);
    _knownProjectNames.insert(copyName);
    std::optional<plat::Error> error;
    if (!updateProjectListFile(&error)) {
        // A copy the list does not name would be gone at the next start: it is not kept.
        _projects.erase(_projects.begin() + index);
        std::optional<plat::Error> removeError;
        if (!FileUtil::removeFolderAtPath(*copy->getProjectPath(), &removeError))
            plat::log("explorer: cannot remove {}: {}", *copy->getProjectPath(),
                removeError ? removeError->localizedDescription() : "");
        showFailureAlert(plat::localized("The project could not be duplicated."),
            error.value_or(plat::Error(kErrorDomain, kUnwrittenListError, "The list of projects cannot be written.")));
        return;
    }
    ProjectArrival::finishArrival(copyName);
    auto& carousel = _outlets.carousel;
    carousel->insertItemAtIndex(index, /*animated=*/true);
    _selectedProject = _projects[static_cast<size_t>(index)];
    carousel->scrollToItemAtIndex(index, /*animated=*/true);
    updateCurrentProjectView(index);
}

// The list file.

bool ProjectExplorer::updateProjectListFile(std::optional<plat::Error>* error)
{
    std::vector<std::string> shown;
    for (const auto& project : _projects)
        if (project->getProjectPath())
            shown.push_back(plat::lastPathComponent(*project->getProjectPath()));
    std::optional<plat::Error> updateError;
    bool written = ProjectsList::update(
        [&](plat::Array& names) {
            // Names this screen never saw were added meanwhile (an import): they stay, first.
            plat::Array merged;
            for (const plat::Value& entry : names)
                if (const std::string* name = entry.asString(); name && !_knownProjectNames.count(*name))
                    merged.append(*name);
            for (const std::string& name : shown)
                merged.append(name);
            names = merged;
        },
        &updateError);
    if (written)
        return true;
    // An unreadable list is made again from what is shown; one that cannot be written stays as it is.
    const bool unreadable = updateError && updateError->domain() == ProjectsList::kErrorDomain
        && updateError->code() == ProjectsList::kUnreadableListError;
    if (unreadable && ProjectsList::replace(shown, error))
        return true;
    if (!unreadable && error)
        *error = updateError;
    plat::log("explorer: the projects list cannot be written");
    return false;
}

}  // namespace zt
