#pragma once
// The device's font families and the installed families that draw them.
#include <string>
#include <vector>

namespace plat {
class Font;
}

namespace plat::detail {

// One family of the device's fonts. Its stand-in is an installed family of
// the same kind: metric-compatible where one exists (Helvetica, Arial, Times
// New Roman, Courier, Courier New), else the closest design (Century
// Schoolbook for Georgia, a geometric sans for Avenir, a casual hand for the
// marker and chalk faces). Only the Courier, Courier New and Menlo families
// are monospaced, on the device and here.
struct FontFamilyRecord {
    const char* name;
    const char* standIn;
    std::vector<const char*> faces;  // the first is the family's regular face
};

const std::vector<FontFamilyRecord>& deviceFontFamilies();

// Font names match without regard to case.
bool sameFontName(const std::string& name, const char* other);

// The family called name, spaces aside ("Courier New", "CourierNew"); null when none is.
const FontFamilyRecord* familyNamed(const std::string& name);

// The family of a face name ("Georgia-Bold"), a family name ("Marker Felt"),
// or a family name followed by a style ("Courier New Bold", "HelveticaNeue-Medium");
// the longest family name wins. Null for a name of no family here.
const FontFamilyRecord* familyOfFontName(const std::string& name);

// The installed face that pango actually draws a font with, after
// fontconfig's matching: a family that is not installed comes back as
// whatever fontconfig substitutes.
struct DrawingFace {
    std::string family;
    bool monospace = false;
};
DrawingFace drawingFaceOf(const Font& font);

}  // namespace plat::detail
