// The movie look from its screens to the exported movie: a theme chosen, the
// title typed, fades and the cinema mask switched on and a foreground
// chosen, then the movie rendered and its frames decoded by ffmpeg.
#include <gtest/gtest.h>

#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "editor/ConfigurationCell.h"
#include "editor/EditorTestSupport.h"
#include "editor/StripLayouts.h"
#include "editor/ThemeSettingsViewController.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/Button.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"
#include "render/ForegroundSelectViewController.h"
#include "render/LookNotifications.h"
#include "render/MovieExportType.h"
#include "render/OutlineViewController.h"
#include "render/ThemeMovieHandler.h"
#include "render/ThemeSelectViewController.h"
#include "render/ZantropeMovieRenderer.h"
#include "support/MediaTools.h"
#include "support/RunLoopWaiting.h"
#include "uikit/APInsetTextField.h"
#include "uikit/Carousel.h"
#include "uikit/QVNavigationController.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 360;
constexpr int kPictures = 10;
constexpr int kFPS = 5;
constexpr plat::test::Rgba kGrey {128, 128, 128, 255};

using Rgb = std::array<int, 3>;

class MovieLook : public zt::test::EditorScreens {
protected:
    void SetUp() override
    {
        zt::DataManager::sharedDataManager().resetToDefaultsForTesting();
        ASSERT_TRUE(zt::ProjectsList::replace({}));
        zt::registerStripLayouts();
        zt::ImageProducer producer(project);
        auto& list = project->getFrameList();
        for (int i = 0; i < kPictures; ++i) {
            zt::Frame frame(zt::FrameTypePicture);
            ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(320, 180, kGrey), frame.frameID()));
            list.insertFrame(frame, list.getCaptureIndex());
        }
        project->getMetaData()->set("RecordFPS", int64_t(kFPS));
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
        // What the frame editor does when the theme or the outline changes.
        for (const char* name : {zt::ThemeDidChangeNotification, zt::OutlineHasChangedNotification}) {
            observers.push_back(
                plat::NotificationCenter::defaultCenter().addObserver(name, nullptr, [this](const plat::Notification&) {
                    handler = std::make_shared<zt::ThemeMovieHandler>(project);
                    handler->renderTheme();
                    handler->updateMovie();
                }));
        }
        observers.push_back(plat::NotificationCenter::defaultCenter().addObserver(
            zt::ThemeRenderingFinishedNotification, nullptr, [this](const plat::Notification&) { ++cardsRendered; }));
    }
    void TearDown() override { zt::DataManager::sharedDataManager().resetToDefaultsForTesting(); }

    bool waitForCards(int count)
    {
        return plat::test::runMainLoopUntil([&] { return cardsRendered >= count; }, 60);
    }
    std::shared_ptr<zt::ConfigurationCell> cellAt(plat::TableView& table, int64_t section, int64_t row)
    {
        table.scrollToRowAtIndexPath({section, row}, plat::TableViewScrollPosition::Middle, /*animated=*/false);
        table.layoutIfNeeded();
        return std::dynamic_pointer_cast<zt::ConfigurationCell>(table.cellForRowAtIndexPath({section, row}));
    }
    void flip(plat::TableView& table, int64_t section, int64_t row)
    {
        auto cell = cellAt(table, section, row);
        ASSERT_TRUE(cell && cell->switchOnOff());
        ASSERT_TRUE(driver.tap(*cell->switchOnOff()));
        driver.wait(0);
    }

    std::shared_ptr<zt::ProjectModel> project = std::make_shared<zt::ProjectModel>(std::nullopt);
    std::shared_ptr<zt::ThemeMovieHandler> handler;
    std::vector<plat::ObserverToken> observers;
    int cardsRendered = 0;
};

Rgb pixel(const std::vector<uint8_t>& frame, int x, int y)
{
    const size_t at = (static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)) * 3;
    return {frame[at], frame[at + 1], frame[at + 2]};
}

bool near(Rgb colour, Rgb expected, int tolerance)
{
    for (size_t i = 0; i < 3; ++i)
        if (std::abs(colour[i] - expected[i]) > tolerance)
            return false;
    return true;
}

std::string describe(Rgb colour)
{
    return "(" + std::to_string(colour[0]) + ", " + std::to_string(colour[1]) + ", " + std::to_string(colour[2]) + ")";
}

TEST_F(MovieLook, TheExportedMovieShowsTheCardsFadesMaskAndForeground)
{
    auto settings = std::make_shared<zt::ThemeSettingsViewController>("ThemeSettingsViewController", project);
    auto sheet = std::make_shared<zt::QVNavigationController>(settings);
    sheet->view()->setFrame(plat::makeRect(0, 0, 568, 320));
    window->addSubview(sheet->view());
    driver.wait(0);
    auto table = settings->tableView();

    // Theme 1, chosen in its row: both cards rendered and put into the movie.
    settings->themeController()->carousel()->scrollToItemAtIndex(1, /*animated=*/true);
    driver.wait(1);
    ASSERT_TRUE(waitForCards(1));
    EXPECT_FALSE(settings->themeController()->isBusy());

    // The title typed on the outline page.
    settings->outlineButton()->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    driver.wait(0);
    auto outline = std::dynamic_pointer_cast<zt::OutlineViewController>(sheet->topViewController());
    ASSERT_TRUE(outline);
    auto outlineTable = outline->tableView();
    outlineTable->layoutIfNeeded();
    auto nameCell = std::dynamic_pointer_cast<zt::APTextFieldCell>(outlineTable->cellForRowAtIndexPath({0, 0}));
    ASSERT_TRUE(nameCell);
    ASSERT_TRUE(nameCell->rightTextField()->becomeFirstResponder());
    driver.type(" of Kites");
    outline->themeButton()->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    driver.wait(0);
    ASSERT_TRUE(waitForCards(2));
    EXPECT_EQ(project->getMetaData()->getString("RecordName"), "My Plovix Movie of Kites");

    // Fades, the cinema mask and the golden frame.
    flip(*table, 2, 0);
    flip(*table, 2, 1);
    flip(*table, 4, 0);
    settings->foregroundController()->carousel()->scrollToItemAtIndex(3, /*animated=*/true);
    driver.wait(1);
    ASSERT_EQ(project->getMetaData()->getInt64("META_RECORD_FOREGROUND"), 3);

    // 20 title entries, the pictures, the capture placeholder, 20 credits entries.
    const int64_t cardEntries = 4 * kFPS;
    ASSERT_EQ(project->getFrameList().count(), 2 * cardEntries + kPictures + 1);

    auto renderer = std::make_shared<zt::ZantropeMovieRenderer>(project);
    auto type = std::make_shared<zt::MovieExportType>(
        "MoviePreview", std::nullopt, plat::Size {kWidth, kHeight}, "com.apple.quicktime-movie", "mov");
    bool finished = false;
    renderer->exportProjectWithExportType(type, [&] { finished = true; });
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return finished; }, 120));
    ASSERT_EQ(renderer->status(), 3);
    const std::string path = renderer->exportURL()->path();
    if (const char* keep = std::getenv("ZT_KEEP_LOOK_MOVIE"))
        (void)plat::copyItem(path, keep, plat::ReplaceExisting::Yes);
    auto frames = plat::test::decodeVideoWithFFmpeg(plat::deletingLastPathComponent(path), path, kWidth, kHeight);
    // Every entry but the capture placeholder, and the last picture once more to close the movie.
    ASSERT_GE(frames.size(), static_cast<size_t>(2 * cardEntries + kPictures));

    const Rgb black {0, 0, 0};
    const int maskBar = (kHeight - static_cast<int>(kWidth / 2.35)) / 2;  // 44 rows
    // Fade in from black, fade out to black.
    EXPECT_TRUE(near(pixel(frames.front(), kWidth / 2, kHeight / 2), black, 12))
        << describe(pixel(frames.front(), kWidth / 2, kHeight / 2));
    EXPECT_TRUE(near(pixel(frames.back(), kWidth / 2, kHeight / 2), black, 24))
        << describe(pixel(frames.back(), kWidth / 2, kHeight / 2));
    for (size_t index : {size_t(12), size_t(cardEntries + 4), frames.size() - 13}) {
        const auto& frame = frames[index];
        // The mask's bars over every frame, the picture open between them.
        EXPECT_TRUE(near(pixel(frame, kWidth / 2, maskBar / 2), black, 12)) << index;
        EXPECT_TRUE(near(pixel(frame, kWidth / 2, kHeight - maskBar / 2), black, 12)) << index;
        // The golden frame at the left and right edges inside the mask.
        Rgb edge = pixel(frame, 6, kHeight / 2);
        EXPECT_GT(edge[0], 150) << index << " " << describe(edge);
        EXPECT_GT(edge[0], edge[2] + 60) << index << " " << describe(edge);
    }
    // A picture keeps its grey inside the frame; the cards show their theme instead.
    EXPECT_TRUE(near(pixel(frames[cardEntries + 4], kWidth / 2, kHeight / 2), {128, 128, 128}, 16))
        << describe(pixel(frames[cardEntries + 4], kWidth / 2, kHeight / 2));
    for (size_t index : {size_t(12), frames.size() - 13}) {
        int differing = 0;
        for (int y = maskBar + 10; y < kHeight - maskBar - 10; y += 8)
            for (int x = 40; x < kWidth - 40; x += 8)
                differing += near(pixel(frames[index], x, y), {128, 128, 128}, 16) ? 0 : 1;
        EXPECT_GT(differing, 500) << "card frame " << index << " shows its page and background";
    }
}

}  // namespace
