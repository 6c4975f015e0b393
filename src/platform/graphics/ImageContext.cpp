#include "platform/graphics/ImageContext.h"

#include <cassert>
#include <cmath>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

namespace plat {

namespace {

struct StackEntry {
    GraphicsContext* context = nullptr;
    std::unique_ptr<GraphicsContext> owned;  // set for image contexts
    bool isImageContext = false;
};

std::vector<StackEntry>& contextStack()
{
    thread_local std::vector<StackEntry> stack;
    return stack;
}

// Pixels for points: 272 points at scale 1 are 272 pixels, even when the
// product carries a rounding error.
int pixelsFor(double points, double scale)
{
    return static_cast<int>(std::ceil(points * scale - 1e-6));
}

StackEntry* topImageContext()
{
    auto& stack = contextStack();
    if (stack.empty() || !stack.back().isImageContext)
        return nullptr;
    return &stack.back();
}

}  // namespace

void graphicsBeginImageContext(Size size)
{
    graphicsBeginImageContextWithOptions(size, /*opaque=*/false, 1.0);
}

void graphicsBeginImageContextWithOptions(Size size, bool opaque, double scale)
{
    if (scale <= 0)
        scale = kMainScreenScale;
    StackEntry entry;
    entry.isImageContext = true;
    if (size.width > 0 && size.height > 0 && std::isfinite(size.width * scale) && std::isfinite(size.height * scale)
        && Bitmap::isAllowedSize(static_cast<int64_t>(std::ceil(size.width * scale)),
            static_cast<int64_t>(std::ceil(size.height * scale)))) {
        entry.owned = GraphicsContext::bitmapContext(pixelsFor(size.width, scale), pixelsFor(size.height, scale), scale,
            opaque ? ContextOpacity::Opaque : ContextOpacity::Transparent);
        entry.context = entry.owned.get();
    }
    if (!entry.context)
        log("graphics: invalid image context size {} x {}", size.width, size.height);
    contextStack().push_back(std::move(entry));
}

GraphicsContext* graphicsGetCurrentContext()
{
    auto& stack = contextStack();
    return stack.empty() ? nullptr : stack.back().context;
}

std::shared_ptr<Image> graphicsGetImageFromCurrentImageContext()
{
    StackEntry* top = topImageContext();
    if (!top || !top->context)
        return nullptr;
    return top->context->makeImage();
}

void graphicsEndImageContext()
{
    if (!topImageContext()) {
        log("graphics: no image context to end");
        return;
    }
    contextStack().pop_back();
}

void graphicsPushContext(GraphicsContext& context)
{
    contextStack().push_back({&context, nullptr, false});
}

void graphicsPopContext()
{
    auto& stack = contextStack();
    if (stack.empty() || stack.back().isImageContext) {
        log("graphics: no pushed context to pop");
        return;
    }
    stack.pop_back();
}

ImageContext::ImageContext(Size size, bool opaque, double scale)
{
    graphicsBeginImageContextWithOptions(size, opaque, scale);
}

ImageContext::~ImageContext()
{
    if (!_ended)
        graphicsEndImageContext();
}

GraphicsContext* ImageContext::context() const
{
    return _ended ? nullptr : graphicsGetCurrentContext();
}

std::shared_ptr<Image> ImageContext::finish()
{
    assert(!_ended && topImageContext());
    StackEntry* top = topImageContext();
    std::shared_ptr<Image> image = top && top->context ? top->context->takeImage() : nullptr;
    graphicsEndImageContext();
    _ended = true;
    return image;
}

}  // namespace plat
