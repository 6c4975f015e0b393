#include "uikit/ResizableImageDrawing.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/graphics/EdgeInsets.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"

namespace zt::detail {

namespace {

struct Span {
    double start;
    double length;
};

// The three spans (start cap, middle, end cap) of one axis, in the picture
// and in the target; caps that do not fit the target shrink in proportion.
std::array<std::pair<Span, Span>, 3> spans(double pictureLength, double startCap, double endCap, double targetLength)
{
    startCap = std::clamp(startCap, 0.0, pictureLength);
    endCap = std::clamp(endCap, 0.0, pictureLength - startCap);
    double targetStart = startCap;
    double targetEnd = endCap;
    if (startCap + endCap > targetLength && startCap + endCap > 0) {
        const double shrink = targetLength / (startCap + endCap);
        targetStart *= shrink;
        targetEnd *= shrink;
    }
    return {{
        {{0, startCap}, {0, targetStart}},
        {{startCap, pictureLength - startCap - endCap}, {targetStart, targetLength - targetStart - targetEnd}},
        {{pictureLength - endCap, endCap}, {targetLength - targetEnd, targetEnd}},
    }};
}

}  // namespace

std::shared_ptr<plat::Image> stretchableImage(const plat::Image& image, int64_t leftCapWidth, int64_t topCapHeight)
{
    const plat::Size size = image.size();
    const double left = std::clamp(static_cast<double>(leftCapWidth), 0.0, size.width);
    const double top = std::clamp(static_cast<double>(topCapHeight), 0.0, size.height);
    // Without a cap the platform stretches the whole axis.
    const double right = left > 0 ? std::max(size.width - left - 1, 0.0) : 0;
    const double bottom = top > 0 ? std::max(size.height - top - 1, 0.0) : 0;
    return image.resizableImageWithCapInsets({top, left, bottom, right});
}

void drawResizableImage(
    plat::GraphicsContext& context, const plat::Image& image, plat::Rect rect, plat::BlendMode mode, double alpha)
{
    const plat::EdgeInsets caps = image.capInsets();
    if (caps == plat::EdgeInsets {}) {
        context.drawImage(image, rect, mode, alpha);
        return;
    }
    if (rect.isEmpty() || !std::isfinite(rect.width()) || !std::isfinite(rect.height()))
        return;
    // Assembled at the context's pixel size first, then drawn once: cells
    // drawn straight into the context would show seams where alpha and
    // anti-aliased cell edges meet.
    const double scale = context.scale();
    const plat::Size pixels {std::ceil(rect.width() * scale), std::ceil(rect.height() * scale)};
    plat::ImageContext stretched({pixels.width / scale, pixels.height / scale}, /*opaque=*/false, scale);
    plat::GraphicsContext* cells = stretched.context();
    if (!cells)
        return;
    const plat::Size picture = image.size();
    const plat::Size target {pixels.width / scale, pixels.height / scale};
    for (const auto& [sourceX, targetX] : spans(picture.width, caps.left, caps.right, target.width)) {
        for (const auto& [sourceY, targetY] : spans(picture.height, caps.top, caps.bottom, target.height)) {
            if (sourceX.length <= 0 || sourceY.length <= 0 || targetX.length <= 0 || targetY.length <= 0)
                continue;
            const double sx = targetX.length / sourceX.length;
            const double sy = targetY.length / sourceY.length;
            cells->saveGState();
            cells->clipToRect(plat::makeRect(targetX.start, targetY.start, targetX.length, targetY.length));
            cells->drawImage(image,
                plat::makeRect(targetX.start - sourceX.start * sx, targetY.start - sourceY.start * sy,
                    picture.width * sx, picture.height * sy));
            cells->restoreGState();
        }
    }
    if (auto assembled = stretched.finish())
        context.drawImage(
            *assembled, plat::makeRect(rect.minX(), rect.minY(), target.width, target.height), mode, alpha);
}

}  // namespace zt::detail
