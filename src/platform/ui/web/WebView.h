#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/URL.h"
#include "platform/ui/View.h"
#include "platform/ui/web/WebViewDelegate.h"

namespace plat {

// A view that shows an HTML page: block and inline layout, fonts, colours,
// pictures, borders and backgrounds, laid out at the view's width and drawn
// with the view. Pictures and style sheets are read only from its resource
// folder (the app bundle unless set otherwise); a page whose base address
// lies outside that folder is not loaded at all. Like the platform's, it is
// opaque white until told otherwise, and loads asynchronously: the delegate
// hears of a load after the call that started it. Main queue.
class WebView : public View {
public:
    WebView();
    explicit WebView(Rect frame);
    ~WebView() override;

    std::weak_ptr<WebViewDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<WebViewDelegate> delegate) { _delegate = std::move(delegate); }

    const std::string& resourceFolder() const { return _resourceFolder; }
    void setResourceFolder(std::string folder) { _resourceFolder = std::move(folder); }

    // Shows html once loaded; relative references are taken from baseURL
    // (the resource folder when there is none). A load still under way is
    // cancelled: its delegate hears that it failed.
    void loadHTMLString(std::string html, std::optional<URL> baseURL);
    // Cancels the load under way, which then fails with a cancellation.
    void stopLoading();
    bool isLoading() const;

    // The laid-out page's size in points (zero before a page has loaded).
    Size contentSize() const;
    // References of the shown page that were refused or could not be read.
    int refusedResourceCount() const;

    void drawRect(GraphicsContext& context, Rect rect) override;
    void layoutSubviews() override;

    // The error domain and codes of failed loads, as the platform's URL loading has them.
    static constexpr const char* kErrorDomain = "NSURLErrorDomain";
    static constexpr int64_t kErrorCancelled = -999;
    static constexpr int64_t kErrorNoPermissionsToReadFile = -1102;
    static constexpr int64_t kErrorCannotParseResponse = -1017;

private:
    struct Page;
    void performLoad(uint64_t loadNumber);
    void failLoad(const Error& error);

    std::weak_ptr<WebViewDelegate> _delegate;
    std::string _resourceFolder;
    struct PendingLoad {
        std::string html;
        std::optional<URL> baseURL;
    };
    std::optional<PendingLoad> _pending;
    uint64_t _loadNumber = 0;  // the load that may still run; older queued loads do nothing
    std::unique_ptr<Page> _page;
    double _laidOutWidth = -1;
};

}  // namespace plat
