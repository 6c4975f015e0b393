#include "greenscreen/ChromaKeyColorConfigurationViewController.h"

#include "greenscreen/ChromaKeyConfigurationDelegate.h"
#include "platform/graphics/Color.h"

namespace zt {

namespace {

constexpr int64_t kAutodetectRow = 0;
constexpr int64_t kGreenRow = 1;
constexpr int64_t kBlueRow = 2;

}  // namespace

ChromaKeyColorConfigurationViewController::ChromaKeyColorConfigurationViewController()
    // The same title as the backdrop screen's.
    : ChromaKeyListViewController("Background",
        {
            {"Autodetect", "chromakey_icon_autodetect"},
            {"Green", "chromakey_icon_green"},
            {"Blue", "chromakey_icon_blue"},
        })
{
}

void ChromaKeyColorConfigurationViewController::didSelectRow(int64_t row)
{
    auto camera = delegate();
    if (!camera)
        return;
    if (row == kAutodetectRow)
        camera->didSelectChangeAutoChromaKeyColor(*this);
    else if (row == kGreenRow)
        camera->didSelectChangeChromaKeyColor(*this, plat::Color::colorWithRed(0, 1, 0, 1));
    else if (row == kBlueRow)
        camera->didSelectChangeChromaKeyColor(*this, plat::Color::colorWithRed(0, 0, 1, 1));
}

}  // namespace zt
