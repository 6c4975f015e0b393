#pragma once
#include <string>

#include "platform/foundation/Geometry.h"

namespace plat {

// A font as the platform names one, drawn by an installed family of the
// same kind: the device's families by their stand-ins (FontFamilies.h),
// other names by DejaVu ("Courier", "Mono" or "Menlo" in the name: DejaVu
// Sans Mono; "Times", "Georgia" or "Serif": DejaVu Serif; else DejaVu Sans),
// the system fonts by DejaVu Sans. "Bold" and "Italic"/"Oblique" in the
// name choose the style, "Light", "Thin" and "Ultralight" the light face.
// Sizes are in points. Any thread (value type).
class Font {
public:
    enum class Weight { Regular, Bold, Light };
    enum class Slant { Upright, Italic };

    static Font systemFontOfSize(double pointSize);
    static Font boldSystemFontOfSize(double pointSize);
    static Font italicSystemFontOfSize(double pointSize);
    static Font fontWithName(const std::string& fontName, double pointSize);

    const std::string& fontName() const { return _fontName; }
    // The installed family that draws it.
    const std::string& familyName() const { return _familyName; }
    double pointSize() const { return _pointSize; }
    Weight weight() const { return _weight; }
    Slant slant() const { return _slant; }
    Font fontWithSize(double pointSize) const;

    // Metrics in points, from the font files.
    double ascender() const;
    double descender() const;  // negative, below the baseline
    double lineHeight() const;
    // The room the font's designer puts between lines, beyond the line height.
    double leading() const;

    friend bool operator==(const Font&, const Font&) = default;

private:
    Font(std::string fontName, std::string familyName, double pointSize, Weight weight, Slant slant);

    std::string _fontName;
    std::string _familyName;
    double _pointSize;
    Weight _weight;
    Slant _slant;
};

// How text that does not fit its width is broken or cut, with the platform's numbers.
enum class LineBreakMode : int {
    WordWrapping = 0,
    CharWrapping = 1,
    Clipping = 2,
    TruncatingHead = 3,
    TruncatingTail = 4,
    TruncatingMiddle = 5,
};

// The platform's alignments on iOS: left 0, centre 1, right 2.
enum class TextAlignment : int { Left = 0, Center = 1, Right = 2 };

// The size text takes on one line, or wrapped within constrainedSize (a
// height of 0 or less means unlimited), in points, rounded up as the platform does.
Size sizeWithFont(const std::string& text, const Font& font);
Size sizeWithFont(const std::string& text, const Font& font, Size constrainedSize, LineBreakMode lineBreakMode);
// One line with letterSpacing points added after every character, the last
// one included, as a web page spaces letters; rounded up.
Size sizeOfSpacedText(const std::string& text, const Font& font, double letterSpacing);

}  // namespace plat
