#include "platform/ui/scripting/ContrastCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ColorContrast.h"
#include "platform/graphics/Image.h"
#include "platform/ui/CollectionViewCell.h"
#include "platform/ui/Control.h"
#include "platform/ui/Layer.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/scripting/PictureStandIns.h"
#include "platform/ui/scripting/ViewDescription.h"

namespace plat::scripting {

namespace {

using detail::describe;
using detail::filmedPictures;
using detail::intersection;
using detail::isBehindBackdrop;
using detail::isShown;
using detail::plainPictureLike;
using detail::ShownPicture;
using detail::StandInPictures;
using detail::viewHolding;
using detail::visiblePartOf;

// Texts are measured at the screen's own pixels: thin strokes need them.
constexpr double kPixelsPerPoint = 2;
constexpr double kLeastRatio = 4.5;
constexpr double kLeastLargeTextRatio = 3;
constexpr double kLargeTextPoints = 18;
constexpr double kLargeBoldTextPoints = 14;
// The pictures put in place of what is filmed: a pale sky, a night.
constexpr double kLightPictureWhite = 0.92;
constexpr double kDarkPictureWhite = 0.08;
// Below this alpha a text's colour draws nothing (a label kept clear on purpose).
constexpr double kVisibleTextAlpha = 0.05;
// A stroke's core: pixels the text covers at least this share as much as
// the most covered pixel of their piece (anti-aliased edges blend with what
// is behind, and would make thin strokes look fainter than their colour).
constexpr double kCoreShare = 0.9;
// Of the cores, those that differ from what is behind them at least this
// share as much as the most different one.
constexpr double kShowingShare = 0.5;
// A piece of the text counts when it holds at least this share of the ink
// of the busiest piece (less is the edge of a letter of the next piece), a
// pixel covered at least this much, and this many core pixels.
constexpr double kPieceShare = 0.25;
constexpr double kLeastCoverage = 0.5;
constexpr int64_t kLeastCorePixels = 4;
// Runs of one text in one drawing closer than this are one text (a shadow
// drawn under it).
constexpr double kSameTextPoints = 4;
// Ratios closer than this are the same: the picture does not show behind the text.
constexpr double kSameRatio = 0.01;
// The pictures are drawn this far around the texts.
constexpr double kAreaMarginPoints = 2;
// Longer texts are cut to this many characters in messages.
constexpr int64_t kQuotedCharacters = 40;

struct Backdrop {
    const char* name = "";  // empty: the screen as it is
    std::vector<ShownPicture> standIns = {};
    std::shared_ptr<Image> withTexts = nullptr;
    std::shared_ptr<Image> withoutTexts = nullptr;
};

// One text of one drawing: its runs joined.
struct Text {
    TextOnScreen shown;
    Rect frame;
};

std::vector<Text> joinedTexts(const std::vector<TextOnScreen>& runs)
{
    std::vector<Text> texts;
    for (const TextOnScreen& run : runs) {
        if (run.color.alpha() < kVisibleTextAlpha || run.frame.isEmpty())
            continue;
        auto same = std::find_if(texts.begin(), texts.end(), [&](const Text& text) {
            const Rect near = makeRect(text.frame.minX() - kSameTextPoints, text.frame.minY() - kSameTextPoints,
                text.frame.width() + 2 * kSameTextPoints, text.frame.height() + 2 * kSameTextPoints);
            return text.shown.text == run.text && text.shown.layer.lock() == run.layer.lock()
                && !intersection(near, run.frame).isEmpty();
        });
        if (same == texts.end()) {
            texts.push_back({run, run.frame});
            continue;
        }
        const double left = std::min(same->frame.minX(), run.frame.minX());
        const double top = std::min(same->frame.minY(), run.frame.minY());
        const double right = std::max(same->frame.maxX(), run.frame.maxX());
        const double bottom = std::max(same->frame.maxY(), run.frame.maxY());
        same->frame = {{left, top}, {right - left, bottom - top}};
        // The colour kept is the one drawn last: a shadow goes first.
        same->shown.color = run.color;
        same->shown.font = run.font;
    }
    return texts;
}

bool isLargeText(const Font& font)
{
    return font.pointSize() >= kLargeTextPoints
        || (font.pointSize() >= kLargeBoldTextPoints && font.weight() == Font::Weight::Bold);
}

// Inactive parts of the screen need not be read: the text of a disabled
// control or of a row that takes no touches, and the caption beside a
// disabled control in an item of its own (a menu's icon and its title),
// which a person reads as part of it.
bool isOfDisabledControl(const View& view)
{
    for (const View* v = &view; v; v = v->superview().get()) {
        if (auto* control = dynamic_cast<const Control*>(v); control && !control->isEnabled())
            return true;
        const bool isRow = dynamic_cast<const TableViewCell*>(v) || dynamic_cast<const CollectionViewCell*>(v);
        if (isRow && !v->isUserInteractionEnabled())
            return true;
    }
    auto holder = view.superview();
    if (!holder)
        return false;
    int controls = 0;
    for (const auto& sibling : holder->subviews()) {
        auto* control = dynamic_cast<const Control*>(sibling.get());
        if (control && control->isEnabled())
            return false;
        controls += control != nullptr;
    }
    return controls > 0;
}

bool isShownWithHolders(const View& view)
{
    for (const View* v = &view; v; v = v->superview().get())
        if (!isShown(*v))
            return false;
    return true;
}

// The relative luminance of a pixel of the screen's picture.
double luminanceAt(const Bitmap& bitmap, const uint8_t* pixel)
{
    const bool rgba = bitmap.order() == PixelOrder::RGBA;
    return relativeLuminance(pixel[rgba ? 0 : 2], pixel[1], pixel[rgba ? 2 : 0]);
}

int difference(const uint8_t* p, const uint8_t* q)
{
    return std::max({std::abs(p[0] - q[0]), std::abs(p[1] - q[1]), std::abs(p[2] - q[2])});
}

struct Piece {
    int left, top, right, bottom;
    double ink = 0;  // the share of its pixels the text covers, summed
    double most = 0;  // the most any of its pixels is covered
};

// How much of the pixel the texts cover, 0 to 1: the texts drawn all white
// and all black differ there by that share of the whole range.
double coverageAt(const Bitmap& white, const Bitmap& black, int x, int y)
{
    return difference(white.row(y) + 4 * x, black.row(y) + 4 * x) / 255.0;
}

// The lowest contrast of the text's pieces in area (window points), or none
// when the text covers no pixel there (something else is drawn over it).
std::optional<double> lowestContrast(const Image& withText, const Image& withoutText, const Image& whiteTexts,
    const Image& blackTexts, Rect area, double pointSize)
{
    const Bitmap& shown = *withText.bitmap();
    const Bitmap& behind = *withoutText.bitmap();
    const Bitmap& white = *whiteTexts.bitmap();
    const Bitmap& black = *blackTexts.bitmap();
    const int width = std::min({shown.width(), behind.width(), white.width(), black.width()});
    const int height = std::min({shown.height(), behind.height(), white.height(), black.height()});
    const int left = std::max(0, static_cast<int>(std::floor(area.minX() * kPixelsPerPoint)));
    const int top = std::max(0, static_cast<int>(std::floor(area.minY() * kPixelsPerPoint)));
    const int right = std::min(width, static_cast<int>(std::ceil(area.maxX() * kPixelsPerPoint)));
    const int bottom = std::min(height, static_cast<int>(std::ceil(area.maxY() * kPixelsPerPoint)));
    if (right <= left || bottom <= top || shown.order() != behind.order())
        return std::nullopt;
    // Pieces about a letter wide, a line of letters high.
    const int side = std::max(4, static_cast<int>(std::lround(pointSize * kPixelsPerPoint)));
    std::vector<Piece> pieces;
    for (int y = top; y < bottom; y += side)
        for (int x = left; x < right; x += side)
            pieces.push_back({x, y, std::min(x + side, right), std::min(y + side, bottom)});
    double busiest = 0;
    for (Piece& piece : pieces) {
        for (int y = piece.top; y < piece.bottom; ++y)
            for (int x = piece.left; x < piece.right; ++x) {
                const double covered = coverageAt(white, black, x, y);
                piece.ink += covered;
                piece.most = std::max(piece.most, covered);
            }
        busiest = std::max(busiest, piece.ink);
    }
    std::optional<double> lowest;
    for (const Piece& piece : pieces) {
        if (piece.ink < kPieceShare * busiest || piece.most < kLeastCoverage)
            continue;
        // The strokes' cores, and of those, where the text shows most: a
        // shadow drawn with the text, and lost in what is behind it, is no
        // part of what reads (a dark one under pale text is).
        int most = 0;
        for (int y = piece.top; y < piece.bottom; ++y)
            for (int x = piece.left; x < piece.right; ++x)
                if (coverageAt(white, black, x, y) >= kCoreShare * piece.most)
                    most = std::max(most, difference(shown.row(y) + 4 * x, behind.row(y) + 4 * x));
        double textSum = 0;
        double behindSum = 0;
        int64_t cores = 0;
        for (int y = piece.top; y < piece.bottom; ++y) {
            const uint8_t* p = shown.row(y);
            const uint8_t* q = behind.row(y);
            for (int x = piece.left; x < piece.right; ++x) {
                if (coverageAt(white, black, x, y) < kCoreShare * piece.most
                    || difference(p + 4 * x, q + 4 * x) < kShowingShare * most)
                    continue;
                textSum += luminanceAt(shown, p + 4 * x);
                behindSum += luminanceAt(behind, q + 4 * x);
                ++cores;
            }
        }
        if (cores < kLeastCorePixels)
            continue;
        const double ratio
            = contrastRatio(textSum / static_cast<double>(cores), behindSum / static_cast<double>(cores));
        lowest = lowest ? std::min(*lowest, ratio) : ratio;
    }
    return lowest;
}

std::string quoted(const std::string& text)
{
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    if (lengthInUtf16(line) > kQuotedCharacters)
        line = substringToIndex(line, kQuotedCharacters) + "...";
    return "\"" + line + "\"";
}

// "4.52:1"
std::string ratioText(double ratio)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f:1", ratio);
    return text;
}

}  // namespace

std::vector<std::string> contrastFaults(Window& window)
{
    window.layoutIfNeeded();
    const Rect screen = window.bounds();
    std::vector<Backdrop> backdrops;
    const auto filmed = filmedPictures(window);
    if (filmed.empty()) {
        backdrops.push_back({""});
    } else {
        for (const auto& [name, white] : {std::pair {"over a light picture", kLightPictureWhite},
                 std::pair {"over a dark picture", kDarkPictureWhite}}) {
            Backdrop backdrop {name};
            for (const ShownPicture& picture : filmed)
                if (auto plain = plainPictureLike(*picture.picture, Color::colorWithWhite(white, 1)))
                    backdrop.standIns.push_back({picture.layer, plain});
            backdrops.push_back(std::move(backdrop));
        }
    }
    // Where the texts are, found by drawing the screen without them; the
    // pictures are drawn there only (a screen drawn whole is slow).
    const auto runs = redrawWindowTexts(window, TextInk::LeftOut);
    std::vector<Rect> areas;
    for (const TextOnScreen& run : runs)
        areas.push_back(makeRect(run.frame.minX() - kAreaMarginPoints, run.frame.minY() - kAreaMarginPoints,
            run.frame.width() + 2 * kAreaMarginPoints, run.frame.height() + 2 * kAreaMarginPoints));
    if (areas.empty())
        return {};
    for (Backdrop& backdrop : backdrops) {
        StandInPictures standIns(backdrop.standIns);
        backdrop.withoutTexts = snapshotWindowWithin(window, kPixelsPerPoint, areas);
    }
    (void)redrawWindowTexts(window, TextInk::White);
    const auto whiteTexts = snapshotWindowWithin(window, kPixelsPerPoint, areas);
    (void)redrawWindowTexts(window, TextInk::Black);
    const auto blackTexts = snapshotWindowWithin(window, kPixelsPerPoint, areas);
    (void)redrawWindowTexts(window, TextInk::AsAsked);
    for (Backdrop& backdrop : backdrops) {
        StandInPictures standIns(backdrop.standIns);
        backdrop.withTexts = snapshotWindowWithin(window, kPixelsPerPoint, areas);
    }
    if (!whiteTexts || !blackTexts)
        return {"no picture of the screen to look at"};

    const auto views = detail::viewsByLayer(window);
    std::vector<std::string> faults;
    for (const Text& text : joinedTexts(runs)) {
        auto layer = text.shown.layer.lock();
        auto view = layer ? viewHolding(*layer, views) : nullptr;
        if (!view || !isShownWithHolders(*view) || isOfDisabledControl(*view) || isBehindBackdrop(*view, screen))
            continue;
        const Rect area = intersection(text.frame, visiblePartOf(*view));
        if (area.isEmpty())
            continue;
        const double least = isLargeText(text.shown.font) ? kLeastLargeTextRatio : kLeastRatio;
        std::optional<double> lowest;
        std::optional<double> highest;
        const char* where = "";
        for (const Backdrop& backdrop : backdrops) {
            if (!backdrop.withTexts || !backdrop.withoutTexts)
                continue;
            auto ratio = lowestContrast(*backdrop.withTexts, *backdrop.withoutTexts, *whiteTexts, *blackTexts, area,
                text.shown.font.pointSize());
            if (!ratio)
                continue;
            highest = highest ? std::max(*highest, *ratio) : *ratio;
            if (!lowest || *ratio < *lowest) {
                lowest = ratio;
                where = backdrop.name;
            }
        }
        const bool seenSomewhere = lowest.has_value();
        // The picture is named only where it shows behind the text.
        if (seenSomewhere && *highest - *lowest < kSameRatio)
            where = "";
        // A text something else is drawn over is the layout check's to name.
        if (!seenSomewhere)
            continue;
        const std::string named = quoted(text.shown.text) + " in " + describe(*view);
        if (*lowest < least)
            faults.push_back(named + " stands out " + ratioText(*lowest) + (*where ? " " : "") + where + ", less than "
                + ratioText(least));
    }
    return faults;
}

}  // namespace plat::scripting
