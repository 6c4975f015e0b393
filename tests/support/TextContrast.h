#pragma once
// How well a text stands out from what is behind it, measured on the
// window's picture the way a person sees it (header only: the test binaries
// that include it link the UI stand-in through their library).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ColorContrast.h"
#include "platform/graphics/Image.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "support/Pixels.h"

namespace plat::test {

inline double relativeLuminance(const Rgba& colour)
{
    return plat::relativeLuminance(
        static_cast<uint8_t>(colour[0]), static_cast<uint8_t>(colour[1]), static_cast<uint8_t>(colour[2]));
}

struct TextContrast {
    double ratio = 0;
    // The pixels taken as the text's strokes; none when the view drew nothing there.
    int64_t strokePixels = 0;
    double textLuminance = 0;
    double backgroundLuminance = 0;
};

// The contrast of the text that lies where two pictures of the same place
// differ, one with the text and one without, within the pixels from (left,
// top) up to (right, bottom): where the two differ most are the cores of the
// text's strokes (anti-aliased edges differ less and are left out), and the
// picture without the text gives what is behind those same pixels.
inline TextContrast measureTextContrast(
    const Bitmap& withText, const Bitmap& withoutText, int left, int top, int right, int bottom)
{
    TextContrast measured;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min({right, withText.width(), withoutText.width()});
    bottom = std::min({bottom, withText.height(), withoutText.height()});
    struct Sample {
        int difference;
        Rgba text;
        Rgba background;
    };
    std::vector<Sample> samples;
    int largest = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const Rgba text = pixelAt(withText, x, y);
            const Rgba background = pixelAt(withoutText, x, y);
            const int difference = componentDistance(text, background);
            if (difference == 0)
                continue;
            largest = std::max(largest, difference);
            samples.push_back({difference, text, background});
        }
    }
    // The strokes' cores: pixels changed by at least three quarters of the most.
    double textSum = 0, backgroundSum = 0;
    for (const Sample& sample : samples) {
        if (4 * sample.difference < 3 * largest)
            continue;
        textSum += relativeLuminance(sample.text);
        backgroundSum += relativeLuminance(sample.background);
        ++measured.strokePixels;
    }
    if (measured.strokePixels == 0)
        return measured;
    measured.textLuminance = textSum / static_cast<double>(measured.strokePixels);
    measured.backgroundLuminance = backgroundSum / static_cast<double>(measured.strokePixels);
    measured.ratio = contrastRatio(measured.textLuminance, measured.backgroundLuminance);
    return measured;
}

// The window pictured with the view and with the view hidden: what the
// view draws, and whatever the panel, the dimming and the picture under it
// make of what is behind. Either is none when the window cannot be drawn.
struct WithAndWithoutView {
    std::shared_ptr<Image> shown;
    std::shared_ptr<Image> behind;
};
inline WithAndWithoutView pictureWithAndWithout(Window& window, View& view, double scale)
{
    WithAndWithoutView pictures;
    pictures.shown = snapshotWindow(window, scale);
    const bool wasHidden = view.isHidden();
    view.setHidden(true);
    pictures.behind = snapshotWindow(window, scale);
    view.setHidden(wasHidden);
    return pictures;
}

// The contrast of the text that view draws against what lies behind it in
// the window. scale: pixels per point.
inline TextContrast measureTextContrast(Window& window, View& view, double scale)
{
    auto [shown, behind] = pictureWithAndWithout(window, view, scale);
    if (!shown || !behind)
        return {};
    const Rect area = view.convertRect(view.bounds(), nullptr);
    return measureTextContrast(*shown->bitmap(), *behind->bitmap(), static_cast<int>(std::floor(area.minX() * scale)),
        static_cast<int>(std::floor(area.minY() * scale)), static_cast<int>(std::ceil(area.maxX() * scale)),
        static_cast<int>(std::ceil(area.maxY() * scale)));
}

// A piece of text found where two pictures differ: a word or a few (a run
// of a line's columns between gaps wider than a quarter of the line's
// height), in pixels, with its own contrast.
struct TextPiece {
    int left = 0, top = 0, right = 0, bottom = 0;
    TextContrast contrast;
};

// Every piece of text that lies where the two pictures differ, top to
// bottom and left to right: the lines are the runs of rows that differ,
// each cut into pieces at its wide gaps, so that a word over a light part of
// the picture is measured apart from one over a dark part.
inline std::vector<TextPiece> measureTextPieces(const Bitmap& withText, const Bitmap& withoutText)
{
    const int width = std::min(withText.width(), withoutText.width());
    const int height = std::min(withText.height(), withoutText.height());
    auto differs = [&](int x, int y) { return pixelAt(withText, x, y) != pixelAt(withoutText, x, y); };
    auto rowDiffers = [&](int y) {
        for (int x = 0; x < width; ++x)
            if (differs(x, y))
                return true;
        return false;
    };
    std::vector<TextPiece> pieces;
    for (int y = 0; y < height;) {
        if (!rowDiffers(y)) {
            ++y;
            continue;
        }
        const int top = y;
        while (y < height && rowDiffers(y))
            ++y;
        const int bottom = y;
        auto columnDiffers = [&](int x) {
            for (int row = top; row < bottom; ++row)
                if (differs(x, row))
                    return true;
            return false;
        };
        const int widestGap = std::max(1, (bottom - top) / 4);
        int left = -1, gap = 0;
        for (int x = 0; x <= width; ++x) {
            const bool inText = x < width && columnDiffers(x);
            if (inText) {
                if (left < 0)
                    left = x;
                gap = 0;
                continue;
            }
            if (left < 0)
                continue;
            if (++gap <= widestGap && x < width)
                continue;
            TextPiece piece {left, top, x - gap + 1, bottom, {}};
            piece.contrast
                = measureTextContrast(withText, withoutText, piece.left, piece.top, piece.right, piece.bottom);
            pieces.push_back(piece);
            left = -1;
            gap = 0;
        }
    }
    return pieces;
}

// Every piece of the text that view draws, measured against what lies
// behind it in the window, as measureTextContrast pictures it. scale: pixels
// per point.
inline std::vector<TextPiece> measureTextPieces(Window& window, View& view, double scale)
{
    auto [shown, behind] = pictureWithAndWithout(window, view, scale);
    if (!shown || !behind)
        return {};
    return measureTextPieces(*shown->bitmap(), *behind->bitmap());
}

}  // namespace plat::test
