#include "editor/ThemeSettingsViewController.h"

#include "capture/APAlbumPickerController.h"
#include "document/FailureAlerts.h"
#include "document/ProjectModel.h"
#include "editor/ConfigurationCell.h"
#include "editor/EffectSelectionViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/library/Asset.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"
#include "render/ForegroundSelectViewController.h"
#include "render/LookNotifications.h"
#include "render/OutlineViewController.h"
#include "render/ThemeSelectViewController.h"
#include "uikit/TintedNavigationController.h"
#include "uikit/UIImageResize.h"

namespace zt {

namespace {

constexpr const char* kNeedsRenderingKey = "RecordNeedsRendering";
constexpr const char* kUseFrameAsBackgroundKey = "META_RECORD_THEME_USE_FRAME_AS_BG";
constexpr const char* kFadeInKey = "META_RECORD_THEME_FADE_IN";
constexpr const char* kFadeOutKey = "META_RECORD_THEME_FADE_OUT";
constexpr const char* kMaskKey = "META_RECORD_ASPECT_RATIO_MASK";
constexpr const char* kMaskFormatKey = "META_RECORD_ASPECT_RATIO_MASK_FORMAT";
const plat::Color kSwitchOnColour = plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1);

const char* const kSectionTitles[] = {"Theme", "Foreground", "Fade", "Effect", "Mask"};
constexpr int64_t kRowsPerSection[] = {2, 1, 2, 1, 1};

using SwitchAction = void (ThemeSettingsViewController::*)(plat::Switch&);

struct SwitchRow {
    const char* title;
    const char* key;
    SwitchAction action;
};

std::optional<SwitchRow> switchRowAt(plat::IndexPath path)
{
    using Page = ThemeSettingsViewController;
    if (path.section == Page::SectionTheme && path.row == 1)
        return SwitchRow {
            "Use first/last frame as background", kUseFrameAsBackgroundKey, &Page::actionUseFrameAsBackground};
    if (path.section == Page::SectionFade && path.row == 0)
        return SwitchRow {"Fade in from black", kFadeInKey, &Page::actionFadeIn};
    if (path.section == Page::SectionFade && path.row == 1)
        return SwitchRow {"Fade out to black", kFadeOutKey, &Page::actionFadeOut};
    if (path.section == Page::SectionMask && path.row == 0)
        return SwitchRow {"Cinema Mode (2.35:1)", kMaskKey, &Page::actionMask};
    return std::nullopt;
}

// The page's layout: a plain table; the rows come from its data source.
std::shared_ptr<plat::View> buildThemeSettings(plat::ViewController&)
{
    auto table = std::make_shared<plat::TableView>(plat::makeRect(0, 0, 320, 480), plat::TableViewStyle::Plain);
    table->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    table->setBackgroundColor(plat::Color::whiteColor());
    return table;
}

}  // namespace

void registerThemeSettingsLayouts()
{
    plat::LayoutRegistry::registerLayout("ThemeSettingsViewController", buildThemeSettings);
}

ThemeSettingsViewController::ThemeSettingsViewController(std::string nibName, std::shared_ptr<ProjectModel> project)
    : LookSheetPageViewController(std::move(nibName), Page::Theme)
    , _project(std::move(project))
{
}

ThemeSettingsViewController::~ThemeSettingsViewController() = default;

void ThemeSettingsViewController::viewDidLoad()
{
    LookSheetPageViewController::viewDidLoad();
    auto table = tableView();
    table->setBackgroundView(nullptr);
    table->setSeparatorColor(plat::Color::clearColor());
    table->setScrollEnabled(true);
    setUpSheetBar();
    _themeController = std::make_shared<ThemeSelectViewController>(_project);
    _effectController = std::make_shared<EffectSelectionViewController>(_project);
    _foregroundController = std::make_shared<ForegroundSelectViewController>(_project);
    if (_showPageAtStart == 1)
        actionUpload();
}

void ThemeSettingsViewController::viewWillAppear(bool animated)
{
    LookSheetPageViewController::viewWillAppear(animated);
    auto table = tableView();
    if (table->numberOfSections() > 0 && table->numberOfRowsInSection(0) > 0)
        table->scrollToRowAtIndexPath({SectionTheme, 0}, plat::TableViewScrollPosition::Middle, /*animated=*/false);
}

int64_t ThemeSettingsViewController::tableViewNumberOfRowsInSection(plat::TableView&, int64_t section)
{
    return section >= 0 && section < SectionCount ? kRowsPerSection[section] : 0;
}

std::optional<double> ThemeSettingsViewController::tableViewHeightForRowAtIndexPath(
    plat::TableView&, plat::IndexPath path)
{
    return switchRowAt(path) ? kSwitchRowHeight : kCarouselRowHeight;
}

std::shared_ptr<plat::View> ThemeSettingsViewController::tableViewViewForHeaderInSection(
    plat::TableView&, int64_t section)
{
    if (section < 0 || section >= SectionCount)
        return nullptr;
    return makeSectionHeader(kSectionTitles[section]);
}

std::shared_ptr<plat::TableViewCell> ThemeSettingsViewController::tableViewCellForRowAtIndexPath(
    plat::TableView&, plat::IndexPath path)
{
    _tmpCell
        = std::dynamic_pointer_cast<ConfigurationCell>(plat::LayoutRegistry::loadNibNamed("ConfigurationCell", *this));
    auto cell = std::move(_tmpCell);
    if (!cell) {
        plat::log("look sheet: the layout ConfigurationCell gave no settings cell");
        return std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, "Cell");
    }
    cell->setBackgroundColor(plat::Color::whiteColor());
    cell->setSelectionStyle(plat::TableViewCellSelectionStyle::None);
    const auto& toggle = cell->switchOnOff();
    if (toggle)
        toggle->setOnTintColor(kSwitchOnColour);
    if (auto row = switchRowAt(path)) {
        if (cell->labelTitle())
            cell->labelTitle()->setText(plat::localized(row->title));
        if (toggle) {
            auto metadata = _project ? _project->getMetaData() : std::nullopt;
            toggle->setHidden(false);
            toggle->setOn(metadata && metadata->getBool(row->key).value_or(false));
            toggle->addTarget(this, row->action, plat::ControlEventTouchUpInside);
        }
        return cell;
    }
    if (cell->labelTitle())
        cell->labelTitle()->setText(std::string());
    if (toggle)
        toggle->setHidden(true);
    const double width = cell->bounds().width();
    std::shared_ptr<plat::View> chooser;
    if (path.section == SectionTheme) {
        chooser = _themeController->view();
        chooser->setFrame(plat::makeRect(0, 0, width, chooser->frame().height()));
    } else if (path.section == SectionForeground) {
        chooser = _foregroundController->view();
        chooser->setFrame(plat::makeRect(0, 0, width, chooser->frame().height()));
    } else {
        // The cell's frame as the table will give it: made cells are not placed yet.
        chooser = _effectController->view();
        chooser->setFrame(plat::makeRect(0, 0, width, kCarouselRowHeight));
    }
    chooser->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    cell->contentView()->addSubview(chooser);
    return cell;
}

plat::Result<void> ThemeSettingsViewController::markNeedsRendering()
{
    if (!_project)
        return plat::Error("ThemeSettingsViewController", 1, "There is no project.");
    return _project->changeMetaData({{kNeedsRenderingKey, true}});
}

void ThemeSettingsViewController::storeSwitch(plat::Switch& sender, const char* key, const char* notification)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    ProjectModel::MetaDataChange change {{key, sender.isOn()}, {kNeedsRenderingKey, true}};
    if (std::string_view(key) == kMaskKey)
        change.emplace_back(kMaskFormatKey, kMaskFormat);
    auto stored = _project ? _project->changeMetaData(change)
                           : plat::Result<void>(plat::Error("ThemeSettingsViewController", 1, "There is no project."));
    if (!stored.ok()) {
        plat::log("look sheet: {} is not stored: {}", key, stored.error().description());
        sender.setOn(!sender.isOn(), /*animated=*/true);
        showFailureAlert(plat::localized("The setting could not be saved."), stored.error());
        return;
    }
    plat::NotificationCenter::defaultCenter().post(notification, this);
}

void ThemeSettingsViewController::actionUseFrameAsBackground(plat::Switch& sender)
{
    storeSwitch(sender, kUseFrameAsBackgroundKey, ThemeDidChangeNotification);
}

void ThemeSettingsViewController::actionFadeIn(plat::Switch& sender)
{
    storeSwitch(sender, kFadeInKey, FadeInOutDidChangeNotification);
}

void ThemeSettingsViewController::actionFadeOut(plat::Switch& sender)
{
    storeSwitch(sender, kFadeOutKey, FadeInOutDidChangeNotification);
}

void ThemeSettingsViewController::actionMask(plat::Switch& sender)
{
    storeSwitch(sender, kMaskKey, AspectRatioMaskDidChangeNotification);
}

void ThemeSettingsViewController::actionImportBackground(plat::Switch& sender)
{
    if (sender.isOn()) {
        importImageAsThemeBackground();
        return;
    }
    if (auto marked = markNeedsRendering(); !marked.ok()) {
        sender.setOn(true, /*animated=*/true);
        showFailureAlert(plat::localized("The setting could not be saved."), marked.error());
    }
}

void ThemeSettingsViewController::actionUpload()
{
    auto navigation = navigationController();
    if (!navigation)
        return;
    navigation->pushViewController(
        std::make_shared<OutlineViewController>("OutlineViewController", _project), /*animated=*/false);
}

void ThemeSettingsViewController::importImageAsThemeBackground()
{
    auto navigation = navigationController();
    if (!navigation)
        return;
    auto picker = std::make_shared<APAlbumPickerController>();
    picker->setMultiSelection(false);
    std::weak_ptr<ThemeSettingsViewController> weakSelf = sharedAs<ThemeSettingsViewController>();
    std::weak_ptr<plat::NavigationController> weakNavigation = navigation;
    picker->setDidFinishPickMedia([weakSelf, weakNavigation](const std::vector<std::shared_ptr<plat::Asset>>& assets) {
        if (auto presenter = weakNavigation.lock())
            presenter->dismissViewControllerAnimated(/*animated=*/true, nullptr);
        auto self = weakSelf.lock();
        if (!self || assets.empty() || !assets.front())
            return;  // an empty pick changes nothing
        self->importAsset(assets.front());
    });
    auto pickerNavigation = std::make_shared<TintedNavigationController>(picker);
    pickerNavigation->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
    navigation->presentViewController(pickerNavigation, /*animated=*/true, nullptr);
}

void ThemeSettingsViewController::importAsset(const std::shared_ptr<plat::Asset>& asset)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    // The folder is made here, on the main queue, so that the import queue
    // only writes its file and never changes the project.
    if (!_project->getProjectPath()) {
        auto made = _project->createFilePathForProject();
        if (!made.ok() || !_project->getProjectPath()) {
            plat::log("look sheet: the project has no folder for its background");
            if (!made.ok())
                showFailureAlert(plat::localized("The picture could not be saved."), made.error());
            return;
        }
    }
    const std::string path = plat::appendingPathComponent(*_project->getProjectPath(), kBackgroundFile);
    std::weak_ptr<ThemeSettingsViewController> weakSelf = sharedAs<ThemeSettingsViewController>();
    auto queue = plat::DispatchQueue::create(kImportQueueLabel);
    queue->async([queue, asset, path, weakSelf] {
        auto representation = asset->defaultRepresentation();
        auto stored = representation.fullResolutionImage();
        std::shared_ptr<plat::Image> upright;
        if (stored) {
            plat::Image picture(std::move(stored), 1.0, representation.orientation());
            upright = scaledAndRotatedImageWithMaxResolution(picture, kBackgroundMaxResolution);
        }
        auto data = upright ? plat::JPEGRepresentation(*upright, 1.0) : std::nullopt;
        auto written = data ? plat::writeFileAtomically(path, *data)
                            : plat::Result<void>(plat::Error("ThemeSettingsViewController", 2,
                                plat::localized("The chosen picture cannot be read.")));
        if (!written.ok())
            plat::log("look sheet: the chosen picture could not be stored as {}", kBackgroundFile);
        plat::DispatchQueue::mainQueue().async([weakSelf, written] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            auto marked = written.ok() ? self->markNeedsRendering() : written;
            if (!marked.ok()) {
                showFailureAlert(plat::localized("The picture could not be saved."), marked.error());
                return;
            }
            plat::NotificationCenter::defaultCenter().post(ThemeDidChangeNotification, self.get());
        });
    });
}

}  // namespace zt
