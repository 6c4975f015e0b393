#pragma once
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"

namespace plat {
class WebView;

// How a load came about, with the platform's numbers.
enum class WebViewNavigationType : int {
    LinkClicked = 0,
    FormSubmitted = 1,
    BackForward = 2,
    Reload = 3,
    FormResubmitted = 4,
    Other = 5,
};

// The web view's delegate. Every callback comes on the main queue, after the
// call that started the load has returned.
class WebViewDelegate {
public:
    virtual ~WebViewDelegate() = default;
    // NO: the load is dropped without further callbacks.
    virtual bool webViewShouldStartLoadWithRequest(WebView&, const URL& /*request*/, WebViewNavigationType)
    {
        return true;
    }
    virtual void webViewDidStartLoad(WebView&) { }
    virtual void webViewDidFinishLoad(WebView&) { }
    virtual void webViewDidFailLoadWithError(WebView&, const Error&) { }
};

}  // namespace plat
