// Coach marks: shown once per name across runs through the help state
// file, faded in and out on the clock, told to the delegate once the fade
// is over, and placed by the quarter of the screen their spot lies in.
#include <gtest/gtest.h>

#include "editor/EditorTestSupport.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "support/FailingWrites.h"
#include "uikit/HelpManager.h"
#include "uikit/HelpManagerDelegate.h"
#include "uikit/HelpStateFile.h"
#include "uikit/VerticallyAlignedLabel.h"

namespace {

using zt::HelpManager;
using zt::HelpStateFile;

class FinishCounter : public zt::HelpManagerDelegate {
public:
    void helpManangerDidFinish(HelpManager& helpManager) override { finished.push_back(helpManager.name()); }
    std::vector<std::string> finished;
};

class CoachMark : public zt::test::EditorScreens {
protected:
    CoachMark()
    {
        host = std::make_shared<plat::View>(window->bounds());
        window->addSubview(host);
    }

    // The caller's sequence: sized to the host, placed, added, faded in.
    std::shared_ptr<HelpManager> present(const std::string& name, plat::Point spot = {400, 80}, uint64_t next = 2)
    {
        auto coachMark = HelpManager::initWithName(name);
        if (!coachMark)
            return nullptr;
        coachMark->view()->setFrame(host->bounds());
        coachMark->setDelegate(delegate);
        coachMark->setPositionNextBtn(next);
        coachMark->setPositionLabel(spot);
        host->addSubview(coachMark->view());
        coachMark->show();
        // Touches pass it by while it fades in.
        driver.wait(0.25);
        return coachMark;
    }

    void writeStateFile(std::string_view bytes)
    {
        ASSERT_TRUE(plat::writeFileAtomically(HelpStateFile::path(), bytes).ok());
    }

    plat::Dictionary storedState()
    {
        return plat::dictionaryWithContentsOfFile(HelpStateFile::path()).value_or(plat::Dictionary());
    }

    std::shared_ptr<plat::View> host;
    std::shared_ptr<FinishCounter> delegate = std::make_shared<FinishCounter>();
};

TEST_F(CoachMark, IsShownUntilNextAndThenNeverAgainInThisOrALaterRun)
{
    auto coachMark = present("Timeline");
    ASSERT_TRUE(coachMark);
    EXPECT_FALSE(plat::fileExists(HelpStateFile::path())) << "nothing is recorded by showing";
    ASSERT_TRUE(driver.tap(*coachMark->outlets().btnNext));
    driver.wait(0.25);  // the fade out

    EXPECT_EQ(storedState(), (plat::Dictionary {{"Timeline", plat::Value(true)}}));
    EXPECT_FALSE(HelpManager::initWithName("Timeline"));
    // The record is only the file: read anew, as the next run of the app would.
    auto bytes = plat::readFile(HelpStateFile::path());
    ASSERT_TRUE(bytes.ok());
    ASSERT_TRUE(plat::removeItem(HelpStateFile::path()).ok());
    ASSERT_TRUE(plat::writeFileAtomically(HelpStateFile::path(), bytes.value()).ok());
    EXPECT_FALSE(HelpManager::initWithName("Timeline"));
    EXPECT_TRUE(HelpManager::initWithName("Media")) << "other names are still due";
}

TEST_F(CoachMark, OnlyYesCountsAsShown)
{
    auto list = plat::Dictionary {{"Timeline", plat::Value(false)}, {"Media", plat::Value(true)},
        {"Speed", plat::Value(int64_t(1))}, {"Effects", plat::Value("YES")}};
    ASSERT_TRUE(
        plat::writePropertyListFile(plat::Value(list), HelpStateFile::path(), plat::PropertyListFormat::Binary).ok());
    EXPECT_TRUE(HelpManager::initWithName("Timeline")) << "NO";
    EXPECT_FALSE(HelpManager::initWithName("Media")) << "YES";
    EXPECT_FALSE(HelpManager::initWithName("Speed")) << "a number that is not 0, as the platform reads it";
    EXPECT_TRUE(HelpManager::initWithName("Effects")) << "not a boolean";
    EXPECT_TRUE(HelpManager::initWithName("CopyPaste")) << "missing";
}

TEST_F(CoachMark, RecordingKeepsTheOtherNamesAndWhatTheyHold)
{
    auto list = plat::Dictionary {{"Mask", plat::Value(true)}, {"Speed", plat::Value(false)}};
    ASSERT_TRUE(plat::writePropertyListFile(plat::Value(list), HelpStateFile::path()).ok());
    auto coachMark = present("Media");
    ASSERT_TRUE(coachMark);
    driver.tap(*coachMark->outlets().btnNext);
    driver.wait(0.25);  // the fade out
    EXPECT_EQ(storedState(),
        (plat::Dictionary {{"Mask", plat::Value(true)}, {"Speed", plat::Value(false)}, {"Media", plat::Value(true)}}));
}

TEST_F(CoachMark, ADamagedFileReadsAsNothingShownAndIsKeptBesideTheNewOne)
{
    const std::string damaged = "<?xml version=\"1.0\"?><plist><dict><key>Timeline</key><tr";
    writeStateFile(damaged);
    auto coachMark = present("Timeline");
    ASSERT_TRUE(coachMark) << "a file that cannot be read counts as empty";
    driver.tap(*coachMark->outlets().btnNext);
    driver.wait(0.25);  // the fade out

    EXPECT_EQ(storedState(), (plat::Dictionary {{"Timeline", plat::Value(true)}}));
    auto kept = plat::readFile(HelpStateFile::path() + HelpStateFile::kDamagedSuffix);
    ASSERT_TRUE(kept.ok()) << "the damaged file is set aside, not overwritten";
    EXPECT_EQ(std::string(kept.value().begin(), kept.value().end()), damaged);
}

TEST_F(CoachMark, AFileWhoseRootIsNotADictionaryIsDamagedToo)
{
    ASSERT_TRUE(
        plat::writePropertyListFile(plat::Value(plat::Array {plat::Value("Timeline")}), HelpStateFile::path()).ok());
    auto coachMark = present("Timeline");
    ASSERT_TRUE(coachMark);
    driver.tap(*coachMark->outlets().btnNext);
    driver.wait(0.25);  // the fade out
    EXPECT_EQ(storedState(), (plat::Dictionary {{"Timeline", plat::Value(true)}}));
    EXPECT_TRUE(plat::fileExists(HelpStateFile::path() + HelpStateFile::kDamagedSuffix));
}

TEST_F(CoachMark, AStateFileThatCannotBeWrittenStillLetsTheCoachMarkGo)
{
    plat::test::FailingWrites readOnly(HelpStateFile::kFileName, plat::detail::WriteFailurePoint::ReadOnly);
    auto coachMark = present("Speed");
    ASSERT_TRUE(coachMark);
    driver.tap(*coachMark->outlets().btnNext);
    driver.wait(0.25);  // the fade out
    EXPECT_FALSE(coachMark->view()->superview());
    EXPECT_EQ(delegate->finished, (std::vector<std::string> {"Speed"}));
    EXPECT_FALSE(plat::fileExists(HelpStateFile::path()));
    EXPECT_TRUE(HelpManager::initWithName("Speed")) << "not recorded: shown again next time";
}

TEST_F(CoachMark, FadesInFromAlmostClearOverADimmedBackground)
{
    auto coachMark = HelpManager::initWithName("Effects");
    ASSERT_TRUE(coachMark);
    EXPECT_DOUBLE_EQ(coachMark->view()->alpha(), HelpManager::kHiddenAlpha);
    EXPECT_EQ(coachMark->view()->backgroundColor(), plat::Color::colorWithWhite(0, 0.8));
    host->addSubview(coachMark->view());
    coachMark->show();
    EXPECT_DOUBLE_EQ(coachMark->view()->alpha(), 1.0);
}

TEST_F(CoachMark, NextFadesOutAndOnlyThenRecordsRemovesAndTellsTheDelegate)
{
    auto coachMark = present("CopyPaste");
    ASSERT_TRUE(coachMark);
    driver.tap(*coachMark->outlets().btnNext);
    EXPECT_TRUE(coachMark->isRemoving());
    EXPECT_DOUBLE_EQ(coachMark->view()->alpha(), 0.0);
    clock.advance(0.24);
    EXPECT_TRUE(delegate->finished.empty());
    EXPECT_EQ(coachMark->view()->superview(), host) << "still fading: it takes 0.25 s";
    EXPECT_FALSE(plat::fileExists(HelpStateFile::path()));
    clock.advance(0.02);
    EXPECT_EQ(delegate->finished, (std::vector<std::string> {"CopyPaste"}));
    EXPECT_FALSE(coachMark->view()->superview());
    EXPECT_TRUE(plat::fileExists(HelpStateFile::path()));
}

TEST_F(CoachMark, NextTwiceRecordsOnceAndTellsTheDelegateOnce)
{
    auto coachMark = present("ImageEdit");
    ASSERT_TRUE(coachMark);
    auto& next = *coachMark->outlets().btnNext;
    next.sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    clock.advance(0.1);
    next.sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    driver.wait(1);
    next.sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    driver.wait(1);
    EXPECT_EQ(delegate->finished, (std::vector<std::string> {"ImageEdit"}));
}

TEST_F(CoachMark, FinishesWhenItsOwnerLetsGoDuringTheFade)
{
    std::weak_ptr<HelpManager> watched;
    {
        auto coachMark = present("Mask");
        ASSERT_TRUE(coachMark);
        watched = coachMark;
        coachMark->outlets().btnNext->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    }
    driver.wait(0.25);  // the fade out
    EXPECT_EQ(delegate->finished, (std::vector<std::string> {"Mask"}));
    EXPECT_TRUE(host->subviews().empty());
    EXPECT_FALSE(HelpManager::initWithName("Mask"));
    EXPECT_TRUE(watched.expired()) << "nothing keeps it once it is gone";
}

TEST_F(CoachMark, TakesItsTextsFromTheHelpBundleAndShowsTheKeyOfAMissingText)
{
    auto timeline = HelpManager::initWithName("Timeline");
    ASSERT_TRUE(timeline);
    timeline->view();
    EXPECT_EQ(timeline->outlets().labelTitle->text(), "Timeline");
    EXPECT_EQ(
        timeline->outlets().labelDescription->text(), "Double-tap the frames to see the whole movie on the timeline.");
    EXPECT_EQ(timeline->outlets().btnNext->titleForState(plat::ControlStateNormal), "Next");

    auto unknown = HelpManager::initWithName("Unheard");
    ASSERT_TRUE(unknown);
    unknown->view();
    EXPECT_EQ(unknown->outlets().labelTitle->text(), "HELP_LABEL_1_TITLE_Unheard");
    EXPECT_EQ(unknown->outlets().labelDescription->text(), "HELP_LABEL_1_DESCRIPTION_Unheard");
}

TEST_F(CoachMark, TurnsWithTheDeviceEveryWay)
{
    auto coachMark = HelpManager::initWithName("Speed");
    ASSERT_TRUE(coachMark);
    for (auto orientation : {plat::InterfaceOrientation::Portrait, plat::InterfaceOrientation::PortraitUpsideDown,
             plat::InterfaceOrientation::LandscapeLeft, plat::InterfaceOrientation::LandscapeRight})
        EXPECT_TRUE(coachMark->shouldAutorotateToInterfaceOrientation(orientation));
}

struct Placement {
    plat::Point spot;
    const char* arrow;
    plat::Point arrowCentre;
    plat::Point descriptionCentre;
    plat::Point titleCentre;
    plat::TextAlignment alignment;
};

TEST_F(CoachMark, PlacesArrowAndTextsByTheQuarterOfTheSpot)
{
    // 568 x 320: the middle lines are x 284 and y 160, and a spot on them takes the first quarter tested.
    const Placement placements[] = {
        {{400, 80}, "help_arrow_right_up", {320, 130}, {180, 150}, {180, 100}, plat::TextAlignment::Right},
        {{284, 160}, "help_arrow_right_up", {204, 210}, {64, 230}, {64, 180}, plat::TextAlignment::Right},
        {{100, 80}, "help_arrow_left_up", {175, 130}, {300, 180}, {300, 130}, plat::TextAlignment::Left},
        {{400, 250}, "help_arrow_right_down", {365, 175}, {275, 150}, {275, 100}, plat::TextAlignment::Right},
        {{100, 250}, "help_arrow_left_down", {145, 175}, {290, 200}, {290, 150}, plat::TextAlignment::Left},
    };
    for (const Placement& expected : placements) {
        ASSERT_TRUE(plat::removeItemIfExists(HelpStateFile::path()).ok());
        auto coachMark = present("Effects", expected.spot);
        ASSERT_TRUE(coachMark);
        coachMark->view()->layoutIfNeeded();
        const auto& outlets = coachMark->outlets();
        const std::string at = plat::stringFromPoint(expected.spot);
        EXPECT_EQ(coachMark->imageViewCircle()->center(), expected.spot) << at;
        EXPECT_EQ(outlets.imageViewArrow->image(), plat::Image::imageNamed(expected.arrow)) << at;
        EXPECT_EQ(outlets.imageViewArrow->bounds().size, plat::Image::imageNamed(expected.arrow)->size()) << at;
        EXPECT_EQ(outlets.imageViewArrow->center(), expected.arrowCentre) << at;
        EXPECT_EQ(outlets.labelDescription->center(), expected.descriptionCentre) << at;
        EXPECT_EQ(outlets.labelTitle->center(), expected.titleCentre) << at;
        EXPECT_EQ(outlets.labelDescription->textAlignment(), expected.alignment) << at;
        EXPECT_EQ(outlets.labelTitle->textAlignment(), expected.alignment) << at;
        coachMark->view()->removeFromSuperview();
    }
}

TEST_F(CoachMark, PutsTheNextButtonInOneOfFourPlaces)
{
    const std::pair<uint64_t, plat::Point> places[]
        = {{0, {50, 100}}, {1, {50, 25}}, {2, {568 - 90, 50}}, {3, {568 - 90, 320 - 50}}};
    for (const auto& [position, centre] : places) {
        auto coachMark = present("Timeline", {400, 80}, position);
        ASSERT_TRUE(coachMark);
        coachMark->view()->layoutIfNeeded();
        ASSERT_EQ(coachMark->outlets().btnNext->bounds().width(), 90);
        EXPECT_EQ(coachMark->outlets().btnNext->center(), centre) << "position " << position;
        coachMark->view()->removeFromSuperview();
    }
    auto other = HelpManager::initWithName("Timeline");
    ASSERT_TRUE(other);
    other->view()->setFrame(host->bounds());
    const plat::Point before = other->outlets().btnNext->center();
    other->setPositionNextBtn(7);
    other->layoutViews();
    EXPECT_EQ(other->outlets().btnNext->center(), before) << "other values leave it";
}

TEST_F(CoachMark, APositionViewsCentreWinsOverTheGivenSpot)
{
    auto panel = std::make_shared<plat::View>(plat::makeRect(488, 0, 80, 230));
    host->addSubview(panel);
    auto button = std::make_shared<plat::View>(plat::makeRect(10, 90, 60, 40));
    panel->addSubview(button);
    auto coachMark = HelpManager::initWithName("Speed");
    ASSERT_TRUE(coachMark);
    coachMark->view()->setFrame(host->bounds());
    coachMark->setPositionLabel({10, 10});
    coachMark->setPositionView(button);
    host->addSubview(coachMark->view());
    coachMark->view()->layoutIfNeeded();
    EXPECT_EQ(coachMark->imageViewCircle()->center(), (plat::Point {528, 110})) << "in the overlay's coordinates";
}

}  // namespace
