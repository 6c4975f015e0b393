#pragma once
#include <any>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/ui/Activity.h"

namespace plat {
class View;
}

namespace zt {
class ConnectHandler;
class MovieExportType;
class MovieRenderer;
class ProjectModel;
class RenderProgressViewController;

// What a share target tells whoever hands it a file. Main thread.
class ConnectHandlerDelegate {
public:
    virtual ~ConnectHandlerDelegate() = default;
    virtual void didFail(ConnectHandler&, const plat::Error&) { }
    virtual void didLogin(ConnectHandler&, const std::string& /*userName*/, const std::string& /*profilId*/) { }
    virtual void didCancelLogin(ConnectHandler&) { }
    // The file arrived; url is where it is now (nullopt where it has no place of its own).
    virtual void didUploadVideo(ConnectHandler&, const std::optional<plat::URL>& /*url*/) { }
    virtual void uploadProgress(ConnectHandler&, float /*progress*/) { }
    virtual void updateInfoText(ConnectHandler&, const std::string& /*text*/) { }
};

// Renders the chosen export of the project being shared with the render
// progress screen; once the renderer has finished, hands it on together with
// the screen (still shown) and a block that closes the screen. Supplied by
// the screen that shows the share sheet.
using ShareHandOff = std::function<void(
    MovieRenderer& renderer, const std::shared_ptr<RenderProgressViewController>& screen, std::function<void()> close)>;
using ShareExporter = std::function<void(std::shared_ptr<MovieExportType> type, ShareHandOff handOff)>;

// A share target: offered on the share sheet for a project, it lets the
// person choose one of the export types it accepts, has it rendered through
// the exporter, then takes the file at the renderer's export URL
// (uploadDataAtURL) and reports through its delegate. The targets here are
// on the device itself, so there is no account: login succeeds at once and
// logout does nothing. Main thread.
class ConnectHandler : public plat::Activity {
public:
    explicit ConnectHandler(ShareExporter exporter);

    // The export types' identifiers the target takes.
    virtual std::vector<std::string> supportedUTIs() const = 0;
    // Takes the file (or folder) at url; progress and the outcome reach the delegate.
    virtual void uploadDataAtURL(
        const plat::URL& url, const std::string& title, const std::string& caption, const std::string& UTI)
        = 0;
    // Stops an upload under way; nothing of it stays where the person looks.
    virtual void cancel() = 0;
    // What the person is told when the file has arrived.
    virtual std::string completionText(const std::optional<plat::URL>& url) const = 0;

    virtual void loginInView(plat::View& view);
    virtual void logout() { }

    std::shared_ptr<ConnectHandlerDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<ConnectHandlerDelegate> delegate) { _delegate = std::move(delegate); }

    // The sheet's item: the project, which must have a folder.
    bool canPerformWithActivityItems(const std::vector<std::any>& items) override;
    void prepareWithActivityItems(const std::vector<std::any>& items) override;
    plat::ActivityCategory activityCategory() const override { return plat::ActivityCategory::Share; }
    // The share configuration, in a navigation controller.
    std::shared_ptr<plat::ViewController> activityViewController() override;

    const std::shared_ptr<ProjectModel>& project() const { return _project; }
    // The person chose type on the configuration screen (now closed): the
    // sheet is done, the export starts.
    void exportWithType(std::shared_ptr<MovieExportType> type);

protected:
    // The delegate's callbacks, on the main queue.
    void reportFailure(const plat::Error& error);
    void reportProgress(float progress);
    void reportArrival(const std::optional<plat::URL>& url);

private:
    ShareExporter _exporter;
    std::weak_ptr<ConnectHandlerDelegate> _delegate;
    std::shared_ptr<ProjectModel> _project;
};

// The file name of an export at url, as the person sees it: the title of
// the project with the export's extension ("My Kites.mov").
std::string exportFileName(const plat::URL& url);

}  // namespace zt
