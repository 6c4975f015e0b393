#pragma once
#include <string>
#include <vector>

#include "platform/foundation/Value.h"

namespace zt {
class ProjectDataWrapper;

// The keys of the outline texts (the movie's name, star, studio and five
// credits) with the text each shows while the person has typed none.
struct OutlinePlaceholder {
    std::string key;
    std::string placeholder;
};

// In the form's order; the placeholders localized where the form localizes them.
std::vector<OutlinePlaceholder> outlinePlaceholders();
// The outline the cards show while none is stored: every placeholder, with
// the project's title (or the default title) as the movie's name. Main queue.
plat::Dictionary getPlaceholderOutline(ProjectDataWrapper& project);

}  // namespace zt
