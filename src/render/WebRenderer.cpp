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

std::string filledCardPage(const std::string& pagePath, const plat::Dictionary& texts)
{
    plat::Dictionary replacements = texts.copy();
    for (const auto& [key, value] : creditWords())
        replacements.set(key, value);
    return DynamicPageReplacer::processFileAtPath(pagePath, replacements);
}

CardCanvas makeCardCanvas(std::shared_ptr<const plat::Image> background)
{
    const plat::Rect frame {{0, 0}, WebRenderer::kRenderSize};
    CardCanvas canvas;
    canvas.page = std::make_shared<plat::WebView>(frame);
    canvas.page->setBackgroundColor(plat::Color::clearColor());
    canvas.page->setOpaque(false);
    // The card is captured at one pixel a point: a page drawn at the screen's
    // scale would be four times the pixels, only to be scaled down again.
    canvas.page->setContentScaleFactor(1);
    canvas.picture = std::make_shared<plat::ImageView>(frame);
    canvas.picture->setImage(std::move(background));
    canvas.picture->addSubview(canvas.page);
    return canvas;
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
    if (_webView)
        _webView->setDelegate({});  // the render it replaces ends unseen
    CardCanvas canvas = makeCardCanvas(std::move(backgroundImage));
    _webView = std::move(canvas.page);
    _backgroundImageView = std::move(canvas.picture);
    _webView->setDelegate(weak_from_this());
    _imageID = imageID;
    _webView->loadHTMLString(
        filledCardPage(pagePath, dictonary), plat::WebResourceLocator(_webView->resourceFolder()).folderURL());
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
