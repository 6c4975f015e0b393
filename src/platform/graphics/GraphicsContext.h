#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"

namespace plat {
class Gradient;
class Image;
class Path;

// The platform's blend modes with its numbers; each is drawn by the cairo
// operator of the same meaning. (Plus-darker has no cairo counterpart.)
enum class BlendMode : int {
    Normal = 0,
    Multiply = 1,
    Screen = 2,
    Overlay = 3,
    Darken = 4,
    Lighten = 5,
    ColorDodge = 6,
    ColorBurn = 7,
    SoftLight = 8,
    HardLight = 9,
    Difference = 10,
    Exclusion = 11,
    Hue = 12,
    Saturation = 13,
    Color = 14,
    Luminosity = 15,
    Clear = 16,
    Copy = 17,
    SourceIn = 18,
    SourceOut = 19,
    SourceAtop = 20,
    DestinationOver = 21,
    DestinationIn = 22,
    DestinationOut = 23,
    DestinationAtop = 24,
    XOR = 25,
    PlusLighter = 27,
};

// The platform's interpolation qualities with its numbers.
enum class InterpolationQuality : int { Default = 0, None = 1, Low = 2, High = 3, Medium = 4 };

enum class LineCap { Butt, Round, Square };
enum class LineJoin { Miter, Round, Bevel };
enum class PathDrawingMode { Fill, EOFill, Stroke, FillStroke, EOFillStroke };
enum class ContextOpacity { Transparent, Opaque };
// How text is painted, as the platform's text drawing modes (the ones with clipping are not offered).
enum class TextDrawingMode : int { Fill = 0, Stroke = 1, FillStroke = 2, Invisible = 3 };

enum class TextInk { AsAsked, LeftOut, Black, White };

// A text a context was asked to draw: its words, font and colour, and the
// area its lines cover (clipped to its rectangle) in the context's pixels.
struct DrawnText {
    std::string text;
    Font font;
    Color color;
    Rect pixelArea;
};

// A bitmap drawing context over cairo, with the platform's drawing model:
// user space in points with the origin at the top left and y pointing down,
// a transformation matrix, graphics states saved and restored, a current path
// that fills, strokes and clips consume, images drawn upright in their
// rectangles. The pixels are premultiplied BGRA (cairo's own layout).
// One thread at a time; the thread that made it, as a rule.
class GraphicsContext {
public:
    // A context of pixelWidth x pixelHeight pixels whose user space is scaled
    // by scale (pixels per point). Transparent starts cleared, opaque starts
    // black and yields opaque images. nullptr for sizes beyond the bitmap limits.
    static std::unique_ptr<GraphicsContext> bitmapContext(
        int pixelWidth, int pixelHeight, double scale, ContextOpacity opacity);
    ~GraphicsContext();
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

    int pixelWidth() const;
    int pixelHeight() const;
    double scale() const;

    void saveGState();
    void restoreGState();

    // Each adds its step in front of the current transformation, as the platform's do.
    void translateCTM(double x, double y);
    void scaleCTM(double sx, double sy);
    void rotateCTM(double radians);
    void concatCTM(const AffineTransform& transform);
    // User space to device pixels.
    AffineTransform getCTM() const;

    void setFillColor(const Color& color);
    void setStrokeColor(const Color& color);
    void setLineWidth(double width);
    void setLineCap(LineCap cap);
    void setLineJoin(LineJoin join);
    void setMiterLimit(double limit);
    void setLineDash(double phase, const std::vector<double>& lengths);
    // Multiplies everything drawn afterwards.
    void setAlpha(double alpha);
    void setBlendMode(BlendMode mode);
    void setInterpolationQuality(InterpolationQuality quality);
    void setShouldAntialias(bool shouldAntialias);
    // Part of the graphics state: text is filled, outlined (with the stroke
    // colour and the line width and join), both, or not drawn.
    void setTextDrawingMode(TextDrawingMode mode);

    void beginPath();
    void moveToPoint(Point point);
    void addLineToPoint(Point point);
    void addCurveToPoint(Point control1, Point control2, Point end);
    void addQuadCurveToPoint(Point control, Point end);
    void addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise);
    void addRect(Rect rect);
    void addEllipseInRect(Rect rect);
    void addPath(const Path& path);
    void closePath();
    bool isPathEmpty() const;

    void fillPath();
    void eoFillPath();
    void strokePath();
    void drawPath(PathDrawingMode mode);
    void fillRect(Rect rect);
    void strokeRect(Rect rect);
    // Makes the rectangle transparent, whatever the blend mode.
    void clearRect(Rect rect);
    void fillEllipseInRect(Rect rect);
    void strokeEllipseInRect(Rect rect);

    // Intersects the clip with the current path (consumed) or a rectangle.
    void clip();
    void eoClip();
    void clipToRect(Rect rect);
    // The clip's bounds in user space.
    Rect getClipBoundingBox() const;

    // Draws the picture upright (its orientation applied) stretched into rect,
    // with the context's blend mode and alpha, or the given ones.
    void drawImage(const Image& image, Rect rect);
    void drawImage(const Image& image, Rect rect, BlendMode mode, double alpha);
    void drawImageAtPoint(const Image& image, Point point);

    void drawLinearGradient(const Gradient& gradient, Point start, Point end, unsigned options);
    void drawRadialGradient(const Gradient& gradient, Point startCenter, double startRadius, Point endCenter,
        double endRadius, unsigned options);

    // Text in the fill colour, through pango. Within rect: wrapped or cut by
    // the break mode, aligned, clipped to the rectangle; returns the size used.
    Size drawText(
        const std::string& text, Rect rect, const Font& font, LineBreakMode lineBreakMode, TextAlignment alignment);
    // One line from point (the top left of the line).
    Size drawText(const std::string& text, Point point, const Font& font);
    // One line from point with letterSpacing points after every character
    // (sizeOfSpacedText).
    Size drawSpacedText(const std::string& text, Point point, const Font& font, double letterSpacing);
    // How texts are drawn from now on: as asked (the default), left out (a
    // picture of what lies behind them), or all in black or all in white
    // (pictures of their shapes alone). Texts not drawn as asked are laid
    // out as ever and each goes to the listener too.
    void setTextInk(TextInk ink, std::function<void(const DrawnText&)> listener = {});

    // A copy of the pixels as an image of the context's scale.
    std::shared_ptr<Image> makeImage() const;
    // The pixels themselves as an image, without a copy; the context draws
    // nothing afterwards (drawing calls are ignored).
    std::shared_ptr<Image> takeImage();

    struct Impl;
    Impl& impl() { return *_impl; }

private:
    explicit GraphicsContext(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> _impl;
};

}  // namespace plat
