#include "greenscreen/ChromaKeyBackgroundConfigurationViewController.h"

#include "greenscreen/ChromaKeyConfigurationDelegate.h"
#include "greenscreen/ChromaKeyThemeBackgroundConfigurationViewController.h"

namespace zt {

namespace {

constexpr int64_t kPhotoRollRow = 0;
constexpr int64_t kLastFrameRow = 1;
constexpr int64_t kThemeRow = 2;

}  // namespace

ChromaKeyBackgroundConfigurationViewController::ChromaKeyBackgroundConfigurationViewController()
    : ChromaKeyListViewController("Background",
        {
            {"Photo Roll", "chromakey_icon_album", plat::TableViewCellAccessoryType::DisclosureIndicator},
            {"Last Frame", "chromakey_icon_frame", plat::TableViewCellAccessoryType::None},
            {"Theme", "chromakey_icon_theme", plat::TableViewCellAccessoryType::DisclosureIndicator},
        })
{
}

void ChromaKeyBackgroundConfigurationViewController::didSelectRow(int64_t row)
{
    if (row == kThemeRow) {
        auto themes = std::make_shared<ChromaKeyThemeBackgroundConfigurationViewController>();
        themes->setDelegate(delegate());
        pushScreen(themes);
        return;
    }
    auto camera = delegate();
    if (!camera)
        return;
    if (row == kPhotoRollRow)
        camera->didSelectChangeBackDrop(*this);
    else if (row == kLastFrameRow)
        camera->didSelectUseFrameAsBackdrop(*this);
}

}  // namespace zt
