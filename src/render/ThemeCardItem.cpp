#include "render/ThemeCardItem.h"

#include "document/Frame.h"
#include "render/ThemeCardPages.h"

namespace zt {

std::vector<ThemeCardItem> ThemeCardItem::galleryItems()
{
    struct Run {
        int first;
        int last;
        int frameType;
    };
    std::vector<ThemeCardItem> items;
    for (Run run : {Run {50, 64, FrameTypePicture}, Run {20, 24, FrameTypeThemeCard}, Run {1, 8, FrameTypeThemeCard}})
        for (int card = run.first; card <= run.last; ++card)
            items.push_back({themeBackgroundName(card), themeThumbName(card), run.frameType, card});
    return items;
}

}  // namespace zt
