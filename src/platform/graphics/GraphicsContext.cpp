#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContextImpl.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Path.h"
#include "platform/graphics/Resample.h"

static_assert(
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "cairo's ARGB32 is BGRA in memory only on little-endian machines");

namespace plat {

namespace {

constexpr double kAxisTolerance = 1e-9;

cairo_operator_t cairoOperator(BlendMode mode)
{
    switch (mode) {
    case BlendMode::Normal:
        return CAIRO_OPERATOR_OVER;
    case BlendMode::Multiply:
        return CAIRO_OPERATOR_MULTIPLY;
    case BlendMode::Screen:
        return CAIRO_OPERATOR_SCREEN;
    case BlendMode::Overlay:
        return CAIRO_OPERATOR_OVERLAY;
    case BlendMode::Darken:
        return CAIRO_OPERATOR_DARKEN;
    case BlendMode::Lighten:
        return CAIRO_OPERATOR_LIGHTEN;
    case BlendMode::ColorDodge:
        return CAIRO_OPERATOR_COLOR_DODGE;
    case BlendMode::ColorBurn:
        return CAIRO_OPERATOR_COLOR_BURN;
    case BlendMode::SoftLight:
        return CAIRO_OPERATOR_SOFT_LIGHT;
    case BlendMode::HardLight:
        return CAIRO_OPERATOR_HARD_LIGHT;
    case BlendMode::Difference:
        return CAIRO_OPERATOR_DIFFERENCE;
    case BlendMode::Exclusion:
        return CAIRO_OPERATOR_EXCLUSION;
    case BlendMode::Hue:
        return CAIRO_OPERATOR_HSL_HUE;
    case BlendMode::Saturation:
        return CAIRO_OPERATOR_HSL_SATURATION;
    case BlendMode::Color:
        return CAIRO_OPERATOR_HSL_COLOR;
    case BlendMode::Luminosity:
        return CAIRO_OPERATOR_HSL_LUMINOSITY;
    case BlendMode::Clear:
        return CAIRO_OPERATOR_CLEAR;
    case BlendMode::Copy:
        return CAIRO_OPERATOR_SOURCE;
    case BlendMode::SourceIn:
        return CAIRO_OPERATOR_IN;
    case BlendMode::SourceOut:
        return CAIRO_OPERATOR_OUT;
    case BlendMode::SourceAtop:
        return CAIRO_OPERATOR_ATOP;
    case BlendMode::DestinationOver:
        return CAIRO_OPERATOR_DEST_OVER;
    case BlendMode::DestinationIn:
        return CAIRO_OPERATOR_DEST_IN;
    case BlendMode::DestinationOut:
        return CAIRO_OPERATOR_DEST_OUT;
    case BlendMode::DestinationAtop:
        return CAIRO_OPERATOR_DEST_ATOP;
    case BlendMode::XOR:
        return CAIRO_OPERATOR_XOR;
    case BlendMode::PlusLighter:
        return CAIRO_OPERATOR_ADD;
    }
    return CAIRO_OPERATOR_OVER;
}

cairo_filter_t cairoFilter(InterpolationQuality quality)
{
    switch (quality) {
    case InterpolationQuality::None:
        return CAIRO_FILTER_NEAREST;
    case InterpolationQuality::Low:
        return CAIRO_FILTER_BILINEAR;
    case InterpolationQuality::High:
        return CAIRO_FILTER_BEST;
    default:
        return CAIRO_FILTER_GOOD;
    }
}

cairo_matrix_t cairoMatrix(const AffineTransform& t)
{
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, t.a, t.b, t.c, t.d, t.tx, t.ty);
    return matrix;
}

AffineTransform affineTransform(const cairo_matrix_t& m)
{
    return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
}

bool isWhole(double value)
{
    return std::abs(value - std::round(value)) < kAxisTolerance;
}

// The whole device pixels the clip may let through.
detail::PixelClip clipInPixels(cairo_t* cr, int pixelWidth, int pixelHeight)
{
    double x1, y1, x2, y2;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    cairo_restore(cr);
    const int left = std::clamp(static_cast<int>(std::floor(x1)), 0, pixelWidth);
    const int top = std::clamp(static_cast<int>(std::floor(y1)), 0, pixelHeight);
    const int right = std::clamp(static_cast<int>(std::ceil(x2)), left, pixelWidth);
    const int bottom = std::clamp(static_cast<int>(std::ceil(y2)), top, pixelHeight);
    return {left, top, right - left, bottom - top};
}

void setForcedOpaque(Bitmap& bitmap)
{
    for (int y = 0; y < bitmap.height(); ++y) {
        uint8_t* row = bitmap.mutableRow(y);
        for (int x = 0; x < bitmap.width(); ++x)
            row[x * 4 + 3] = 255;
    }
    bitmap.setOpaque(true);
}

// Everything outside the half-plane where the gradient parameter passes `limit` is clipped away.
void clipToGradientSide(cairo_t* cr, Point start, Point end, double limit, bool keepBelow)
{
    double dx = end.x - start.x;
    double dy = end.y - start.y;
    double length = std::hypot(dx, dy);
    if (length == 0)
        return;
    double ux = dx / length, uy = dy / length;
    // Far enough past any bitmap, and within cairo's 24.8 fixed-point coordinates.
    constexpr double kFar = 1e5;
    Point edge {start.x + dx * limit, start.y + dy * limit};
    double direction = keepBelow ? -1 : 1;
    cairo_move_to(cr, edge.x - uy * kFar, edge.y + ux * kFar);
    cairo_line_to(cr, edge.x + uy * kFar, edge.y - ux * kFar);
    cairo_line_to(cr, edge.x + uy * kFar + direction * ux * kFar, edge.y - ux * kFar + direction * uy * kFar);
    cairo_line_to(cr, edge.x - uy * kFar + direction * ux * kFar, edge.y + ux * kFar + direction * uy * kFar);
    cairo_close_path(cr);
    cairo_clip(cr);
}

// cairo stops drawing for good once its matrix has no finite inverse: such a step is left out.
bool hasFiniteInverse(const cairo_matrix_t& m)
{
    double determinant = m.xx * m.yy - m.yx * m.xy;
    return std::isfinite(determinant) && determinant != 0 && std::isfinite(m.x0) && std::isfinite(m.y0);
}

void transformIfInvertible(cairo_t* cr, const cairo_matrix_t& step)
{
    cairo_matrix_t product;
    cairo_get_matrix(cr, &product);
    cairo_matrix_multiply(&product, &step, &product);
    if (hasFiniteInverse(step) && hasFiniteInverse(product))
        cairo_transform(cr, &step);
}

void addColorStops(cairo_pattern_t* pattern, const Gradient& gradient)
{
    for (size_t i = 0; i < gradient.colors().size(); ++i) {
        const Color& color = gradient.colors()[i];
        cairo_pattern_add_color_stop_rgba(
            pattern, gradient.locations()[i], color.red(), color.green(), color.blue(), color.alpha());
    }
}

}  // namespace

namespace detail {

BitmapSurface makeSourceSurface(std::shared_ptr<const Bitmap> bitmap)
{
    BitmapSurface result;
    std::shared_ptr<const Bitmap> usable = bitmap;
    if (bitmap->order() != PixelOrder::BGRA || bitmap->bytesPerRow() % 4 != 0)
        usable = bitmap->copyWithOrder(PixelOrder::BGRA);
    cairo_format_t format = usable->isOpaque() ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32;
    // cairo only reads a source surface; it takes a non-const pointer for all surfaces alike.
    result.surface.reset(cairo_image_surface_create_for_data(const_cast<uint8_t*>(usable->bytes()), format,
        usable->width(), usable->height(), static_cast<int>(usable->bytesPerRow())));
    result.keepAlive = std::move(usable);
    return result;
}

}  // namespace detail

cairo_operator_t GraphicsContext::Impl::op() const
{
    return cairoOperator(state.blendMode);
}

bool GraphicsContext::Impl::setSource(const Color& color)
{
    if (color.colorSpaceModel() == ColorSpaceModel::Pattern && color.patternImage()) {
        const Image& image = *color.patternImage();
        auto source = detail::makeSourceSurface(image.bitmap());
        detail::CairoPatternPtr pattern(cairo_pattern_create_for_surface(source.surface.get()));
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
        // Pattern space is the image's pixels; one point holds scale pixels.
        cairo_matrix_t matrix;
        cairo_matrix_init_scale(&matrix, image.scale(), image.scale());
        cairo_pattern_set_matrix(pattern.get(), &matrix);
        cairo_set_source(cr.get(), pattern.get());
        // cairo keeps the source set after this call: the pixels must outlive it.
        patternPixels = std::move(source.keepAlive);
        return state.alpha >= 1;
    }
    cairo_set_source_rgba(cr.get(), color.red(), color.green(), color.blue(), color.alpha() * state.alpha);
    return true;
}

void GraphicsContext::Impl::paintPath(const Color& color, bool stroke, cairo_fill_rule_t rule)
{
    cairo_t* c = cr.get();
    cairo_set_operator(c, op());
    cairo_set_fill_rule(c, rule);
    if (setSource(color)) {
        if (stroke)
            cairo_stroke(c);
        else
            cairo_fill(c);
        return;
    }
    // A pattern under a context alpha: draw into a group, then paint it with the alpha.
    cairo_push_group(c);
    cairo_set_operator(c, CAIRO_OPERATOR_OVER);
    if (stroke)
        cairo_stroke(c);
    else
        cairo_fill(c);
    cairo_pop_group_to_source(c);
    cairo_paint_with_alpha(c, state.alpha);
}

GraphicsContext::GraphicsContext(std::unique_ptr<Impl> impl)
    : _impl(std::move(impl))
{
}

GraphicsContext::~GraphicsContext() = default;

std::unique_ptr<GraphicsContext> GraphicsContext::bitmapContext(
    int pixelWidth, int pixelHeight, double scale, ContextOpacity opacity)
{
    auto impl = std::make_unique<Impl>();
    impl->pixels = Bitmap::allocateCleared(pixelWidth, pixelHeight, PixelOrder::BGRA);
    if (!impl->pixels)
        return nullptr;
    impl->surface.reset(cairo_image_surface_create_for_data(impl->pixels->mutableBytes(), CAIRO_FORMAT_ARGB32,
        pixelWidth, pixelHeight, static_cast<int>(impl->pixels->bytesPerRow())));
    impl->cr.reset(cairo_create(impl->surface.get()));
    if (cairo_status(impl->cr.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    impl->scale = scale > 0 ? scale : 1;
    impl->opaque = opacity == ContextOpacity::Opaque;
    if (impl->opaque) {
        cairo_set_source_rgb(impl->cr.get(), 0, 0, 0);
        cairo_paint(impl->cr.get());
    }
    cairo_scale(impl->cr.get(), impl->scale, impl->scale);
    return std::unique_ptr<GraphicsContext>(new GraphicsContext(std::move(impl)));
}

int GraphicsContext::pixelWidth() const
{
    return _impl->pixels->width();
}

int GraphicsContext::pixelHeight() const
{
    return _impl->pixels->height();
}

double GraphicsContext::scale() const
{
    return _impl->scale;
}

void GraphicsContext::saveGState()
{
    if (!_impl->cr)
        return;
    _impl->savedStates.push_back(_impl->state);
    cairo_save(_impl->cr.get());
}

void GraphicsContext::restoreGState()
{
    if (!_impl->cr || _impl->savedStates.empty())
        return;
    _impl->state = _impl->savedStates.back();
    _impl->savedStates.pop_back();
    cairo_restore(_impl->cr.get());
}

void GraphicsContext::translateCTM(double x, double y)
{
    if (!_impl->cr)
        return;
    cairo_matrix_t step;
    cairo_matrix_init_translate(&step, x, y);
    transformIfInvertible(_impl->cr.get(), step);
}

void GraphicsContext::scaleCTM(double sx, double sy)
{
    // cairo refuses a singular matrix for good; the platform draws nothing with one.
    if (!_impl->cr || sx == 0 || sy == 0)
        return;
    cairo_matrix_t step;
    cairo_matrix_init_scale(&step, sx, sy);
    transformIfInvertible(_impl->cr.get(), step);
}

void GraphicsContext::rotateCTM(double radians)
{
    if (!_impl->cr)
        return;
    cairo_matrix_t step;
    cairo_matrix_init_rotate(&step, radians);
    transformIfInvertible(_impl->cr.get(), step);
}

void GraphicsContext::concatCTM(const AffineTransform& transform)
{
    if (!_impl->cr || !transform.isInvertible())
        return;
    transformIfInvertible(_impl->cr.get(), cairoMatrix(transform));
}

AffineTransform GraphicsContext::getCTM() const
{
    if (!_impl->cr)
        return {};
    cairo_matrix_t matrix;
    cairo_get_matrix(_impl->cr.get(), &matrix);
    return affineTransform(matrix);
}

void GraphicsContext::setFillColor(const Color& color)
{
    _impl->state.fill = color;
}

void GraphicsContext::setStrokeColor(const Color& color)
{
    _impl->state.stroke = color;
}

void GraphicsContext::setLineWidth(double width)
{
    if (_impl->cr)
        cairo_set_line_width(_impl->cr.get(), width);
}

void GraphicsContext::setLineCap(LineCap cap)
{
    if (!_impl->cr)
        return;
    cairo_set_line_cap(_impl->cr.get(),
        cap == LineCap::Round        ? CAIRO_LINE_CAP_ROUND
            : cap == LineCap::Square ? CAIRO_LINE_CAP_SQUARE
                                     : CAIRO_LINE_CAP_BUTT);
}

void GraphicsContext::setLineJoin(LineJoin join)
{
    if (!_impl->cr)
        return;
    cairo_set_line_join(_impl->cr.get(),
        join == LineJoin::Round       ? CAIRO_LINE_JOIN_ROUND
            : join == LineJoin::Bevel ? CAIRO_LINE_JOIN_BEVEL
                                      : CAIRO_LINE_JOIN_MITER);
}

void GraphicsContext::setMiterLimit(double limit)
{
    if (_impl->cr)
        cairo_set_miter_limit(_impl->cr.get(), limit);
}

void GraphicsContext::setLineDash(double phase, const std::vector<double>& lengths)
{
    if (!_impl->cr)
        return;
    // cairo stops drawing for good on a negative length or lengths that are all 0: those stroke solid.
    bool anyLength = false;
    for (double length : lengths) {
        if (!(length >= 0) || !std::isfinite(length)) {
            anyLength = false;
            break;
        }
        anyLength = anyLength || length > 0;
    }
    if (!anyLength || !std::isfinite(phase)) {
        cairo_set_dash(_impl->cr.get(), nullptr, 0, 0);
        return;
    }
    cairo_set_dash(_impl->cr.get(), lengths.data(), static_cast<int>(lengths.size()), phase);
}

void GraphicsContext::setAlpha(double alpha)
{
    _impl->state.alpha = std::clamp(alpha, 0.0, 1.0);
}

void GraphicsContext::setBlendMode(BlendMode mode)
{
    _impl->state.blendMode = mode;
}

void GraphicsContext::setInterpolationQuality(InterpolationQuality quality)
{
    _impl->state.quality = quality;
}

void GraphicsContext::setShouldAntialias(bool shouldAntialias)
{
    if (_impl->cr)
        cairo_set_antialias(_impl->cr.get(), shouldAntialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

void GraphicsContext::setTextDrawingMode(TextDrawingMode mode)
{
    _impl->state.textMode = mode;
}

void GraphicsContext::beginPath()
{
    if (_impl->cr)
        cairo_new_path(_impl->cr.get());
}

void GraphicsContext::moveToPoint(Point point)
{
    if (_impl->cr)
        cairo_move_to(_impl->cr.get(), point.x, point.y);
}

void GraphicsContext::addLineToPoint(Point point)
{
    if (_impl->cr)
        cairo_line_to(_impl->cr.get(), point.x, point.y);
}

void GraphicsContext::addCurveToPoint(Point control1, Point control2, Point end)
{
    if (_impl->cr)
        cairo_curve_to(_impl->cr.get(), control1.x, control1.y, control2.x, control2.y, end.x, end.y);
}

void GraphicsContext::addQuadCurveToPoint(Point control, Point end)
{
    if (!_impl->cr)
        return;
    Path path;
    double x = 0, y = 0;
    if (cairo_has_current_point(_impl->cr.get()))
        cairo_get_current_point(_impl->cr.get(), &x, &y);
    path.moveToPoint({x, y});
    path.addQuadCurveToPoint(control, end);
    const auto& curve = path.elements().back();
    addCurveToPoint(curve.points[0], curve.points[1], curve.points[2]);
}

namespace {

void appendPathElements(cairo_t* c, const std::vector<Path::Element>& elements, size_t first)
{
    for (size_t i = first; i < elements.size(); ++i) {
        const Path::Element& element = elements[i];
        switch (element.type) {
        case Path::ElementType::MoveTo:
            cairo_move_to(c, element.points[0].x, element.points[0].y);
            break;
        case Path::ElementType::LineTo:
            cairo_line_to(c, element.points[0].x, element.points[0].y);
            break;
        case Path::ElementType::CurveTo:
            cairo_curve_to(c, element.points[0].x, element.points[0].y, element.points[1].x, element.points[1].y,
                element.points[2].x, element.points[2].y);
            break;
        case Path::ElementType::Close:
            cairo_close_path(c);
            break;
        }
    }
}

}  // namespace

void GraphicsContext::addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise)
{
    if (!_impl->cr)
        return;
    Path arc;
    const bool continues = cairo_has_current_point(_impl->cr.get());
    if (continues) {
        double x = 0, y = 0;
        cairo_get_current_point(_impl->cr.get(), &x, &y);
        arc.moveToPoint({x, y});
    }
    arc.addArc(center, radius, startAngle, endAngle, clockwise);
    if (!continues) {
        addPath(arc);
        return;
    }
    // The arc joins the current subpath with a line, as on the platform: a
    // second move-to would start a new subpath and leave the shape open.
    appendPathElements(_impl->cr.get(), arc.elements(), 1);
}

void GraphicsContext::addRect(Rect rect)
{
    if (_impl->cr)
        cairo_rectangle(_impl->cr.get(), rect.minX(), rect.minY(), rect.width(), rect.height());
}

void GraphicsContext::addEllipseInRect(Rect rect)
{
    addPath(Path::pathWithOvalInRect(rect));
}

void GraphicsContext::addPath(const Path& path)
{
    if (_impl->cr)
        appendPathElements(_impl->cr.get(), path.elements(), 0);
}

void GraphicsContext::closePath()
{
    if (_impl->cr)
        cairo_close_path(_impl->cr.get());
}

bool GraphicsContext::isPathEmpty() const
{
    if (!_impl->cr)
        return true;
    return !cairo_has_current_point(_impl->cr.get());
}

void GraphicsContext::fillPath()
{
    if (_impl->cr)
        _impl->paintPath(_impl->state.fill, false, CAIRO_FILL_RULE_WINDING);
}

void GraphicsContext::eoFillPath()
{
    if (_impl->cr)
        _impl->paintPath(_impl->state.fill, false, CAIRO_FILL_RULE_EVEN_ODD);
}

void GraphicsContext::strokePath()
{
    if (_impl->cr)
        _impl->paintPath(_impl->state.stroke, true, CAIRO_FILL_RULE_WINDING);
}

void GraphicsContext::drawPath(PathDrawingMode mode)
{
    if (!_impl->cr)
        return;
    bool evenOdd = mode == PathDrawingMode::EOFill || mode == PathDrawingMode::EOFillStroke;
    bool fills = mode != PathDrawingMode::Stroke;
    bool strokes = mode == PathDrawingMode::Stroke || mode == PathDrawingMode::FillStroke
        || mode == PathDrawingMode::EOFillStroke;
    if (fills && strokes) {
        cairo_path_t* path = cairo_copy_path(_impl->cr.get());
        _impl->paintPath(_impl->state.fill, false, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        cairo_append_path(_impl->cr.get(), path);
        cairo_path_destroy(path);
        _impl->paintPath(_impl->state.stroke, true, CAIRO_FILL_RULE_WINDING);
        return;
    }
    _impl->paintPath(strokes ? _impl->state.stroke : _impl->state.fill, strokes,
        evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
}

void GraphicsContext::fillRect(Rect rect)
{
    beginPath();
    addRect(rect);
    fillPath();
}

void GraphicsContext::strokeRect(Rect rect)
{
    beginPath();
    addRect(rect);
    strokePath();
}

void GraphicsContext::clearRect(Rect rect)
{
    if (!_impl->cr)
        return;
    cairo_t* c = _impl->cr.get();
    cairo_save(c);
    cairo_new_path(c);
    cairo_rectangle(c, rect.minX(), rect.minY(), rect.width(), rect.height());
    cairo_set_operator(c, CAIRO_OPERATOR_CLEAR);
    cairo_fill(c);
    cairo_restore(c);
}

void GraphicsContext::fillEllipseInRect(Rect rect)
{
    beginPath();
    addEllipseInRect(rect);
    fillPath();
}

void GraphicsContext::strokeEllipseInRect(Rect rect)
{
    beginPath();
    addEllipseInRect(rect);
    strokePath();
}

void GraphicsContext::clip()
{
    if (!_impl->cr)
        return;
    cairo_set_fill_rule(_impl->cr.get(), CAIRO_FILL_RULE_WINDING);
    cairo_clip(_impl->cr.get());
}

void GraphicsContext::eoClip()
{
    if (!_impl->cr)
        return;
    cairo_set_fill_rule(_impl->cr.get(), CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(_impl->cr.get());
}

void GraphicsContext::clipToRect(Rect rect)
{
    if (!_impl->cr)
        return;
    cairo_new_path(_impl->cr.get());
    cairo_rectangle(_impl->cr.get(), rect.minX(), rect.minY(), rect.width(), rect.height());
    cairo_clip(_impl->cr.get());
}

Rect GraphicsContext::getClipBoundingBox() const
{
    if (!_impl->cr)
        return {};
    double x1, y1, x2, y2;
    cairo_clip_extents(_impl->cr.get(), &x1, &y1, &x2, &y2);
    return makeRect(x1, y1, x2 - x1, y2 - y1);
}

void GraphicsContext::drawImage(const Image& image, Rect rect)
{
    drawImage(image, rect, _impl->state.blendMode, 1.0);
}

void GraphicsContext::drawImageAtPoint(const Image& image, Point point)
{
    drawImage(image, {point, image.size()});
}

void GraphicsContext::drawImage(const Image& image, Rect rect, BlendMode mode, double alpha)
{
    if (!_impl->cr || rect.width() <= 0 || rect.height() <= 0)
        return;
    cairo_t* c = _impl->cr.get();
    const std::shared_ptr<const Bitmap>& bitmap = image.bitmap();
    Size stored {static_cast<double>(bitmap->width()), static_cast<double>(bitmap->height())};
    Size upright = isTransposed(image.imageOrientation()) ? Size {stored.height, stored.width} : stored;
    // Stored pixels -> upright pixels -> the rectangle in user space -> device pixels.
    AffineTransform toUser = AffineTransform::concat(uprightTransform(image.imageOrientation(), stored),
        AffineTransform {rect.width() / upright.width, 0, 0, rect.height() / upright.height, rect.minX(), rect.minY()});
    AffineTransform toDevice = AffineTransform::concat(toUser, getCTM());
    double totalAlpha = std::clamp(alpha, 0.0, 1.0) * _impl->state.alpha;
    cairo_operator_t op = cairoOperator(mode);

    auto compositeInDeviceSpace = [&](std::shared_ptr<const Bitmap> pixels, int x, int y) {
        auto source = detail::makeSourceSurface(std::move(pixels));
        cairo_save(c);
        cairo_identity_matrix(c);
        cairo_new_path(c);
        cairo_set_source_surface(c, source.surface.get(), x, y);
        cairo_pattern_set_filter(cairo_get_source(c), CAIRO_FILTER_NEAREST);
        cairo_rectangle(c, x, y, cairo_image_surface_get_width(source.surface.get()),
            cairo_image_surface_get_height(source.surface.get()));
        cairo_clip(c);
        cairo_set_operator(c, op);
        cairo_paint_with_alpha(c, totalAlpha);
        cairo_restore(c);
    };

    bool axisAligned = std::abs(toDevice.b) < kAxisTolerance && std::abs(toDevice.c) < kAxisTolerance && toDevice.a > 0
        && toDevice.d > 0;
    if (axisAligned && _impl->state.quality != InterpolationQuality::None) {
        // Scaled along the axes only, the common case: our own area-averaging
        // resampler over contiguous rows, then cairo composites pixel for pixel.
        if (std::abs(toDevice.a - 1) < kAxisTolerance && std::abs(toDevice.d - 1) < kAxisTolerance
            && isWhole(toDevice.tx) && isWhole(toDevice.ty)) {
            compositeInDeviceSpace(
                bitmap, static_cast<int>(std::round(toDevice.tx)), static_cast<int>(std::round(toDevice.ty)));
            return;
        }
        // Only what the clip lets through: a window drawn again in parts resamples just those.
        auto tile = detail::resampleAxisAlignedWithin(
            *bitmap, toDevice.a, toDevice.d, toDevice.tx, toDevice.ty, clipInPixels(c, pixelWidth(), pixelHeight()));
        if (tile)
            compositeInDeviceSpace(tile->pixels, tile->x, tile->y);
        return;
    }
    auto source = detail::makeSourceSurface(bitmap);
    cairo_save(c);
    cairo_new_path(c);
    cairo_matrix_t matrix = cairoMatrix(toUser);
    cairo_transform(c, &matrix);
    cairo_set_source_surface(c, source.surface.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(c), cairoFilter(_impl->state.quality));
    cairo_pattern_set_extend(cairo_get_source(c), CAIRO_EXTEND_PAD);
    cairo_rectangle(c, 0, 0, stored.width, stored.height);
    cairo_clip(c);
    cairo_set_operator(c, op);
    cairo_paint_with_alpha(c, totalAlpha);
    cairo_restore(c);
}

void GraphicsContext::drawLinearGradient(const Gradient& gradient, Point start, Point end, unsigned options)
{
    if (!_impl->cr || gradient.colors().empty())
        return;
    cairo_t* c = _impl->cr.get();
    detail::CairoPatternPtr pattern(cairo_pattern_create_linear(start.x, start.y, end.x, end.y));
    addColorStops(pattern.get(), gradient);
    bool before = options & GradientDrawsBeforeStartLocation;
    bool after = options & GradientDrawsAfterEndLocation;
    cairo_save(c);
    cairo_new_path(c);
    // The platform paints nothing beyond an end it was not asked to extend.
    if (!before)
        clipToGradientSide(c, start, end, 0, /*keepBelow=*/false);
    if (!after)
        clipToGradientSide(c, start, end, 1, /*keepBelow=*/true);
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
    cairo_set_source(c, pattern.get());
    cairo_set_operator(c, _impl->op());
    cairo_paint_with_alpha(c, _impl->state.alpha);
    cairo_restore(c);
}

void GraphicsContext::drawRadialGradient(const Gradient& gradient, Point startCenter, double startRadius,
    Point endCenter, double endRadius, unsigned options)
{
    if (!_impl->cr || gradient.colors().empty())
        return;
    cairo_t* c = _impl->cr.get();
    detail::CairoPatternPtr pattern(
        cairo_pattern_create_radial(startCenter.x, startCenter.y, startRadius, endCenter.x, endCenter.y, endRadius));
    addColorStops(pattern.get(), gradient);
    bool before = options & GradientDrawsBeforeStartLocation;
    bool after = options & GradientDrawsAfterEndLocation;
    // cairo extends both ends or neither; beyond the end circle is what shows, so that decides.
    cairo_pattern_set_extend(pattern.get(), after || before ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
    cairo_save(c);
    cairo_new_path(c);
    if (!after && before) {
        cairo_arc(c, endCenter.x, endCenter.y, endRadius, 0, 2 * M_PI);
        cairo_clip(c);
    }
    cairo_set_source(c, pattern.get());
    cairo_set_operator(c, _impl->op());
    cairo_paint_with_alpha(c, _impl->state.alpha);
    cairo_restore(c);
}

std::shared_ptr<Image> GraphicsContext::makeImage() const
{
    if (!_impl->cr)
        return nullptr;
    cairo_surface_flush(_impl->surface.get());
    auto copy = _impl->pixels->copyWithOrder(PixelOrder::BGRA);
    if (!copy)
        return nullptr;
    if (_impl->opaque)
        setForcedOpaque(*copy);
    return std::make_shared<Image>(std::move(copy), _impl->scale, ImageOrientation::Up);
}

std::shared_ptr<Image> GraphicsContext::takeImage()
{
    if (!_impl->cr)
        return nullptr;
    cairo_surface_flush(_impl->surface.get());
    _impl->cr.reset();
    _impl->surface.reset();
    std::shared_ptr<Bitmap> pixels = _impl->pixels;
    if (_impl->opaque)
        setForcedOpaque(*pixels);
    return std::make_shared<Image>(std::move(pixels), _impl->scale, ImageOrientation::Up);
}

}  // namespace plat
