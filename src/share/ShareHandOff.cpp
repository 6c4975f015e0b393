#include "share/ShareHandOff.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Paths.h"
#include "render/MovieExportType.h"
#include "render/MovieRenderer.h"
#include "render/RenderProgressViewController.h"
#include "share/ConnectHandler.h"

namespace zt {

namespace {

// The target's delegate for one hand-off. Kept by the screen's button
// handlers; keeps the target until the screen closes.
class ShareProgressDelegate : public ConnectHandlerDelegate,
                              public std::enable_shared_from_this<ShareProgressDelegate> {
public:
    ShareProgressDelegate(std::shared_ptr<ConnectHandler> handler, std::weak_ptr<RenderProgressViewController> screen,
        std::function<void()> close)
        : _handler(std::move(handler))
        , _screen(std::move(screen))
        , _close(std::move(close))
    {
    }

    void cancelAndClose()
    {
        if (!_finished)
            _handler->cancel();
        _finished = true;
        close();
    }

    void close()
    {
        if (auto close = std::move(_close))
            close();
        _close = nullptr;
    }

    void didFail(ConnectHandler&, const plat::Error& error) override
    {
        _finished = true;
        // The screen stays with the reason until the person closes it.
        if (auto screen = _screen.lock())
            screen->showFinished(error.localizedDescription(), RenderProgressViewController::Outcome::Failed,
                [self = shared_from_this()] { self->close(); });
    }

    void didUploadVideo(ConnectHandler& handler, const std::optional<plat::URL>& url) override
    {
        _finished = true;
        if (auto screen = _screen.lock())
            screen->showFinished(handler.completionText(url), RenderProgressViewController::Outcome::Succeeded,
                [self = shared_from_this()] { self->close(); });
    }

    void uploadProgress(ConnectHandler&, float progress) override
    {
        if (auto screen = _screen.lock())
            screen->setProgress(progress);
    }

    void updateInfoText(ConnectHandler&, const std::string& text) override
    {
        if (auto screen = _screen.lock())
            screen->showInfo(text);
    }

private:
    std::shared_ptr<ConnectHandler> _handler;
    std::weak_ptr<RenderProgressViewController> _screen;
    std::function<void()> _close;
    bool _finished = false;
};

}  // namespace

void handOffExport(const std::shared_ptr<ConnectHandler>& handler, const MovieExportType& type, MovieRenderer& renderer,
    const std::shared_ptr<RenderProgressViewController>& screen, std::function<void()> close)
{
    auto url = renderer.exportURL();
    auto presenter = std::make_shared<ShareProgressDelegate>(handler, screen, std::move(close));
    handler->setDelegate(presenter);
    screen->setCancelHandler([presenter] { presenter->cancelAndClose(); });
    if (!url) {
        presenter->didFail(*handler, plat::Error("Share", 1, plat::localized("The export left no file to share.")));
        return;
    }
    screen->setProgress(0);
    screen->showInfo(plat::localized("Please wait while your export is handed on."));
    handler->uploadDataAtURL(*url, plat::deletingPathExtension(exportFileName(*url)), "", type.UTI());
}

}  // namespace zt
