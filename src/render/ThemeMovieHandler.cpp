#include "render/ThemeMovieHandler.h"

#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "render/OutlinePlaceholders.h"
#include "render/ThemeCardPages.h"
#include "render/WebRenderer.h"

namespace zt {

namespace {

constexpr plat::Size kRequestedSize {800, 600};  // passed along as every caller does; the render ignores it

}  // namespace

ThemeMovieHandler::ThemeMovieHandler(std::shared_ptr<ProjectModel> project)
    : _project(std::move(project))
{
}

ThemeMovieHandler::~ThemeMovieHandler() = default;

void ThemeMovieHandler::renderTheme()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _webRenderer = std::make_shared<WebRenderer>(_project);
    _firstFailure.clear();
    // Only this handler's own renderer advances it: a theme card rendered
    // meanwhile by another screen must not count as one of these cards.
    std::weak_ptr<ThemeMovieHandler> weakSelf = weak_from_this();
    _renderingObserver
        = plat::NotificationCenter::defaultCenter().addObserver(WebRenderer::kWebRenderingFinishedNotification,
            _webRenderer.get(), [weakSelf](const plat::Notification& notification) {
                if (auto self = weakSelf.lock())
                    self->receiveWebRenderingFinishedNotification(notification);
            });
    _currentRenderdCard = kTitleCard;
    renderCard(kTitleCard);
}

void ThemeMovieHandler::receiveWebRenderingFinishedNotification(const plat::Notification& notification)
{
    if (auto failure = notification.userInfo.getString(WebRenderer::kErrorKey); failure && _firstFailure.empty())
        _firstFailure = *failure;
    if (_currentRenderdCard == kTitleCard) {
        _currentRenderdCard = kCreditsCard;
        // The next card starts from the run loop, after the finished render's callbacks have returned.
        std::weak_ptr<ThemeMovieHandler> weakSelf = weak_from_this();
        plat::DispatchQueue::mainQueue().async([weakSelf] {
            if (auto self = weakSelf.lock())
                self->foo(kCreditsCard);
        });
        return;
    }
    auto keepAlive = shared_from_this();
    _renderingObserver = {};
    plat::Dictionary userInfo;
    if (!_firstFailure.empty())
        userInfo.set(WebRenderer::kErrorKey, _firstFailure);
    plat::NotificationCenter::defaultCenter().post(kThemeRenderingFinishedNotification, this, userInfo);
}

void ThemeMovieHandler::renderCard(int)
{
    plat::Dictionary metadata = _project->getMetaData().value_or(plat::Dictionary {});
    const int theme = static_cast<int>(metadata.getInt64("META_RECORD_THEME").value_or(0));
    // A stored outline that is no dictionary (a damaged file) counts as none.
    auto stored = metadata.getDictionary("META_RECORD_OUTLINE_DATA");
    plat::Dictionary outline = stored ? *stored : getPlaceholderOutline(*_project);

    const bool isTitle = _currentRenderdCard == kTitleCard;
    std::shared_ptr<plat::Image> background;
    if (metadata.getBool("META_RECORD_THEME_USE_FRAME_AS_BG").value_or(false)) {
        FrameList& frames = _project->getFrameList();
        int64_t index = isTitle ? frames.findFirstOccurrenceOfFrameWithType(FrameTypePicture)
                                : frames.findLastOccurrenceOfFrameWithType(FrameTypePicture);
        if (auto frameID = frames.getFrameIDAtIndex(index))
            if (auto data = _project->fileDataForFileWithPreferredFilename("frame-" + *frameID + ".jpg"))
                background = plat::Image::imageWithData(*data);
    }
    if (!background)
        background = bundlePicture(themeBackgroundName(theme));
    _webRenderer->renderContent(isTitle ? themeTitlePageName(theme) : themeCreditsPageName(theme), kRequestedSize,
        isTitle ? kTitleFrameID : kCreditsFrameID, outline, background);
}

void ThemeMovieHandler::updateMovie()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    FrameList& frames = _project->getFrameList();
    if (frames.count() == 0)
        return;
    plat::Dictionary metadata = _project->getMetaData().value_or(plat::Dictionary {});
    const int64_t theme = metadata.getInt64("META_RECORD_THEME").value_or(0);
    const int64_t entries = _project->recordFPS() * kCardSeconds;
    if (theme != 0) {
        if (frames.findFirstOccurrenceOfFrameWithType(FrameTypeTitle) == plat::kNotFound) {
            Frame title(FrameTypeTitle);
            frames.insertFrame(title, 0);
            frames.setHoldForFrame(title, entries);
        }
        if (frames.findFirstOccurrenceOfFrameWithType(FrameTypeCredits) == plat::kNotFound) {
            Frame credits(FrameTypeCredits);
            frames.addFrame(credits);
            frames.setHoldForFrame(credits, entries);
        }
    } else {
        frames.removeFrameWithFrameType(FrameTypeTitle);
        frames.removeFrameWithFrameType(FrameTypeCredits);
    }
    if (auto saved = _project->saveFramelistToDisk(); !saved.ok())
        plat::log("cards: cannot save the frame list: {}", saved.error().localizedDescription());
    metadata.set("RecordNeedsRendering", true);
    if (auto saved = _project->saveMetaDataToDisk(); !saved.ok())
        plat::log("cards: cannot save the metadata: {}", saved.error().localizedDescription());
}

}  // namespace zt
