#include "render/WebRenderer.h"

#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/web/WebResourceLocator.h"
#include "platform/ui/web/WebView.h"
#include "render/DynamicPageReplacer.h"
#include "uikit/UIImageResize.h"

namespace zt {

namespace {

constexpr double kFullQuality = 1.0;
constexpr double kThumbQuality = 0.5;

}  // namespace

plat::Dictionary creditWords()
{
    plat::Dictionary words;
    for (const char* key : {"Theme_Credits_And_key", "Theme_Credits_Present_key", "Theme_Credits_A_key",
             "Theme_Credits_film_key", "Theme_Credits_Starring_key", "Theme_Credits_Edited_key",
             "Theme_Credits_Music_key", "Theme_Credits_Written_key", "Theme_Credits_Produced_key"})
        words.set(key, plat::localized(key));
    return words;
}

WebRenderer::WebRenderer(std::shared_ptr<ProjectModel> project)
    : _project(std::move(project))
{
}

WebRenderer::~WebRenderer()
{
    if (_webView)
        _webView->setDelegate({});
}

void WebRenderer::renderContent(const std::string& pagePath, plat::Size, const std::string& imageID,
    const plat::Dictionary& dictonary, std::shared_ptr<const plat::Image> backgroundImage)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    const plat::Rect frame {{0, 0}, kRenderSize};
    if (_webView)
        _webView->setDelegate({});  // the render it replaces ends unseen
    _webView = std::make_shared<plat::WebView>(frame);
    _webView->setDelegate(weak_from_this());
    _webView->setBackgroundColor(plat::Color::clearColor());
    _webView->setOpaque(false);
    // The card is captured at one pixel a point: a page drawn at the screen's
    // scale would be four times the pixels, only to be scaled down again.
    _webView->setContentScaleFactor(1);
    _backgroundImageView = std::make_shared<plat::ImageView>(frame);
    _backgroundImageView->addSubview(_webView);

    plat::Dictionary replacements = dictonary.copy();
    for (const auto& [key, value] : creditWords())
        replacements.set(key, value);
    _backgroundImageView->setImage(std::move(backgroundImage));
    std::string page = DynamicPageReplacer::processFileAtPath(pagePath, replacements);
    _imageID = imageID;
    _webView->loadHTMLString(std::move(page), plat::WebResourceLocator(_webView->resourceFolder()).folderURL());
}

bool WebRenderer::webViewShouldStartLoadWithRequest(plat::WebView&, const plat::URL&, plat::WebViewNavigationType)
{
    return true;
}

void WebRenderer::webViewDidFinishLoad(plat::WebView& webView)
{
    if (&webView != _webView.get())
        return;
    // Only once per render, whatever the view reports later.
    _webView->setDelegate({});
    auto picture = plat::renderViewToImage(*_backgroundImageView, 1, /*opaque=*/true);
    std::string failure;
    auto full = picture ? plat::JPEGRepresentation(*picture, kFullQuality) : std::nullopt;
    if (!full || !_project->updateRegularFileWithContents(*full, "frame-" + _imageID + ".jpg"))
        failure = "The card's picture could not be stored.";
    else if (!storeThumbImage(*picture, kThumbSize, "thumb-" + _imageID + ".jpg")
        || !storeThumbImage(*picture, kPreviewSize, "preview-" + _imageID + ".jpg"))
        failure = "The card's preview could not be stored.";
    finish(failure);
}

void WebRenderer::webViewDidFailLoadWithError(plat::WebView& webView, const plat::Error& error)
{
    if (&webView != _webView.get())
        return;
    _webView->setDelegate({});
    finish("The card's page did not load: " + error.localizedDescription());
}

void WebRenderer::finish(const std::string& failure)
{
    auto keepAlive = shared_from_this();
    plat::Dictionary userInfo;
    if (!failure.empty()) {
        plat::log("cards: {} ({})", failure, _imageID);
        userInfo.set(kErrorKey, failure);
    }
    plat::NotificationCenter::defaultCenter().post(kWebRenderingFinishedNotification, this, userInfo);
}

bool WebRenderer::storeThumbImage(const plat::Image& image, plat::Size size, const std::string& file)
{
    auto scaled = imageByScalingAndCroppingForSize(image, size);
    auto data = scaled ? plat::JPEGRepresentation(*scaled, kThumbQuality) : std::nullopt;
    return data && _project->updateRegularFileWithContents(*data, file);
}

}  // namespace zt
