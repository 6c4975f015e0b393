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

// The contrast of the text that view draws against what lies behind it in
// the window: the window is pictured with the view and with the view
// hidden; where the two differ most are the cores of the text's strokes
// (anti-aliased edges differ less and are left out), and the second
// picture gives what is behind those same pixels, whatever the panel, the
// dimming and the picture under them make of it. scale: pixels per point.
inline TextContrast measureTextContrast(Window& window, View& view, double scale)
{
    TextContrast measured;
    auto shown = snapshotWindow(window, scale);
    const bool wasHidden = view.isHidden();
    view.setHidden(true);
    auto behind = snapshotWindow(window, scale);
    view.setHidden(wasHidden);
    if (!shown || !behind)
        return measured;
    const Bitmap& withText = *shown->bitmap();
    const Bitmap& withoutText = *behind->bitmap();
    const Rect area = view.convertRect(view.bounds(), nullptr);
    const int left = std::max(0, static_cast<int>(std::floor(area.minX() * scale)));
    const int top = std::max(0, static_cast<int>(std::floor(area.minY() * scale)));
    const int right = std::min(withText.width(), static_cast<int>(std::ceil(area.maxX() * scale)));
    const int bottom = std::min(withText.height(), static_cast<int>(std::ceil(area.maxY() * scale)));
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

}  // namespace plat::test
