#include "editor/ThemeSettingsViewController.h"

#include <cstdlib>

#include "capture/APAlbumPickerController.h"
#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "editor/ConfigurationCell.h"
#include "editor/EditorTestSupport.h"
#include "editor/EffectSelectionViewController.h"
#include "editor/StripLayouts.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/library/Asset.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "render/ForegroundSelectViewController.h"
#include "render/LookNotifications.h"
#include "render/OutlineViewController.h"
#include "render/ThemeSelectViewController.h"
#include "support/Idioms.h"
#include "support/RunLoopWaiting.h"
#include "uikit/APTextFieldCell.h"
#include "uikit/QVNavigationController.h"

namespace {

using zt::ThemeSettingsViewController;

class Recorder {
public:
    explicit Recorder(const char* name)
        : _token(plat::NotificationCenter::defaultCenter().addObserver(
            name, nullptr, [this](const plat::Notification& notification) {
                senders.push_back(notification.object);
                mainThread.push_back(plat::isMainThread());
            }))
    {
    }
    std::vector<const void*> senders;
    std::vector<bool> mainThread;

private:
    plat::ObserverToken _token;
};

// The settings page in its sheet, lowered over the bottom of a phone as the
// frame editor shows it, for a saved project of one picture.
class ThemeSettings : public zt::test::EditorScreens {
protected:
    explicit ThemeSettings(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : EditorScreens(idiom)
    {
    }
    void SetUp() override
    {
        zt::DataManager::sharedDataManager().resetToDefaultsForTesting();
        ASSERT_TRUE(zt::ProjectsList::replace({}));
        zt::registerStripLayouts();
        zt::Frame frame(zt::FrameTypePicture, "P");
        project->getFrameList().insertFrame(frame, 0);
        zt::ImageProducer producer(project);
        ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(320, 180, {200, 30, 30, 255}), "P"));
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
    }
    void TearDown() override { zt::DataManager::sharedDataManager().resetToDefaultsForTesting(); }

    void show(int32_t page = 0)
    {
        settings = std::make_shared<ThemeSettingsViewController>("ThemeSettingsViewController", project);
        settings->setShowPageAtStart(page);
        sheet = std::make_shared<zt::QVNavigationController>(settings);
        sheet->view()->setFrame(plat::makeRect(0, 150, 568, 170));
        window->addSubview(sheet->view());
        driver.wait(0);
    }
    std::shared_ptr<zt::ConfigurationCell> cellAt(int64_t section, int64_t row)
    {
        auto table = settings->tableView();
        table->scrollToRowAtIndexPath({section, row}, plat::TableViewScrollPosition::Middle, /*animated=*/false);
        table->layoutIfNeeded();
        return std::dynamic_pointer_cast<zt::ConfigurationCell>(table->cellForRowAtIndexPath({section, row}));
    }
    // Taps the row's switch as a finger would.
    void flip(int64_t section, int64_t row)
    {
        auto cell = cellAt(section, row);
        ASSERT_TRUE(cell && cell->switchOnOff());
        ASSERT_TRUE(driver.tap(*cell->switchOnOff()));
        driver.wait(0);
    }
    std::string projectFile(const std::string& name) const
    {
        return plat::appendingPathComponent(*project->getProjectPath(), name);
    }
    plat::Dictionary stored() const
    {
        auto bytes = plat::readFile(projectFile("plovix.meta"));
        if (!bytes.ok())
            return {};
        auto value = plat::PropertyListSerialization::propertyListWithData(bytes.value());
        return value.ok() ? value.value().asDictionary().value_or(plat::Dictionary()) : plat::Dictionary();
    }
    void setStored(const std::string& key, plat::Value value)
    {
        project->getMetaData()->set(key, std::move(value));
        ASSERT_TRUE(project->saveMetaDataToDisk().ok());
    }

    std::shared_ptr<zt::ProjectModel> project = std::make_shared<zt::ProjectModel>(std::nullopt);
    std::shared_ptr<ThemeSettingsViewController> settings;
    std::shared_ptr<zt::QVNavigationController> sheet;
    Recorder themeChanges {zt::ThemeDidChangeNotification};
    Recorder fades {zt::FadeInOutDidChangeNotification};
    Recorder masks {zt::AspectRatioMaskDidChangeNotification};
    Recorder dones {zt::ThemeDoneNotification};
};

TEST_F(ThemeSettings, FiveSectionsOfChoosersAndSwitchesAllOffForANewProject)
{
    show();
    auto table = settings->tableView();
    ASSERT_EQ(table->numberOfSections(), 5);
    const int64_t rows[] = {2, 1, 2, 1, 1};
    for (int64_t section = 0; section < 5; ++section)
        EXPECT_EQ(table->numberOfRowsInSection(section), rows[section]) << section;
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 0}).height(), 90);
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 1}).height(), 44);
    EXPECT_EQ(table->rectForRowAtIndexPath({3, 0}).height(), 90);
    EXPECT_EQ(table->rectForHeaderInSection(2).height(), 40);

    const std::pair<plat::IndexPath, std::string> switches[] = {{{0, 1}, "Use first/last frame as background"},
        {{2, 0}, "Fade in from black"}, {{2, 1}, "Fade out to black"}, {{4, 0}, "Cinema Mode (2.35:1)"}};
    for (const auto& [path, title] : switches) {
        auto cell = cellAt(path.section, path.row);
        ASSERT_TRUE(cell) << title;
        EXPECT_EQ(cell->labelTitle()->text(), title);
        EXPECT_FALSE(cell->switchOnOff()->isHidden());
        EXPECT_FALSE(cell->switchOnOff()->isOn()) << title;
    }
    auto themeRow = cellAt(0, 0);
    ASSERT_TRUE(themeRow);
    EXPECT_TRUE(themeRow->switchOnOff()->isHidden());
    EXPECT_TRUE(settings->themeController()->view()->isDescendantOfView(*themeRow));
    EXPECT_TRUE(settings->foregroundController()->view()->isDescendantOfView(*cellAt(1, 0)));
    EXPECT_TRUE(settings->effectController()->view()->isDescendantOfView(*cellAt(3, 0)));
}

TEST_F(ThemeSettings, StoredSwitchesShowOn)
{
    setStored("META_RECORD_THEME_FADE_OUT", true);
    setStored("META_RECORD_ASPECT_RATIO_MASK", true);
    show();
    EXPECT_TRUE(cellAt(2, 1)->switchOnOff()->isOn());
    EXPECT_TRUE(cellAt(4, 0)->switchOnOff()->isOn());
    EXPECT_FALSE(cellAt(2, 0)->switchOnOff()->isOn());
}

TEST_F(ThemeSettings, EachSwitchIsStoredAtOnceAndAnnounced)
{
    setStored("RecordNeedsRendering", false);
    show();
    flip(2, 0);
    EXPECT_EQ(stored().getBool("META_RECORD_THEME_FADE_IN"), true);
    EXPECT_EQ(stored().getBool("RecordNeedsRendering"), true);
    ASSERT_EQ(fades.senders.size(), 1u);
    EXPECT_EQ(fades.senders[0], settings.get());

    flip(2, 1);
    EXPECT_EQ(stored().getBool("META_RECORD_THEME_FADE_OUT"), true);
    EXPECT_EQ(fades.senders.size(), 2u);

    flip(0, 1);
    EXPECT_EQ(stored().getBool("META_RECORD_THEME_USE_FRAME_AS_BG"), true);
    EXPECT_EQ(themeChanges.senders.size(), 1u);
    EXPECT_TRUE(masks.senders.empty());
}

TEST_F(ThemeSettings, TheMaskSwitchWritesItsFormatBothWays)
{
    show();
    flip(4, 0);
    EXPECT_EQ(stored().getBool("META_RECORD_ASPECT_RATIO_MASK"), true);
    EXPECT_EQ(stored().getDouble("META_RECORD_ASPECT_RATIO_MASK_FORMAT"), 2.35);
    setStored("META_RECORD_ASPECT_RATIO_MASK_FORMAT", 1.0);
    flip(4, 0);
    EXPECT_EQ(stored().getBool("META_RECORD_ASPECT_RATIO_MASK"), false);
    EXPECT_EQ(stored().getDouble("META_RECORD_ASPECT_RATIO_MASK_FORMAT"), 2.35) << "also when turned off";
    EXPECT_EQ(masks.senders.size(), 2u);
    EXPECT_TRUE(fades.senders.empty());
}

TEST_F(ThemeSettings, OpeningOnTheOutlineAndBackWithItsThemeTitle)
{
    show(1);
    auto outline = std::dynamic_pointer_cast<zt::OutlineViewController>(sheet->topViewController());
    ASSERT_TRUE(outline) << "the outline page first";
    EXPECT_EQ(sheet->viewControllers().size(), 2u);
    outline->themeButton()->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    driver.wait(0);
    EXPECT_EQ(sheet->topViewController(), settings);

    settings->outlineButton()->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    driver.wait(0);
    EXPECT_TRUE(std::dynamic_pointer_cast<zt::OutlineViewController>(sheet->topViewController()));
}

// Whether the bar button's picture has the chevron's point at the top (open) or the bottom (close).
bool pointsUp(const plat::BarButtonItem& item)
{
    const auto& picture = item.image();
    return picture && plat::test::pixelAt(*picture, 15, 11)[3] > 128 && plat::test::pixelAt(*picture, 15, 19)[3] < 64;
}

TEST_F(ThemeSettings, TogglingTheSizeTwiceComesBackWithTheMatchingButton)
{
    show();
    auto before = settings->navigationItem()->leftBarButtonItem();
    ASSERT_TRUE(before);
    EXPECT_TRUE(pointsUp(*before)) << "lowered: the open picture";
    settings->actionChangeSize();
    driver.wait(1);
    EXPECT_EQ(sheet->view()->frame(), plat::makeRect(0, 0, 568, 320));
    EXPECT_FALSE(pointsUp(*settings->navigationItem()->leftBarButtonItem())) << "raised: the close picture";
    settings->navigationItem()->leftBarButtonItem()->sendAction();
    driver.wait(1);
    EXPECT_EQ(sheet->view()->frame(), plat::makeRect(0, 150, 568, 170));
    EXPECT_TRUE(pointsUp(*settings->navigationItem()->leftBarButtonItem()));
}

TEST_F(ThemeSettings, DoneAsksTheEditorToCloseTheSheet)
{
    show();
    EXPECT_TRUE(settings->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::PortraitUpsideDown));
    settings->navigationItem()->rightBarButtonItem()->sendAction();
    ASSERT_EQ(dones.senders.size(), 1u);
    EXPECT_EQ(dones.senders[0], settings.get());
}

TEST_F(ThemeSettings, AnImportedBackgroundIsStoredUprightAndAtMost1920Wide)
{
    setStored("RecordNeedsRendering", false);
    show();
    // A photo of 2400 x 1200 in the library, as the album picker hands it over.
    const std::string photoPath = sandbox.path("IMG_0001.JPG");
    auto photo = plat::test::makeFlatImage(2400, 1200, {30, 160, 60, 255});
    auto bytes = plat::JPEGRepresentation(*photo, 0.9);
    ASSERT_TRUE(bytes && plat::writeFileAtomically(photoPath, *bytes).ok());
    plat::PhotoAsset record;
    record.path = photoPath;
    record.fileName = "IMG_0001.JPG";
    auto asset = std::make_shared<plat::Asset>(record);

    settings->importImageAsThemeBackground();
    driver.wait(1);
    auto pickerNavigation = std::dynamic_pointer_cast<plat::NavigationController>(sheet->presentedViewController());
    ASSERT_TRUE(pickerNavigation);
    EXPECT_EQ(pickerNavigation->modalPresentationStyle(), plat::ModalPresentationStyle::FormSheet);
    auto picker = std::dynamic_pointer_cast<zt::APAlbumPickerController>(pickerNavigation->topViewController());
    ASSERT_TRUE(picker);
    EXPECT_FALSE(picker->isMultiSelection());
    picker->didFinishPickMedia()({asset});
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !themeChanges.senders.empty(); }));
    EXPECT_EQ(themeChanges.mainThread, std::vector<bool> {true});
    driver.wait(1);
    EXPECT_FALSE(sheet->presentedViewController()) << "the picker went";
    auto background = plat::Image::imageWithContentsOfFile(projectFile("theme_background.jpg"));
    ASSERT_TRUE(background);
    EXPECT_EQ(background->size(), (plat::Size {1920, 960}));
    EXPECT_EQ(stored().getBool("RecordNeedsRendering"), true);
}

TEST_F(ThemeSettings, AnEmptyPickChangesNothing)
{
    setStored("RecordNeedsRendering", false);
    show();
    settings->importImageAsThemeBackground();
    driver.wait(1);
    auto pickerNavigation = std::dynamic_pointer_cast<plat::NavigationController>(sheet->presentedViewController());
    ASSERT_TRUE(pickerNavigation);
    auto picker = std::dynamic_pointer_cast<zt::APAlbumPickerController>(pickerNavigation->topViewController());
    ASSERT_TRUE(picker);
    picker->didFinishPickMedia()({});
    driver.wait(1);
    EXPECT_TRUE(themeChanges.senders.empty());
    EXPECT_FALSE(plat::fileExists(projectFile("theme_background.jpg")));
    EXPECT_EQ(stored().getBool("RecordNeedsRendering"), false);
}

TEST_F(ThemeSettings, TheBackgroundSwitchOffOnlyMarksTheMovieForRendering)
{
    setStored("RecordNeedsRendering", false);
    show();
    auto toggle = std::make_shared<plat::Switch>(plat::makeRect(0, 0, 51, 31));
    toggle->setOn(false);
    settings->actionImportBackground(*toggle);
    EXPECT_EQ(stored().getBool("RecordNeedsRendering"), true);
    EXPECT_FALSE(sheet->presentedViewController());
}

TEST_F(ThemeSettings, LooksLikeItsPictureRaisedOnAPhone)
{
    setStored("META_RECORD_THEME", int64_t(3));
    setStored("META_RECORD_THEME_FADE_IN", true);
    show();
    settings->actionChangeSize();
    driver.wait(2);
    auto picture = plat::snapshotWindow(*window, 1);
    ASSERT_TRUE(picture);
    auto comparison = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/editor/theme-settings-phone.png"), sandbox.path("pictures"));
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
}

class TabletThemeSettings : public ThemeSettings {
protected:
    TabletThemeSettings()
        : ThemeSettings(plat::UserInterfaceIdiom::Pad)
    {
    }
};

TEST_F(TabletThemeSettings, TheSheetRisesToTheFullTabletAndComesBackTo476)
{
    settings = std::make_shared<ThemeSettingsViewController>("ThemeSettingsViewController", project);
    sheet = std::make_shared<zt::QVNavigationController>(settings);
    auto editorView = std::make_shared<plat::View>(plat::makeRect(0, 0, 1024, 768));
    window->addSubview(editorView);
    sheet->view()->setFrame(plat::makeRect(0, 476, 1024, 292));
    editorView->addSubview(sheet->view());
    driver.wait(0);
    // The title bar sits 5 points lower on a tablet.
    EXPECT_EQ(settings->themeButton()->frame().minY(), 11);
    settings->actionChangeSize();
    driver.wait(1);
    EXPECT_EQ(sheet->view()->frame(), plat::makeRect(0, 0, 1024, 768));
    settings->actionChangeSize();
    driver.wait(1);
    EXPECT_EQ(sheet->view()->frame(), plat::makeRect(0, 476, 1024, 292));
}

// Opened on its outline (a tap on a title card), lowered as the frame
// editor places the sheet on either device.
class OutlineAtStart : public ThemeSettings, public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    OutlineAtStart()
        : ThemeSettings(GetParam())
    {
    }
    void showOnTheOutline()
    {
        const bool tablet = GetParam() == plat::UserInterfaceIdiom::Pad;
        settings = std::make_shared<ThemeSettingsViewController>("ThemeSettingsViewController", project);
        settings->setShowPageAtStart(1);
        sheet = std::make_shared<zt::QVNavigationController>(settings);
        // As the editor brings it: from below the screen, 170 high, up to its place.
        const plat::Rect screen = window->bounds();
        const double top = tablet ? 476 : 150;
        sheet->view()->setFrame(plat::makeRect(0, screen.height(), screen.width(), 170));
        window->addSubview(sheet->view());
        auto sheetView = sheet->view();
        plat::View::animateWithDuration(
            0.25, [&] { sheetView->setFrame(plat::makeRect(0, top, screen.width(), screen.height() - top)); });
        driver.wait(1);
    }
    plat::test::PictureComparison compare()
    {
        auto picture = plat::snapshotWindow(*window, 1);
        if (!picture)
            return {};
        const std::string name = GetParam() == plat::UserInterfaceIdiom::Pad ? "tablet" : "phone";
        return plat::test::compareWithReferencePicture(*picture,
            plat::test::sourcePath("tests/data/editor/look-outline-" + name + ".png"), sandbox.path("pictures"));
    }
};

TEST_P(OutlineAtStart, ShowsTheOutlineAloneWithEveryFieldUncovered)
{
    showOnTheOutline();
    auto result = compare();
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_P(OutlineAtStart, AMissingCaptionFailsTheComparison)
{
    if (const char* update = std::getenv("ZT_UPDATE_REFERENCE_PICTURES"); update && std::string(update) == "1")
        GTEST_SKIP() << "it would write the reference";
    showOnTheOutline();
    auto outline = std::dynamic_pointer_cast<zt::OutlineViewController>(sheet->topViewController());
    ASSERT_TRUE(outline);
    auto cell = std::dynamic_pointer_cast<zt::APTextFieldCell>(
        outline->tableView()->cellForRowAtIndexPath(plat::IndexPath::indexPathForRow(0, 0)));
    ASSERT_TRUE(cell);
    cell->leftLabel()->setHidden(true);
    EXPECT_FALSE(compare().matches) << "without \"Movie Name:\"";
}

INSTANTIATE_TEST_SUITE_P(BothIdioms, OutlineAtStart, plat::test::bothIdioms(), plat::test::idiomName);

}  // namespace
