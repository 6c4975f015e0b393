#pragma once
#include <memory>
#include <string>

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Value.h"
#include "platform/ui/web/WebViewDelegate.h"

namespace plat {
class Image;
class ImageView;
class WebView;
}  // namespace plat

namespace zt {
class ProjectModel;

// Renders one card at a time: a page of the bundle, filled with texts and
// laid over a background picture at 1280 x 720, captured as a frame's full
// picture, preview and thumbnail. Every render ends with
// WebRenderingFinishedNotification (object this renderer), also a failed
// one, so that whoever waits goes on. Main queue.
class WebRenderer : public plat::WebViewDelegate, public std::enable_shared_from_this<WebRenderer> {
public:
    static constexpr const char* kWebRenderingFinishedNotification = "WebRenderingFinishedNotification";
    // In a finished render's payload when the card could not be made (the page
    // did not load, or its pictures could not be stored): the reason, as text.
    static constexpr const char* kErrorKey = "ERROR";
    static constexpr plat::Size kRenderSize {1280, 720};
    static constexpr plat::Size kPreviewSize {796, 448};
    static constexpr plat::Size kThumbSize {272, 153};

    explicit WebRenderer(std::shared_ptr<ProjectModel> project);  // initWithProject:
    ~WebRenderer() override;

    // Starts rendering the page at pagePath (relative to the bundle) for the
    // frame imageID. The size is not used: cards are always 1280 x 720.
    void renderContent(const std::string& pagePath, plat::Size size, const std::string& imageID,
        const plat::Dictionary& dictonary, std::shared_ptr<const plat::Image> backgroundImage);
    // Scales and crops the picture to size and stores it as JPEG of quality 0.5.
    bool storeThumbImage(const plat::Image& image, plat::Size size, const std::string& file);

    // The page's view while a render runs (nullptr before the first).
    const std::shared_ptr<plat::WebView>& webView() const { return _webView; }

    bool webViewShouldStartLoadWithRequest(plat::WebView&, const plat::URL&, plat::WebViewNavigationType) override;
    void webViewDidStartLoad(plat::WebView&) override { }
    void webViewDidFinishLoad(plat::WebView& webView) override;
    void webViewDidFailLoadWithError(plat::WebView& webView, const plat::Error& error) override;

private:
    void finish(const std::string& failure);

    std::shared_ptr<ProjectModel> _project;
    std::shared_ptr<plat::WebView> _webView;
    std::shared_ptr<plat::ImageView> _backgroundImageView;
    std::string _imageID;
};

// The nine credit words every card page may hold, each with its localized text.
plat::Dictionary creditWords();

// The page a card is drawn from: the bundle's page at pagePath with its
// texts and the credit words filled in; empty when the page cannot be read.
std::string filledCardPage(const std::string& pagePath, const plat::Dictionary& texts);

// The views a card is drawn with: its background picture at the card's size
// and, over it, a see-through web view to load the page into, drawn at one
// pixel a point.
struct CardCanvas {
    std::shared_ptr<plat::ImageView> picture;
    std::shared_ptr<plat::WebView> page;
};
CardCanvas makeCardCanvas(std::shared_ptr<const plat::Image> background);

}  // namespace zt
