#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Font.h"

namespace plat {

// The fonts "installed" on the device: the families the app names
// (Helvetica, Helvetica Neue, Avenir, Avenir Next, Arial, Courier, Courier
// New, Georgia, Times New Roman, Menlo, Marker Felt, Chalkduster), each
// drawn by an installed family of its kind with that family's real metrics
// (detail::deviceFontFamilies). A name that is neither a face nor a family
// here gives none, as the platform's look-up does; names match without
// regard to case. Any thread.
class FontCatalog {
public:
    static std::optional<Font> fontWithName(const std::string& name, double pointSize);
    static std::vector<std::string> familyNames();
    static std::vector<std::string> fontNamesForFamilyName(const std::string& familyName);
};

}  // namespace plat
