#include "platform/ui/web/WebView.h"

#include <cmath>
#include <litehtml.h>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/web/HTMLDocumentContainer.h"
#include "platform/ui/web/LetterSpacing.h"

namespace plat {

// One loaded page: its container outlives its document, which points at it.
struct WebView::Page {
    Page(WebResourceLocator locator, std::optional<URL> baseURL)
        : container(std::move(locator), std::move(baseURL))
    {
        context.load_master_stylesheet(detail::kMasterStyleSheet);
    }
    litehtml::context context;
    detail::HTMLDocumentContainer container;
    litehtml::document::ptr document;
};

WebView::WebView()
    : WebView(Rect {})
{
}

WebView::WebView(Rect frame)
    : View(frame)
    , _resourceFolder(Bundle::mainBundle().resourcePath())
{
    setBackgroundColor(Color::whiteColor());
    setOpaque(true);
}

WebView::~WebView() = default;

void WebView::loadHTMLString(std::string html, std::optional<URL> baseURL)
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (_pending)
        stopLoading();
    _pending = PendingLoad {std::move(html), std::move(baseURL)};
    const uint64_t loadNumber = ++_loadNumber;
    std::weak_ptr<WebView> weakSelf = sharedAs<WebView>();
    DispatchQueue::mainQueue().async([weakSelf, loadNumber] {
        if (auto self = weakSelf.lock())
            self->performLoad(loadNumber);
    });
}

void WebView::stopLoading()
{
    assertOnQueue(DispatchQueue::mainQueue());
    if (!_pending)
        return;
    ++_loadNumber;
    _pending.reset();
    failLoad(Error(kErrorDomain, kErrorCancelled, "cancelled"));
}

bool WebView::isLoading() const
{
    return _pending.has_value();
}

void WebView::failLoad(const Error& error)
{
    log("web view: load failed: {}", error.description());
    if (auto delegate = _delegate.lock())
        delegate->webViewDidFailLoadWithError(*this, error);
}

void WebView::performLoad(uint64_t loadNumber)
{
    if (loadNumber != _loadNumber || !_pending)
        return;
    auto keepAlive = sharedAs<WebView>();
    WebResourceLocator locator(_resourceFolder);
    URL request = _pending->baseURL ? *_pending->baseURL : locator.folderURL();
    if (auto delegate = _delegate.lock()) {
        if (!delegate->webViewShouldStartLoadWithRequest(*this, request, WebViewNavigationType::Other)) {
            _pending.reset();
            return;
        }
    }
    if (loadNumber != _loadNumber)
        return;  // the delegate started another load or stopped this one
    if (auto delegate = _delegate.lock())
        delegate->webViewDidStartLoad(*this);
    if (loadNumber != _loadNumber)
        return;
    PendingLoad load = std::move(*_pending);
    _pending.reset();
    if (!locator.contains(request)) {
        failLoad(Error(kErrorDomain, kErrorNoPermissionsToReadFile,
            "The page's base address " + request.absoluteString() + " lies outside the app bundle."));
        return;
    }
    auto page = std::make_unique<Page>(locator, request);
    page->container.setViewportSize(bounds().size);
    page->document = litehtml::document::createFromUTF8(load.html.c_str(), &page->container, &page->context);
    if (!page->document) {
        failLoad(Error(kErrorDomain, kErrorCannotParseResponse, "The page could not be read as HTML."));
        return;
    }
    detail::carryLetterSpacingIntoFonts(*page->document, page->container.get_default_font_name());
    _page = std::move(page);
    _laidOutWidth = -1;
    layoutSubviews();
    setNeedsDisplay();
    if (auto delegate = _delegate.lock())
        delegate->webViewDidFinishLoad(*this);
}

void WebView::layoutSubviews()
{
    View::layoutSubviews();
    if (!_page)
        return;
    const Size size = bounds().size;
    if (size.width == _laidOutWidth)
        return;
    _page->container.setViewportSize(size);
    _page->document->render(static_cast<int>(size.width));
    _laidOutWidth = size.width;
    setNeedsDisplay();
}

Size WebView::contentSize() const
{
    if (!_page)
        return {};
    return {static_cast<double>(_page->document->width()), static_cast<double>(_page->document->height())};
}

int WebView::refusedResourceCount() const
{
    return _page ? _page->container.refusedReferences() : 0;
}

void WebView::drawRect(GraphicsContext& context, Rect rect)
{
    // An opaque view's drawing starts on black: the page lies on the view's colour.
    if (isOpaque()) {
        context.setFillColor(backgroundColor().value_or(Color::whiteColor()));
        context.fillRect(rect);
    }
    if (!_page)
        return;
    if (bounds().size.width != _laidOutWidth)
        layoutSubviews();
    litehtml::position clip(static_cast<int>(rect.minX()), static_cast<int>(rect.minY()),
        static_cast<int>(std::ceil(rect.width())), static_cast<int>(std::ceil(rect.height())));
    _page->container.setDrawingContext(&context);
    _page->document->draw(reinterpret_cast<litehtml::uint_ptr>(&context), 0, 0, &clip);
    _page->container.setDrawingContext(nullptr);
}

}  // namespace plat
