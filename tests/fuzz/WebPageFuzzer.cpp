// Web pages are laid out from text that holds what people type: loading any
// bytes as a page, laying them out and drawing them must end in a picture
// or a failed load, never a crash or a hang, and read nothing outside the
// page's folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/foundation/Files.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/web/WebResourceLocator.h"
#include "platform/ui/web/WebView.h"

namespace {

// A folder with one picture and one style sheet that pages may refer to.
const std::string& pageFolder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/zt-webfuzz-XXXXXX";
        std::string made = ::mkdtemp(pattern) ? pattern : "";
        if (!made.empty()) {
            (void)plat::writeFileAtomically(
                made + "/style.css", std::string_view("p { color: #00f; font-size: 20px }"));
            // A 1 x 1 PNG.
            static const unsigned char png[] = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d,
                0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00,
                0x1f, 0x15, 0xc4, 0x89, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0xcf,
                0xc0, 0xf0, 0x1f, 0x00, 0x05, 0x00, 0x01, 0xff, 0x89, 0x99, 0x3d, 0x1d, 0x00, 0x00, 0x00, 0x00, 0x49,
                0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
            (void)plat::writeFileAtomically(made + "/picture.png", plat::Data(std::begin(png), std::end(png)));
        }
        return made;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool bound = [] {
        plat::RunLoop::main().bindToCurrentThread();
        return true;
    }();
    (void)bound;
    auto webView = std::make_shared<plat::WebView>(plat::makeRect(0, 0, 320, 180));
    webView->setResourceFolder(pageFolder());
    webView->setBackgroundColor(plat::Color::clearColor());
    webView->setOpaque(false);
    webView->setContentScaleFactor(1);
    webView->loadHTMLString(
        std::string(reinterpret_cast<const char*>(data), size), plat::WebResourceLocator(pageFolder()).folderURL());
    plat::RunLoop::main().drain();
    if (webView->isLoading())
        __builtin_trap();  // a load never ended
    (void)plat::renderViewToImage(*webView, 1);
    return 0;
}
