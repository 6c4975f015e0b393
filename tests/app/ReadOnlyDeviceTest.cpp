// A person on a device folder that cannot be written (a read-only copy with
// projects on it): every change they ask for fails, they are told why, and
// nothing shows that was not stored.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/AppScreensTestSupport.h"
#include "audio/AudioConfigurationViewController.h"
#include "audio/AudioController.h"
#include "audio/AudioRecorderViewController.h"
#include "document/AudioClip.h"
#include "document/FrameFiles.h"
#include "document/ImageProducer.h"
#include "editor/ConfigurationCell.h"
#include "editor/EffectSelectionViewController.h"
#include "editor/PlayerViewController.h"
#include "editor/ThemeSettingsViewController.h"
#include "platform/foundation/PropertyList.h"
#include "platform/media/AudioSession.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "render/ForegroundSelectViewController.h"
#include "render/OutlineViewController.h"
#include "render/ThemeSelectViewController.h"
#include "share/FileSharingConnectHandler.h"
#include "support/FailingWrites.h"
#include "support/LimitedFreeSpace.h"
#include "support/MountNamespace.h"
#include "support/Pixels.h"
#include "support/RunLoopWaiting.h"
#include "support/VirtualMicrophone.h"
#include "uikit/APInsetTextField.h"
#include "uikit/APTextFieldCell.h"
#include "uikit/Carousel.h"
#include "uikit/QVMovieView.h"

namespace {

using zt::test::AppScreens;

const std::string kIntroduction = ".plovix-introduction";
const std::string kProject = ".plovix-2015-05-01-10-00-00";
constexpr plat::Point kCentredItem {284, 119};
const std::string kReadOnly = "Read-only file system.";

class ReadOnlyDevice : public AppScreens {
protected:
    void SetUp() override
    {
        // Started on this device before: the sample and one project of two frames, the project selected.
        ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"version", 4.0}, {"lastSelection", 1}},
            zt::DataManager::settingsFilePath(), plat::PropertyListFormat::XML)
                        .ok());
        makeProject(kProject, 2, plat::Dictionary {{"RecordName", "Kept"}});
        ASSERT_TRUE(zt::ProjectsList::replace({kProject}));
        listBefore = plat::readFile(zt::ProjectsList::path()).value();
        useTestCamera();
        readOnly.emplace(sandbox.root(), plat::detail::WriteFailurePoint::ReadOnly);
        launch();
        settle();
        ASSERT_EQ(carousel().currentItemIndex(), 1);
    }
    void TearDown() override
    {
        readOnly.reset();
        EXPECT_EQ(plat::readFile(zt::ProjectsList::path()).value(), listBefore) << "the list never changed";
    }
    std::string storedName()
    {
        auto stored = plat::dictionaryWithContentsOfFile(documents(kProject) + "/plovix.meta");
        return stored ? stored->getString("RecordName").value_or("<none>") : "<unreadable>";
    }
    void closeAlert()
    {
        driver.wait(1);  // it takes touches once it is fully shown
        ASSERT_TRUE(driver.tap("OK"));
        driver.wait(1);
        EXPECT_EQ(shownAlert(), nullptr);
    }

    std::optional<plat::test::FailingWrites> readOnly;
    plat::Data listBefore;
};

}  // namespace

TEST_F(ReadOnlyDevice, ARenameThatCannotBeStoredIsToldAndTheStoredNameStaysShown)
{
    auto& field = *explorer()->outlets().textFieldName;
    EXPECT_EQ(field.text(), "Kept");
    ASSERT_TRUE(driver.tap(field));
    for (int i = 0; i < 4; ++i)
        driver.type("\b");
    ASSERT_TRUE(driver.type("Lost\n"));
    EXPECT_EQ(waitForAlert(), "The project could not be renamed.\n" + kReadOnly);
    EXPECT_EQ(field.text(), "Kept");
    EXPECT_EQ(explorer()->selectedProject()->getMetaData()->getString("RecordName"), "Kept");
    EXPECT_EQ(storedName(), "Kept");
    closeAlert();
}

TEST_F(ReadOnlyDevice, ADuplicateThatCannotBeMadeIsToldAndNothingIsAdded)
{
    ASSERT_TRUE(driver.tap("Duplicate"));
    EXPECT_EQ(waitForAlert(), "The project could not be duplicated.\n" + kReadOnly);
    EXPECT_EQ(explorer()->projects().size(), 2u);
    EXPECT_EQ(carousel().numberOfItems(), 2);
    closeAlert();
}

TEST_F(ReadOnlyDevice, ADeleteThatCannotBeMadeIsToldAndTheProjectStays)
{
    ASSERT_TRUE(driver.tap("Delete"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Delete"));  // the sheet's

    EXPECT_EQ(waitForAlert(), "The project could not be deleted.\n" + kReadOnly);
    EXPECT_EQ(explorer()->projects().size(), 2u);
    EXPECT_EQ(carousel().numberOfItems(), 2);
    EXPECT_TRUE(plat::fileExists(documents(kProject) + "/frames.meta"));
    closeAlert();
}

TEST_F(ReadOnlyDevice, ANewProjectThatCannotBeStoredIsToldAndShowsNoFrame)
{
    carousel().scrollToItemAtIndex(0, /*animated=*/true);
    driver.wait(1);
    driver.tapAt(kCentredItem);
    driver.wait(1);
    ASSERT_NE(editor(), nullptr);
    ASSERT_TRUE(driver.tap("Capture"));
    driver.wait(1.5);
    ASSERT_TRUE(driver.tap("Take Picture"));
    EXPECT_EQ(
        waitForAlert(), "Error\nRead-only file system. The picture could not be stored. (CaptureViewController-636)");
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Dismiss"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Done"));
    driver.wait(1);
    EXPECT_EQ(editor()->project()->getFrameList().count(), 1) << "the frame that was not stored is not shown";
    EXPECT_FALSE(editor()->outlets().viewEmptyHelp->isHidden()) << "the hint to add pictures stays";
    ASSERT_TRUE(driver.tap("Projects"));
    driver.wait(2);
    ASSERT_NE(explorer(), nullptr);
    EXPECT_EQ(explorer()->projects().size(), 2u);
    EXPECT_EQ(plat::contentsOfDirectory(documents()).value().size(), 3u) << "Documents: list, inbox, the project";
}

// A device that can be written, but not the project's frame list: the
// picture is stored, the list is not, so the frame is taken back.
class UnwritableFrameList : public AppScreens { };

TEST_F(UnwritableFrameList, AFrameWhoseListCannotBeSavedIsTakenBackAndItsPicturesGo)
{
    ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"version", 4.0}, {"lastSelection", 1}},
        zt::DataManager::settingsFilePath(), plat::PropertyListFormat::XML)
                    .ok());
    makeProject(kProject, 1);
    ASSERT_TRUE(zt::ProjectsList::replace({kProject}));
    useTestCamera();
    launch();
    settle();
    driver.tapAt(kCentredItem);
    driver.wait(1);
    ASSERT_NE(editor(), nullptr);
    ASSERT_TRUE(driver.tap("Capture"));
    driver.wait(1.5);
    {
        plat::test::FailingWrites failing("frames.meta", plat::detail::WriteFailurePoint::BeforeRename);
        ASSERT_TRUE(driver.tap("Take Picture"));
        const std::string told = waitForAlert();
        EXPECT_EQ(told, "Error\nInput/output error. The picture could not be stored. (CaptureViewController-636)");
    }
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Dismiss"));
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Done"));
    driver.wait(1);
    EXPECT_EQ(editor()->project()->getFrameList().count(), 2);
    auto names = plat::contentsOfDirectory(documents(kProject));
    ASSERT_TRUE(names.ok());
    std::vector<std::string> pictures;
    for (const std::string& name : names.value())
        if (name.starts_with("frame-"))
            pictures.push_back(name);
    EXPECT_EQ(pictures, std::vector<std::string> {}) << "the unsaved frame's pictures go with it";
    zt::ProjectModel stored(documents(kProject));
    EXPECT_EQ(stored.getFrameList().count(), 2);
    EXPECT_EQ(stored.getMetaData()->getString("META_RECORD_THUMB_FRAME_ID"), std::nullopt);
}

namespace {

// Every file and folder below root with its size and a hash of its bytes, one a line.
std::string listingWithContents(const std::string& root)
{
    std::vector<std::string> lines;
    std::error_code error;
    for (auto entry = std::filesystem::recursive_directory_iterator(root, error);
         !error && entry != std::filesystem::recursive_directory_iterator(); entry.increment(error)) {
        const std::string path = std::filesystem::relative(entry->path(), root).string();
        if (!entry->is_regular_file()) {
            lines.push_back(path + "/");
            continue;
        }
        auto bytes = plat::readFile(entry->path().string());
        const std::string contents(bytes.ok() ? bytes.value().begin() : plat::Data().begin(),
            bytes.ok() ? bytes.value().end() : plat::Data().end());
        lines.push_back(path + " " + std::to_string(entry->file_size()) + " "
            + std::to_string(std::hash<std::string> {}(contents)));
    }
    std::sort(lines.begin(), lines.end());
    std::string listing = error ? "cannot list: " + error.message() + "\n" : std::string();
    for (const std::string& line : lines)
        listing += line + "\n";
    return listing;
}

// A second of a 440 Hz tone as a 16-bit mono WAVE file.
void writeTone(const std::string& path)
{
    constexpr int kRate = 44100;
    std::vector<int16_t> samples(kRate);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(8000 * std::sin(2 * 3.14159265358979 * 440 * static_cast<double>(i) / kRate));
    auto word = [](std::ofstream& out, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.put(static_cast<char>((value >> (8 * i)) & 0xff));
    };
    const auto dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::ofstream out(path, std::ios::binary);
    out << "RIFF";
    word(out, 36 + dataBytes, 4);
    out << "WAVEfmt ";
    word(out, 16, 4);
    word(out, 1, 2);  // PCM
    word(out, 1, 2);  // mono
    word(out, kRate, 4);
    word(out, kRate * 2, 4);
    word(out, 2, 2);
    word(out, 16, 2);
    out << "data";
    word(out, dataBytes, 4);
    out.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(dataBytes));
}

// A device folder that really cannot be written: bound read-only in a mount
// namespace of the test's own, where even its root is refused. The project
// has four pictures and a sound at its second frame; the person tries every
// kind of change once.
class ReadOnlyMountedDevice : public AppScreens {
protected:
    void makeProjectWithPicturesAndSound()
    {
        ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"version", 4.0}, {"lastSelection", 1}},
            zt::DataManager::settingsFilePath(), plat::PropertyListFormat::XML)
                        .ok());
        auto project = makeProject(kProject, 0, plat::Dictionary {{"RecordName", "Kept"}});
        zt::ImageProducer producer(project);
        auto& list = project->getFrameList();
        for (int i = 0; i < 4; ++i) {
            zt::Frame frame(zt::FrameTypePicture);
            auto picture = plat::test::makeImage(320, 180, [i](int x, int) {
                return plat::test::Rgba {static_cast<uint8_t>(40 + i * 40), static_cast<uint8_t>(x % 256), 160, 255};
            });
            ASSERT_TRUE(producer.storeImage(*picture, frame.frameID()));
            list.insertFrame(frame, list.getCaptureIndex());
        }
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
        const std::string sound = sandbox.path("Birds.wav");
        writeTone(sound);
        auto audio = std::make_shared<zt::AudioController>(project);
        audio->addAudioFromFile(sound, 1, std::string("Birds"), zt::AudioClip::SoundEffect);
        ASSERT_EQ(audio->audioTracks()[0].size(), 1u) << "the sound is in the project";
        ASSERT_TRUE(plat::removeItem(sound).ok());
        ASSERT_TRUE(zt::ProjectsList::replace({kProject}));
    }

    zt::PlayerViewController& strip() const { return *editor()->playerViewController(); }
    int64_t frameCount() const { return editor()->project()->getFrameList().count(); }
    std::shared_ptr<zt::AudioClip> storedClip() const
    {
        const auto& tracks = editor()->audioController()->audioTracks();
        return tracks[0].empty() ? nullptr : tracks[0].front();
    }
    std::shared_ptr<zt::ThemeSettingsViewController> lookSheet() const
    {
        auto sheet = editor()->outlineNavigationController();
        if (!sheet)
            return nullptr;
        for (const auto& page : sheet->viewControllers())
            if (auto settings = std::dynamic_pointer_cast<zt::ThemeSettingsViewController>(page))
                return settings;
        return nullptr;
    }
    void openPainter(const char* button)
    {
        strip().scrollToFrame(2);
        driver.wait(1);
        driver.tapAt(kPicture);
        driver.wait(0.6);
        ASSERT_TRUE(driver.tap(button));
        driver.wait(1.5);
        tapNextWhenShown();
        driver.drag({150, 150}, {420, 170});
        driver.wait(0.5);
        ASSERT_TRUE(driver.tap("Back"));
    }
    // The row of the look sheet in the middle of its table.
    std::shared_ptr<plat::TableViewCell> showRow(plat::IndexPath row)
    {
        auto table = lookSheet()->tableView();
        table->scrollToRowAtIndexPath(row, plat::TableViewScrollPosition::Middle, /*animated=*/false);
        table->layoutIfNeeded();
        driver.wait(0.5);
        return table->cellForRowAtIndexPath(row);
    }
    void flipSwitch(plat::IndexPath row)
    {
        auto cell = std::dynamic_pointer_cast<zt::ConfigurationCell>(showRow(row));
        ASSERT_NE(cell, nullptr);
        ASSERT_TRUE(driver.tap(*cell->switchOnOff()));
    }
    bool switchIsOn(plat::IndexPath row) const
    {
        auto cell
            = std::dynamic_pointer_cast<zt::ConfigurationCell>(lookSheet()->tableView()->cellForRowAtIndexPath(row));
        return cell && cell->switchOnOff()->isOn();
    }

    static constexpr plat::Point kPicture {284, 108};
    static constexpr const char* kReason = "Read-only file system.";
};

}  // namespace

TEST_F(ReadOnlyMountedDevice, EveryKindOfChangeIsRefusedWithItsReasonAndTheFolderStaysAsItWas)
{
    const auto run = plat::test::runInOwnMountNamespace();
    if (run == plat::test::MountNamespaceRun::NotPermitted)
        GTEST_SKIP() << "unshare -rm is not permitted here, so no folder can be bound read-only without root";
    if (run == plat::test::MountNamespaceRun::Elsewhere)
        return;
    makeProjectWithPicturesAndSound();
    // Another app's project archive, handed over while the device cannot be written.
    plat::test::TemporaryFolder otherApp;
    const std::string archive = otherApp.path("Owls.zantropemobile");
    makeArchive(archive, ".plovix-2015-05-02-10-00-00", 1);
    useTestCamera();
    plat::AudioSession::sharedInstance().resetForTesting();
    plat::test::useSignalMicrophone("sine=frequency=440");
    const std::string before = listingWithContents(sandbox.root());
    plat::test::ReadOnlyBindMount readOnly(sandbox.root());
    ASSERT_TRUE(readOnly.ok()) << readOnly.error();
    // Plenty of room: a write that fails is not blamed on a full device.
    plat::test::LimitedFreeSpace room(int64_t(1) << 30);
    launch();
    settle();
    ASSERT_NO_FATAL_FAILURE(openCentredProject());
    const int64_t frames = frameCount();
    ASSERT_EQ(frames, 5) << "four pictures and the capture placeholder";

    struct Change {
        const char* what;
        std::function<void()> ask;
        std::string told;  // the alert's title and message
        const char* closedBy;
        std::function<void()> expectNothingApplied;
    };
    const std::string error = std::string("Error\n");
    const Change changes[] = {
        {"a project archive opened from another app",
            [&] { EXPECT_FALSE(app.openURLFromApplication(plat::URL::fileURLWithPath(archive), "", plat::Value())); },
            "\nThere was a problem copying the project. Please try again.\n“Owls.zantropemobile”: "
                + std::string(kReason),
            "OK", [&] { EXPECT_TRUE(plat::fileExists(archive)) << "the other app keeps its file"; }},
        {"a picture taken",
            [&] {
                ASSERT_TRUE(driver.tap("Capture"));
                driver.wait(1.5);
                ASSERT_TRUE(driver.tap("Take Picture"));
            },
            error + kReason + " The picture could not be stored. (CaptureViewController-636)", "Dismiss",
            [&] {
                ASSERT_TRUE(driver.tap("Done"));
                driver.wait(1);
                EXPECT_EQ(frameCount(), frames);
            }},
        {"a frame deleted",
            [&] {
                strip().scrollToFrame(1);
                driver.wait(1);
                driver.tapAt({284, 259});
                driver.wait(0.7);
                ASSERT_TRUE(driver.tap("Delete"));
            },
            error + "The change could not be saved.\n" + kReason, "OK",
            [&] {
                EXPECT_EQ(frameCount(), frames);
                EXPECT_EQ(strip().outlets().carousel->numberOfItems(), frames);
            }},
        {"a painting", [&] { openPainter("Paint"); }, std::string("The painting could not be saved.\n") + kReason, "OK",
            [&] { EXPECT_EQ(driver.findView("Back"), nullptr) << "back in the editor"; }},
        {"a mask", [&] { openPainter("Mask"); }, std::string("The mask could not be saved.\n") + kReason, "OK",
            [&] { EXPECT_EQ(driver.findView("Back"), nullptr) << "back in the editor"; }},
        {"a sound made quieter",
            [&] {
                strip().scrollToFrame(1);
                editor()->showAudioTimeLine();  // the lanes, as after a sound is added
                driver.wait(1);
                ASSERT_TRUE(driver.tap("Birds")) << "the sound's lane";
                driver.wait(1);
                ASSERT_NE(editor()->clipEditor(), nullptr);
                auto& volume = *editor()->clipEditor()->sliderVolume();
                volume.setValue(0.25);
                volume.sendActionsForControlEvents(plat::ControlEventValueChanged);
                ASSERT_TRUE(driver.tap("Done"));
            },
            error + "The sound could not be saved.\n" + kReason, "OK",
            [&] {
                auto clip = storedClip();
                ASSERT_NE(clip, nullptr);
                EXPECT_EQ(clip->volume(), 1.0f) << "the sound plays as stored";
            }},
        {"a sound removed",
            [&] {
                editor()->showAudioTimeLine();
                driver.wait(1);
                ASSERT_TRUE(driver.tap("Birds"));
                driver.wait(1);
                ASSERT_TRUE(driver.tap("Trash"));
            },
            error + "The sound could not be saved.\n" + kReason, "OK",
            [&] {
                driver.wait(1);
                EXPECT_NE(storedClip(), nullptr) << "the sound stays";
                EXPECT_NE(driver.findView("Birds"), nullptr) << "and so does its lane";
            }},
        {"a voice-over",
            [&] {
                strip().scrollToFrame(2);
                driver.wait(1);
                ASSERT_TRUE(driver.tap("Voice-over"));
                driver.wait(1);
                auto panel = editor()->audioRecorderView();
                ASSERT_NE(panel, nullptr);
                ASSERT_TRUE(driver.tap(*panel->btnAudioStartRecord()));
                // Refused at the press: no countdown runs first.
                EXPECT_NE(shownAlert(), nullptr) << "refused at once";
                EXPECT_EQ(panel->labelAudioRecordInfo()->text(), "Ready to Record") << "no countdown began";
            },
            std::string("The voice-over could not be recorded.\n") + kReason, "Dismiss",
            [&] {
                ASSERT_TRUE(driver.tap("Cancel"));
                driver.wait(1);
                EXPECT_EQ(editor()->audioRecorderView(), nullptr);
                EXPECT_EQ(editor()->audioController()->audioTracks()[0].size(), 1u) << "no new sound";
            }},
        {"a theme",
            [&] {
                ASSERT_TRUE(driver.tap("Movie Look"));
                driver.wait(1);
                ASSERT_TRUE(driver.tap("Curtain"));
            },
            std::string("The theme could not be saved.\n") + kReason, "OK",
            [&] {
                auto themes = lookSheet()->themeController();
                EXPECT_EQ(themes->carousel()->currentItemIndex(), 0) << "no theme shows as chosen";
                EXPECT_FALSE(themes->isBusy());
                EXPECT_EQ(frameCount(), frames) << "no title or credits cards";
            }},
        {"a fade",
            [&] {
                flipSwitch({zt::ThemeSettingsViewController::SectionFade, 0});
            },
            std::string("The setting could not be saved.\n") + kReason, "OK",
            [&] {
                EXPECT_FALSE(switchIsOn({zt::ThemeSettingsViewController::SectionFade, 0}));
            }},
        {"a foreground",
            [&] {
                ASSERT_NE(showRow({zt::ThemeSettingsViewController::SectionForeground, 0}), nullptr);
                lookSheet()->foregroundController()->carousel()->scrollToItemAtIndex(2, /*animated=*/true);
            },
            std::string("The foreground could not be saved.\n") + kReason, "OK",
            [&] { EXPECT_EQ(lookSheet()->foregroundController()->carousel()->currentItemIndex(), 0); }},
        {"an effect",
            [&] {
                ASSERT_NE(showRow({zt::ThemeSettingsViewController::SectionEffect, 0}), nullptr);
                lookSheet()->effectController()->carousel()->scrollToItemAtIndex(3, /*animated=*/true);
            },
            std::string("The effect could not be saved.\n") + kReason, "OK",
            [&] {
                EXPECT_EQ(lookSheet()->effectController()->carousel()->currentItemIndex(), 0);
                editor()->btnCloseModalController()->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
                driver.wait(1);
            }},
        {"the outline",
            [&] {
                editor()->showThemeWithPageOpen(1);
                driver.wait(1);
                auto outline = std::dynamic_pointer_cast<zt::OutlineViewController>(
                    editor()->outlineNavigationController()->topViewController());
                ASSERT_NE(outline, nullptr);
                auto table = outline->tableView();
                table->scrollToRowAtIndexPath({0, 0}, plat::TableViewScrollPosition::Middle, /*animated=*/false);
                table->layoutIfNeeded();
                auto title = std::dynamic_pointer_cast<zt::APTextFieldCell>(table->cellForRowAtIndexPath({0, 0}));
                ASSERT_NE(title, nullptr);
                ASSERT_TRUE(title->rightTextField()->becomeFirstResponder());
                driver.type(" of Owls");
                driver.wait(1);
                editor()->btnCloseModalController()->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
            },
            std::string("The texts could not be saved.\n") + kReason, "OK",
            [&] { EXPECT_EQ(editor()->project()->getMetaData()->getString("RecordName"), "Kept"); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        change.ask();
        EXPECT_EQ(waitForAlert(), change.told);
        driver.wait(1);  // it takes touches once it is fully shown
        EXPECT_GE(shownAlertMessageContrast(), 4.5) << "the message can be read";
        auto closed = driver.tryTap(change.closedBy);
        ASSERT_TRUE(closed.ok()) << "the alert is in front, not covered: " << closed.error().localizedDescription();
        driver.wait(1);
        EXPECT_EQ(shownAlert(), nullptr) << "one alert for one change";
        change.expectNothingApplied();
    }
    EXPECT_EQ(listingWithContents(sandbox.root()), before) << "nothing in the device folder changed";
}

namespace {

// A device whose Documents folder cannot be written, bound read-only in a
// mount namespace of the test's own; the caches can. The explorer shows a
// project of three pictures whose movie needs rendering.
class ReadOnlyDocuments : public AppScreens {
protected:
    void makeProjectNeedingARender()
    {
        ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"version", 4.0}, {"lastSelection", 1}},
            zt::DataManager::settingsFilePath(), plat::PropertyListFormat::XML)
                        .ok());
        auto project
            = makeProject(kProject, 0, plat::Dictionary {{"RecordName", "Kept"}, {"RecordNeedsRendering", true}});
        zt::ImageProducer producer(project);
        auto& list = project->getFrameList();
        for (int i = 0; i < 3; ++i) {
            zt::Frame frame(zt::FrameTypePicture);
            ASSERT_TRUE(producer.storeImage(
                *plat::test::makeFlatImage(320, 180, plat::test::Rgba {60 * i, 90, 200 - 50 * i, 255}),
                frame.frameID()));
            list.insertFrame(frame, list.getCaptureIndex());
        }
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
        ASSERT_TRUE(zt::ProjectsList::replace({kProject}));
    }
    std::shared_ptr<zt::QVMovieView> playing() const
    {
        return std::dynamic_pointer_cast<zt::QVMovieView>(explorer()->presentedViewController());
    }
    // Lets the render and its completion run: up to a minute of the app's time.
    bool waitUntil(const std::function<bool()>& done)
    {
        plat::RunLoop::main().settle();
        return done() || plat::test::advanceClockUntil(clock.clock(), 0.5, done, 120);
    }
};

}  // namespace

TEST_F(ReadOnlyDocuments, APreviewTheProjectCannotNoteIsToldOnceThenPlaysWithoutAnotherRender)
{
    const auto run = plat::test::runInOwnMountNamespace();
    if (run == plat::test::MountNamespaceRun::NotPermitted)
        GTEST_SKIP() << "unshare -rm is not permitted here, so no folder can be bound read-only without root";
    if (run == plat::test::MountNamespaceRun::Elsewhere)
        return;
    makeProjectNeedingARender();
    plat::test::ReadOnlyBindMount readOnly(documents());
    ASSERT_TRUE(readOnly.ok()) << readOnly.error();
    launch();
    settle();
    ASSERT_TRUE(driver.tap("Play"));
    EXPECT_EQ(waitForAlert(), "Render Movie\nThe project needs to be rendered first. This may take a while.");
    auto prompt = shownAlert();
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Ok"));
    EXPECT_EQ(waitForAlert([&](const plat::AlertView& alert) { return &alert != prompt.get(); }),
        "The movie could not be noted in the project.\n" + kReadOnly
            + " It plays now, but it will have to be rendered again.");
    driver.wait(1);
    ASSERT_TRUE(driver.tap("OK"));
    ASSERT_TRUE(waitUntil([&] { return playing() != nullptr; })) << "the movie that was made plays";

    playing()->actionHome();
    driver.wait(2);
    ASSERT_TRUE(driver.tap("Play"));
    driver.wait(0.5);
    EXPECT_EQ(shownAlert(), nullptr) << "not asked to render again";
    EXPECT_NE(playing(), nullptr);
}

TEST_F(ReadOnlyDocuments, AnExportCopiedIntoDocumentsIsRefusedWithTheSystemsReasonAlone)
{
    const auto run = plat::test::runInOwnMountNamespace();
    if (run == plat::test::MountNamespaceRun::NotPermitted)
        GTEST_SKIP() << "unshare -rm is not permitted here, so no folder can be bound read-only without root";
    if (run == plat::test::MountNamespaceRun::Elsewhere)
        return;
    const std::string movie = caches("Kept.mov");
    ASSERT_TRUE(plat::writeFileAtomically(movie, std::string("a movie")).ok());
    plat::test::ReadOnlyBindMount readOnly(documents());
    ASSERT_TRUE(readOnly.ok()) << readOnly.error();
    auto handler = std::make_shared<zt::FileSharingConnectHandler>(
        [](std::shared_ptr<zt::MovieExportType>, zt::ShareHandOff) {});
    struct Listener : zt::ConnectHandlerDelegate {
        void didFail(zt::ConnectHandler&, const plat::Error& error) override { failure = error; }
        std::optional<plat::Error> failure;
    };
    auto listener = std::make_shared<Listener>();
    handler->setDelegate(listener);
    handler->uploadDataAtURL(plat::URL::fileURLWithPath(movie), "", "", "");
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return listener->failure.has_value(); }, 60));
    EXPECT_EQ(listener->failure->localizedDescription(), "The export could not be saved in Documents: " + kReadOnly);
}
