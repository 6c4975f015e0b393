#include "platform/ui/LayerRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

#include "platform/graphics/GraphicsContextImpl.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/SamePixels.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Homography.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayerDelegate.h"
#include "platform/ui/ShadowBlur.h"

namespace plat::detail {

namespace {

// Offscreen pictures for perspective layers stop at this edge in pixels.
constexpr int kMaxOffscreenEdge = 4096;
// Below this opacity a layer is not drawn, as on the platform's hit test.
constexpr double kInvisibleOpacity = 1e-3;

void drawLayerTree(GraphicsContext& ctx, Layer& layer, const LayerProperties& p, double moment);

// The presentation at the moment when animations run, else the model itself (no copy).
const LayerProperties& shown(const Layer& layer, LayerProperties& storage, double moment)
{
    if (!layer.hasAnimations())
        return layer.properties();
    storage = layer.presentationPropertiesAt(moment);
    return storage;
}

double deviceScale(const GraphicsContext& ctx)
{
    AffineTransform m = ctx.getCTM();
    return std::sqrt(std::abs(m.a * m.d - m.b * m.c));
}

void addBoundsPath(GraphicsContext& ctx, Rect bounds, double cornerRadius)
{
    if (cornerRadius > 0)
        ctx.addPath(Path::pathWithRoundedRect(bounds, cornerRadius));
    else
        ctx.addRect(bounds);
}

bool isVisibleColor(const Color& color)
{
    return color.alpha() > 0 || color.patternImage();
}

}  // namespace

Rect contentsRect(Rect bounds, Size picture, ContentsGravity gravity)
{
    double x = bounds.minX(), y = bounds.minY(), w = bounds.width(), h = bounds.height();
    double pw = picture.width, ph = picture.height;
    switch (gravity) {
    case ContentsGravity::Resize:
        return bounds;
    case ContentsGravity::ResizeAspect:
    case ContentsGravity::ResizeAspectFill: {
        if (pw <= 0 || ph <= 0)
            return bounds;
        double sx = w / pw, sy = h / ph;
        double s = gravity == ContentsGravity::ResizeAspect ? std::min(sx, sy) : std::max(sx, sy);
        return {{x + (w - pw * s) / 2, y + (h - ph * s) / 2}, {pw * s, ph * s}};
    }
    case ContentsGravity::Center:
        return {{x + (w - pw) / 2, y + (h - ph) / 2}, picture};
    case ContentsGravity::Top:
        return {{x + (w - pw) / 2, y}, picture};
    case ContentsGravity::Bottom:
        return {{x + (w - pw) / 2, y + h - ph}, picture};
    case ContentsGravity::Left:
        return {{x, y + (h - ph) / 2}, picture};
    case ContentsGravity::Right:
        return {{x + w - pw, y + (h - ph) / 2}, picture};
    case ContentsGravity::TopLeft:
        return {{x, y}, picture};
    case ContentsGravity::TopRight:
        return {{x + w - pw, y}, picture};
    case ContentsGravity::BottomLeft:
        return {{x, y + h - ph}, picture};
    case ContentsGravity::BottomRight:
        return {{x + w - pw, y + h - ph}, picture};
    }
    return bounds;
}

namespace {

// A piece of a picture, in upright pixels, as a picture of its own (so that
// scaling it does not blend in its neighbours). Pieces are kept for reuse
// while their picture lives.
std::shared_ptr<const Image> pictureCut(const Image& image, int x, int y, int width, int height)
{
    struct Key {
        const Bitmap* bitmap;
        int x, y, width, height;
        auto operator<=>(const Key&) const = default;
    };
    struct Cut {
        std::weak_ptr<const Bitmap> source;
        std::shared_ptr<const Image> piece;
    };
    static std::map<Key, Cut> cuts;
    constexpr size_t kMaxCuts = 512;
    Key key {image.bitmap().get(), x, y, width, height};
    if (auto it = cuts.find(key); it != cuts.end()) {
        if (!it->second.source.expired())
            return it->second.piece;
        cuts.erase(it);
    }
    const Bitmap& source = *image.bitmap();
    if (image.imageOrientation() != ImageOrientation::Up || x < 0 || y < 0 || x + width > source.width()
        || y + height > source.height() || width <= 0 || height <= 0)
        return nullptr;
    auto bitmap = Bitmap::allocate(width, height, source.order());
    if (!bitmap)
        return nullptr;
    for (int row = 0; row < height; ++row)
        std::memcpy(
            bitmap->mutableRow(row), source.row(y + row) + static_cast<size_t>(x) * 4, static_cast<size_t>(width) * 4);
    bitmap->setOpaque(source.isOpaque());
    auto piece = std::make_shared<const Image>(bitmap, image.scale(), ImageOrientation::Up);
    if (cuts.size() >= kMaxCuts)
        cuts.clear();
    cuts[key] = {image.bitmap(), piece};
    return piece;
}

// A picture stretched into rect with its edges (outside the unit rectangle
// `center`) kept at their size: the nine pieces of a stretchable picture.
void drawStretched(GraphicsContext& ctx, const Image& image, Rect rect, Rect center)
{
    Size size = image.size();
    double left = center.minX() * size.width;
    double right = (1 - center.maxX()) * size.width;
    double top = center.minY() * size.height;
    double bottom = (1 - center.maxY()) * size.height;
    // Edges larger than the target share the room, as the platform does.
    if (left + right > rect.width() && left + right > 0) {
        double k = rect.width() / (left + right);
        left *= k;
        right *= k;
    }
    if (top + bottom > rect.height() && top + bottom > 0) {
        double k = rect.height() / (top + bottom);
        top *= k;
        bottom *= k;
    }
    double srcX[4] = {0, center.minX() * size.width, center.maxX() * size.width, size.width};
    double srcY[4] = {0, center.minY() * size.height, center.maxY() * size.height, size.height};
    double dstX[4] = {rect.minX(), rect.minX() + left, rect.maxX() - right, rect.maxX()};
    double dstY[4] = {rect.minY(), rect.minY() + top, rect.maxY() - bottom, rect.maxY()};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            double sw = srcX[column + 1] - srcX[column], sh = srcY[row + 1] - srcY[row];
            double dw = dstX[column + 1] - dstX[column], dh = dstY[row + 1] - dstY[row];
            if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0)
                continue;
            double scale = image.scale();
            int px = static_cast<int>(std::lround(srcX[column] * scale));
            int py = static_cast<int>(std::lround(srcY[row] * scale));
            int pw = static_cast<int>(std::lround(srcX[column + 1] * scale)) - px;
            int ph = static_cast<int>(std::lround(srcY[row + 1] * scale)) - py;
            Rect target {{dstX[column], dstY[row]}, {dw, dh}};
            if (auto piece = pictureCut(image, px, py, pw, ph)) {
                ctx.drawImage(*piece, target);
                continue;
            }
            // A turned picture: clip and draw it whole, scaled so the piece lands there.
            double kx = dw / sw, ky = dh / sh;
            ctx.saveGState();
            ctx.clipToRect(target);
            ctx.drawImage(image,
                {{dstX[column] - srcX[column] * kx, dstY[row] - srcY[row] * ky}, {size.width * kx, size.height * ky}});
            ctx.restoreGState();
        }
    }
}

void drawContents(GraphicsContext& ctx, const LayerProperties& p)
{
    if (!p.contents)
        return;
    const Image& image = *p.contents;
    Rect target = contentsRect(p.bounds, image.size(), p.contentsGravity);
    if (p.contentsCenter != Rect {{0, 0}, {1, 1}} && p.contentsGravity == ContentsGravity::Resize)
        drawStretched(ctx, image, target, p.contentsCenter);
    else
        ctx.drawImage(image, target);
}

void drawBorder(GraphicsContext& ctx, const LayerProperties& p)
{
    if (p.borderWidth <= 0 || !isVisibleColor(p.borderColor))
        return;
    // The platform's border lies inside the bounds.
    double half = p.borderWidth / 2;
    Rect inner {{p.bounds.minX() + half, p.bounds.minY() + half},
        {p.bounds.width() - p.borderWidth, p.bounds.height() - p.borderWidth}};
    ctx.saveGState();
    ctx.setStrokeColor(p.borderColor);
    ctx.setLineWidth(p.borderWidth);
    ctx.beginPath();
    addBoundsPath(ctx, inner, std::max(0.0, p.cornerRadius - half));
    ctx.strokePath();
    ctx.restoreGState();
}

void drawSublayer(GraphicsContext& ctx, Layer& sublayer, double moment);

// The body of a layer: background, contents, own drawing, sublayers, border.
void drawBody(GraphicsContext& ctx, Layer& layer, const LayerProperties& p, double moment)
{
    layer.displayIfNeeded();
    if (p.backgroundColor && isVisibleColor(*p.backgroundColor)) {
        ctx.saveGState();
        ctx.setFillColor(*p.backgroundColor);
        ctx.beginPath();
        addBoundsPath(ctx, p.bounds, p.cornerRadius);
        ctx.fillPath();
        ctx.restoreGState();
    }
    ctx.saveGState();
    if (p.masksToBounds) {
        ctx.beginPath();
        addBoundsPath(ctx, p.bounds, p.cornerRadius);
        ctx.clip();
    }
    drawContents(ctx, p);
    layer.drawOwnContent(ctx, p);
    const auto& sublayers = layer.sublayers();
    bool sorted = std::all_of(sublayers.begin(), sublayers.end(), [](const auto& l) { return l->zPosition() == 0; });
    if (sorted) {
        auto copy = sublayers;  // drawing may display layers, which never changes the tree, but be safe
        for (const auto& sublayer : copy)
            drawSublayer(ctx, *sublayer, moment);
    } else {
        auto order = sublayers;
        std::stable_sort(
            order.begin(), order.end(), [](const auto& a, const auto& b) { return a->zPosition() < b->zPosition(); });
        for (const auto& sublayer : order)
            drawSublayer(ctx, *sublayer, moment);
    }
    ctx.restoreGState();
    drawBorder(ctx, p);
}

void drawShadow(GraphicsContext& ctx, Layer& layer, const LayerProperties& p, double moment)
{
    cairo_t* cr = ctx.impl().cr.get();
    if (!cr)
        return;
    cairo_push_group_with_content(cr, CAIRO_CONTENT_ALPHA);
    ctx.translateCTM(p.shadowOffset.width, p.shadowOffset.height);
    if (p.shadowPath) {
        ctx.setFillColor(Color::blackColor());
        ctx.beginPath();
        ctx.addPath(*p.shadowPath);
        ctx.fillPath();
    } else {
        drawBody(ctx, layer, p, moment);
    }
    cairo_pattern_t* mask = cairo_pop_group(cr);
    cairo_surface_t* surface = nullptr;
    if (cairo_pattern_get_surface(mask, &surface) == CAIRO_STATUS_SUCCESS
        && cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE) {
        cairo_surface_flush(surface);
        uint8_t* data = cairo_image_surface_get_data(surface);
        int width = cairo_image_surface_get_width(surface);
        int height = cairo_image_surface_get_height(surface);
        size_t stride = static_cast<size_t>(cairo_image_surface_get_stride(surface));
        if (data && cairo_image_surface_get_format(surface) == CAIRO_FORMAT_A8)
            blurChannel(data, width, height, stride, 1, p.shadowRadius * deviceScale(ctx));
        cairo_surface_mark_dirty(surface);
    }
    const Color& c = p.shadowColor;
    cairo_set_source_rgba(cr, c.red(), c.green(), c.blue(), c.alpha() * std::clamp(p.shadowOpacity, 0.0, 1.0));
    cairo_mask(cr, mask);
    cairo_pattern_destroy(mask);
}

void drawLayerTree(GraphicsContext& ctx, Layer& layer, const LayerProperties& p, double moment)
{
    cairo_t* cr = ctx.impl().cr.get();
    if (!cr)
        return;
    double opacity = std::clamp(p.opacity, 0.0, 1.0);
    bool group = opacity < 1;
    if (group)
        cairo_push_group(cr);
    if (p.shadowOpacity > 0 && isVisibleColor(p.shadowColor))
        drawShadow(ctx, layer, p, moment);
    drawBody(ctx, layer, p, moment);
    if (group) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, opacity);
    }
}

uint32_t sampleBilinear(const Bitmap& bitmap, double u, double v)
{
    // Pixel centres at half coordinates; outside the picture is transparent.
    u -= 0.5;
    v -= 0.5;
    int x0 = static_cast<int>(std::floor(u));
    int y0 = static_cast<int>(std::floor(v));
    double fx = u - x0, fy = v - y0;
    double sum[4] = {0, 0, 0, 0};
    for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx) {
            int x = x0 + dx, y = y0 + dy;
            if (x < 0 || y < 0 || x >= bitmap.width() || y >= bitmap.height())
                continue;
            double weight = (dx ? fx : 1 - fx) * (dy ? fy : 1 - fy);
            const uint8_t* px = bitmap.row(y) + static_cast<size_t>(x) * 4;
            for (int i = 0; i < 4; ++i)
                sum[i] += weight * px[i];
        }
    }
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i)
        out |= static_cast<uint32_t>(std::lround(std::clamp(sum[i], 0.0, 255.0))) << (8 * i);
    return out;
}

// A layer whose transform has perspective: drawn flat offscreen, then each
// device pixel of its quadrilateral looks up where it came from.
void drawProjected(
    GraphicsContext& ctx, Layer& layer, const LayerProperties& p, const Homography& toParent, double moment)
{
    cairo_t* cr = ctx.impl().cr.get();
    Homography toDevice = Homography::concat(toParent, Homography::fromAffine(ctx.getCTM()));
    Point middle {p.bounds.midX(), p.bounds.midY()};
    if (toDevice.w(middle) <= 0)
        return;  // behind the eye
    if (!p.doubleSided && toDevice.determinant() * toDevice.w(middle) < 0)
        return;
    double scale = std::max(deviceScale(ctx), 0.01);
    int width = std::clamp(static_cast<int>(std::ceil(p.bounds.width() * scale)), 1, kMaxOffscreenEdge);
    int height = std::clamp(static_cast<int>(std::ceil(p.bounds.height() * scale)), 1, kMaxOffscreenEdge);
    auto offscreen = GraphicsContext::bitmapContext(width, height, 1, ContextOpacity::Transparent);
    if (!offscreen)
        return;
    double sx = width / std::max(p.bounds.width(), 1e-9);
    double sy = height / std::max(p.bounds.height(), 1e-9);
    offscreen->scaleCTM(sx, sy);
    offscreen->translateCTM(-p.bounds.minX(), -p.bounds.minY());
    LayerProperties flat = p;
    flat.transform = Transform3D::identity();
    drawLayerTree(*offscreen, layer, flat, moment);
    auto picture = offscreen->takeImage();
    if (!picture)
        return;
    const Bitmap& source = *picture->bitmap();

    Homography pixelToBounds {{1 / sx, 0, p.bounds.minX(), 0, 1 / sy, p.bounds.minY(), 0, 0, 1}};
    Homography pixelToDevice = Homography::concat(pixelToBounds, toDevice);
    Homography deviceToPixel = pixelToDevice.inverted();
    Rect quad = pixelToDevice.applyToRect({{0, 0}, {static_cast<double>(width), static_cast<double>(height)}});
    double x1, y1, x2, y2;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    cairo_restore(cr);
    int left = static_cast<int>(std::floor(std::max(quad.minX(), x1)));
    int top = static_cast<int>(std::floor(std::max(quad.minY(), y1)));
    int right = static_cast<int>(std::ceil(std::min(quad.maxX(), x2)));
    int bottom = static_cast<int>(std::ceil(std::min(quad.maxY(), y2)));
    if (right <= left || bottom <= top || right - left > kMaxOffscreenEdge || bottom - top > kMaxOffscreenEdge)
        return;
    CairoSurfacePtr target(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, right - left, bottom - top));
    if (cairo_surface_status(target.get()) != CAIRO_STATUS_SUCCESS)
        return;
    uint8_t* data = cairo_image_surface_get_data(target.get());
    size_t stride = static_cast<size_t>(cairo_image_surface_get_stride(target.get()));
    for (int y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y - top) * stride);
        for (int x = left; x < right; ++x) {
            Point device {x + 0.5, y + 0.5};
            if (deviceToPixel.w(device) <= 0)
                continue;
            Point at = deviceToPixel.apply(device);
            row[x - left] = sampleBilinear(source, at.x, at.y);
        }
    }
    cairo_surface_mark_dirty(target.get());
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_surface(cr, target.get(), left, top);
    cairo_paint(cr);
    cairo_restore(cr);
}

void drawSublayer(GraphicsContext& ctx, Layer& sublayer, double moment)
{
    LayerProperties storage;
    const LayerProperties& p = shown(sublayer, storage, moment);
    if (p.hidden || p.opacity < kInvisibleOpacity)
        return;
    Homography toParent = p.toSuperlayer();
    if (!toParent.isAffine()) {
        drawProjected(ctx, sublayer, p, toParent, moment);
        return;
    }
    AffineTransform affine = toParent.affine();
    if (!p.doubleSided && affine.a * affine.d - affine.b * affine.c < 0)
        return;
    ctx.saveGState();
    ctx.concatCTM(affine);
    drawLayerTree(ctx, sublayer, p, moment);
    ctx.restoreGState();
}

}  // namespace

void LayerRenderer::renderInContext(Layer& layer, GraphicsContext& context)
{
    renderInContext(layer, context, currentMediaTime());
}

void LayerRenderer::renderInContext(Layer& layer, GraphicsContext& context, double moment)
{
    LayerProperties storage;
    const LayerProperties& p = shown(layer, storage, moment);
    if (p.hidden)
        return;
    context.saveGState();
    context.translateCTM(-p.bounds.minX(), -p.bounds.minY());
    drawLayerTree(context, layer, p, moment);
    context.restoreGState();
}

std::shared_ptr<Image> LayerRenderer::renderToImage(Layer& layer, double scale, bool opaque)
{
    return renderToImageWithin(layer, scale, opaque, {layer.bounds()});
}

std::shared_ptr<Image> LayerRenderer::renderToImageWithin(
    Layer& layer, double scale, bool opaque, const std::vector<Rect>& areas)
{
    Rect bounds = layer.bounds();
    int width = static_cast<int>(std::ceil(bounds.width() * scale - 1e-6));
    int height = static_cast<int>(std::ceil(bounds.height() * scale - 1e-6));
    if (width <= 0 || height <= 0)
        return nullptr;
    auto context = GraphicsContext::bitmapContext(
        width, height, scale, opaque ? ContextOpacity::Opaque : ContextOpacity::Transparent);
    if (!context)
        return nullptr;
    if (areas.size() != 1 || areas.front() != bounds) {
        // One clip of all the areas: drawing elsewhere costs next to nothing.
        context->beginPath();
        for (const Rect& area : areas)
            context->addRect(area);
        context->clip();
    }
    renderInContext(layer, *context);
    return context->takeImage();
}

void LayerRenderer::drawBackingPicture(Layer& layer)
{
    drawBackingPicture(layer, TextInk::AsAsked, {});
}

void LayerRenderer::redrawBackingPictures(Layer& root, TextInk ink, const TextListener& listener)
{
    if (root.isHidden() || root.opacity() < kInvisibleOpacity)
        return;
    LayerDelegate* delegate = root.activeDelegate();
    if (delegate && delegate->drawsLayerContent(root))
        drawBackingPicture(root, ink, listener);
    const auto sublayers = root.sublayers();
    for (const auto& sublayer : sublayers)
        redrawBackingPictures(*sublayer, ink, listener);
}

void LayerRenderer::drawBackingPicture(Layer& layer, TextInk ink, const TextListener& listener)
{
    Rect bounds = layer.bounds();
    double scale = layer.contentsScale();
    int width = static_cast<int>(std::ceil(bounds.width() * scale - 1e-6));
    int height = static_cast<int>(std::ceil(bounds.height() * scale - 1e-6));
    if (width <= 0 || height <= 0) {
        layer.setContents(nullptr);
        return;
    }
    auto context = GraphicsContext::bitmapContext(
        width, height, scale, layer.isOpaque() ? ContextOpacity::Opaque : ContextOpacity::Transparent);
    if (!context) {
        layer.setContents(nullptr);
        return;
    }
    context->translateCTM(-bounds.minX(), -bounds.minY());
    if (ink != TextInk::AsAsked)
        context->setTextInk(ink, [&](const DrawnText& text) {
            if (!listener)
                return;
            const Rect pixels = text.pixelArea;
            listener(layer, text,
                {{bounds.minX() + pixels.minX() / scale, bounds.minY() + pixels.minY() / scale},
                    {pixels.width() / scale, pixels.height() / scale}});
        });
    layer.drawInContext(*context);
    // The delegate may have learnt that it draws nothing after all: its contents stay as they are.
    LayerDelegate* delegate = layer.activeDelegate();
    if (delegate && !delegate->drawsLayerContent(layer))
        return;
    auto picture = context->takeImage();
    // The same picture again (a redraw that changed nothing) keeps the old
    // one, so that nothing counts as changed on screen.
    const auto& shown = layer.contents();
    if (picture && shown && shown->scale() == picture->scale()
        && shown->imageOrientation() == picture->imageOrientation()
        && haveSamePixels(*shown->bitmap(), *picture->bitmap()))
        return;
    layer.setContents(std::move(picture));
}

}  // namespace plat::detail
