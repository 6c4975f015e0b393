#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Result.h"
#include "render/LookSheetPageViewController.h"

namespace plat {
class Asset;
class Switch;
}  // namespace plat

namespace zt {
class ConfigurationCell;
class EffectSelectionViewController;
class ForegroundSelectViewController;
class ProjectModel;
class ThemeSelectViewController;

// The "Theme" page of the movie look sheet: the theme and foreground
// choosers, the first/last frame as card background, the fades, the colour
// effect and the cinema mask. Each change is stored in the metadata at once
// (with RecordNeedsRendering) and announced to the frame editor. The title
// bar switches to the "Outline" page. Layout "ThemeSettingsViewController".
// Main thread; a background import writes its picture on its own queue.
class ThemeSettingsViewController : public LookSheetPageViewController {
public:
    enum Section : int64_t {
        SectionTheme = 0,
        SectionForeground = 1,
        SectionFade = 2,
        SectionEffect = 3,
        SectionMask = 4,
        SectionCount = 5
    };
    static constexpr double kCarouselRowHeight = 90;
    static constexpr double kSwitchRowHeight = 44;
    static constexpr double kMaskFormat = 2.35;
    static constexpr int32_t kBackgroundMaxResolution = 1920;
    static constexpr const char* kBackgroundFile = "theme_background.jpg";
    static constexpr const char* kImportQueueLabel = "com.quorvane.chromakey_importqueue";

    // initWithNibName:bundle:project:
    ThemeSettingsViewController(std::string nibName, std::shared_ptr<ProjectModel> project);
    ~ThemeSettingsViewController() override;

    int32_t showPageAtStart() const { return _showPageAtStart; }
    void setShowPageAtStart(int32_t page) { _showPageAtStart = page; }
    const std::shared_ptr<ThemeSelectViewController>& themeController() const { return _themeController; }
    const std::shared_ptr<ForegroundSelectViewController>& foregroundController() const
    {
        return _foregroundController;
    }
    const std::shared_ptr<EffectSelectionViewController>& effectController() const { return _effectController; }

    void actionUpload() override;
    void actionUseFrameAsBackground(plat::Switch& sender);
    void actionFadeIn(plat::Switch& sender);
    void actionFadeOut(plat::Switch& sender);
    void actionMask(plat::Switch& sender);
    void actionImportBackground(plat::Switch& sender);
    void importImageAsThemeBackground();

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    int64_t numberOfSectionsInTableView(plat::TableView&) override { return SectionCount; }
    int64_t tableViewNumberOfRowsInSection(plat::TableView&, int64_t section) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(plat::TableView&, plat::IndexPath path) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    std::shared_ptr<plat::View> tableViewViewForHeaderInSection(plat::TableView&, int64_t section) override;

private:
    // Stores the switch's state; when it cannot be stored the switch goes
    // back and the person hears why.
    void storeSwitch(plat::Switch& sender, const char* key, const char* notification);
    plat::Result<void> markNeedsRendering();
    void importAsset(const std::shared_ptr<plat::Asset>& asset);

    std::shared_ptr<ProjectModel> _project;
    std::shared_ptr<ThemeSelectViewController> _themeController;
    std::shared_ptr<EffectSelectionViewController> _effectController;
    std::shared_ptr<ForegroundSelectViewController> _foregroundController;
    std::shared_ptr<ConfigurationCell> _tmpCell;
    int32_t _showPageAtStart = 0;
};

// The look sheet's page layout.
void registerThemeSettingsLayouts();

}  // namespace zt
