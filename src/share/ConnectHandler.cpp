#include "share/ConnectHandler.h"

#include "document/ProjectModel.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/Device.h"
#include "share/ShareConfigurationViewController.h"
#include "share/ShareHandOff.h"
#include "uikit/QVNavigationController.h"

namespace zt {

ConnectHandler::ConnectHandler(ShareExporter exporter)
    : _exporter(std::move(exporter))
{
}

void ConnectHandler::loginInView(plat::View&)
{
    // A target on the device needs no account.
    if (auto listener = delegate())
        listener->didLogin(*this, "", "");
}

bool ConnectHandler::canPerformWithActivityItems(const std::vector<std::any>& items)
{
    if (!_exporter)
        return false;
    for (const std::any& item : items)
        if (const auto* project = std::any_cast<std::shared_ptr<ProjectModel>>(&item))
            if (*project && (*project)->getProjectPath())
                return true;
    return false;
}

void ConnectHandler::prepareWithActivityItems(const std::vector<std::any>& items)
{
    _project.reset();
    for (const std::any& item : items)
        if (const auto* project = std::any_cast<std::shared_ptr<ProjectModel>>(&item))
            if (*project && (*project)->getProjectPath()) {
                _project = *project;
                return;
            }
}

std::shared_ptr<plat::ViewController> ConnectHandler::activityViewController()
{
    if (!_project)
        return nullptr;
    auto form = std::make_shared<ShareConfigurationViewController>(_project, sharedAs<ConnectHandler>());
    auto navigation = std::make_shared<QVNavigationController>(form);
    if (plat::Device::currentDevice().isTablet())
        navigation->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
    return navigation;
}

void ConnectHandler::exportWithType(std::shared_ptr<MovieExportType> type)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    activityDidFinish(/*completed=*/true);
    auto chosen = type;
    _exporter(std::move(type),
        [self = sharedAs<ConnectHandler>(), chosen](MovieRenderer& renderer,
            const std::shared_ptr<RenderProgressViewController>& screen,
            std::function<void()> close) { handOffExport(self, *chosen, renderer, screen, std::move(close)); });
}

void ConnectHandler::reportFailure(const plat::Error& error)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto self = sharedAs<ConnectHandler>();  // the delegate may let go of us
    if (auto listener = delegate())
        listener->didFail(*self, error);
}

void ConnectHandler::reportProgress(float progress)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto self = sharedAs<ConnectHandler>();
    if (auto listener = delegate())
        listener->uploadProgress(*self, progress);
}

void ConnectHandler::reportArrival(const std::optional<plat::URL>& url)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto self = sharedAs<ConnectHandler>();
    if (auto listener = delegate())
        listener->didUploadVideo(*self, url);
}

std::string exportFileName(const plat::URL& url)
{
    return plat::lastPathComponent(url.path());
}

}  // namespace zt
