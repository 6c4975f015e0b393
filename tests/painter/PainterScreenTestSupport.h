#pragma once
// A project of flat-coloured frames and a painter screen presented over a
// plain root screen on it, with a finger to paint and the files to read.
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "painter/PainterFiles.h"
#include "painter/PainterViewController.h"
#include "painter/PaintingCanvasView.h"
#include "painter/StrokeArchive.h"
#include "platform/foundation/Files.h"
#include "platform/graphics/Image.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/ShownAlerts.h"
#include "support/TemporarySandbox.h"
#include "uikit/HelpStateFile.h"

namespace zt::test {

// Frames of 320 x 180 in one colour each.
inline constexpr int kFrameWidth = 320;
inline constexpr int kFrameHeight = 180;
inline const plat::test::Rgba kRed {200, 40, 40, 255};
inline const plat::test::Rgba kBlue {40, 40, 200, 255};
inline const plat::test::Rgba kGreen {40, 200, 40, 255};
inline const plat::test::Rgba kPen {228, 73, 19, 255};  // palette colour 0

struct PainterFinishRecorder : PainterViewDelegate {
    void paintViewDidFinish(PainterViewController& painter, int64_t frame) override
    {
        finished.push_back(frame);
        painter.dismissViewControllerAnimated(false, nullptr);
    }
    std::vector<int64_t> finished;
};

class PainterScreenTest : public ::testing::Test {
protected:
    explicit PainterScreenTest(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : ui(idiom)
    {
        DataManager::sharedDataManager().resetToDefaultsForTesting();
        // The painter's coach marks were dismissed before, unless a test says otherwise.
        EXPECT_TRUE(HelpStateFile::recordShown("PaintColor").ok());
        EXPECT_TRUE(HelpStateFile::recordShown("Mask").ok());
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        driver.wait(0);
    }
    ~PainterScreenTest() override { DataManager::sharedDataManager().resetToDefaultsForTesting(); }

    // Frames "F1", "F2"... in the colours given, before the capture placeholder.
    void makeProject(const std::vector<plat::test::Rgba>& colours)
    {
        project = std::make_shared<ProjectModel>(std::nullopt);
        ImageProducer producer(project);
        auto& list = project->getFrameList();
        for (size_t index = 0; index < colours.size(); ++index) {
            const std::string id = "F" + std::to_string(index + 1);
            ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(kFrameWidth, kFrameHeight, colours[index]), id));
            list.insertFrame(Frame(FrameTypePicture, id), list.getCaptureIndex());
        }
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
    }

    void openPainter(int64_t frame, bool masking = false)
    {
        painter = std::make_shared<PainterViewController>(PainterViewController::kLayoutName, project);
        painter->setIsMasking(masking);
        painter->setDelegate(finish);
        painter->setCurrentFrame(frame);
        root->presentViewController(painter, false, nullptr);
        driver.wait(0.5);  // the bars are in and the stored strokes arrived
    }
    void closePainter()
    {
        driver.wait(1);
        ASSERT_TRUE(driver.tap("Back"));
        driver.wait(0.5);
    }

    // The same device folder on the other kind of device: a new window on its screen.
    void moveToDevice(plat::UserInterfaceIdiom idiom)
    {
        plat::Device::setCurrentDevice(plat::Device(idiom));
        window->setHidden(true);
        window = std::make_shared<plat::Window>();
        root = std::make_shared<plat::ViewController>();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        driver.wait(0);
    }

    plat::Point windowPoint(plat::Point inCanvas) const
    {
        return painter->drawingView()->convertPoint(inCanvas, nullptr);
    }
    // A finger across the canvas, one touch event per screen refresh.
    void paint(const std::vector<plat::Point>& points)
    {
        plat::TouchSynthesizer touches(window);
        auto touch = touches.touchDown(windowPoint(points.front()));
        for (size_t i = 1; i < points.size(); ++i) {
            driver.wait(plat::test::UIDriver::kStepSeconds);
            touches.moveTouch(touch, windowPoint(points[i]));
        }
        driver.wait(plat::test::UIDriver::kStepSeconds);
        touches.liftTouch(touch);
        driver.wait(0);
    }
    // A slow horizontal line through the middle of the canvas.
    void paintAcrossTheMiddle()
    {
        std::vector<plat::Point> points;
        for (double x = 150; x <= 420; x += 3)
            points.push_back({x, 160});
        paint(points);
    }

    // A slow horizontal line through the middle of the canvas, whatever its size.
    void paintAcrossTheCanvasMiddle()
    {
        const plat::Size canvas = painter->drawingView()->bounds().size;
        std::vector<plat::Point> points;
        for (double x = canvas.width * 0.3; x <= canvas.width * 0.7; x += 3)
            points.push_back({x, canvas.height / 2});
        paint(points);
    }

    // What the canvas shows at its middle.
    plat::test::Rgba middleOfTheCanvas() const
    {
        auto shown = painter->drawingView()->createImage();
        const plat::Size size = shown->size();
        return plat::test::pixelAt(*shown, static_cast<int>(size.width / 2), static_cast<int>(size.height / 2));
    }

    // Each file of the project folder with a digest of its bytes.
    std::vector<std::string> projectFiles() const
    {
        std::vector<std::string> files;
        const std::string folder = *project->getProjectPath();
        const auto names = plat::contentsOfDirectory(folder);
        for (const std::string& name : names.value()) {
            const plat::Data bytes = plat::readFile(folder + "/" + name).value();
            const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            files.push_back(name + " " + std::to_string(std::hash<std::string_view> {}(text)));
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    std::shared_ptr<plat::Image> picture(const std::string& fileName) const
    {
        auto data = project->fileDataForFileWithPreferredFilename(fileName);
        return data ? plat::Image::imageWithData(*data) : nullptr;
    }
    bool hasFile(const std::string& fileName) const
    {
        return project->fileDataForFileWithPreferredFilename(fileName).has_value();
    }
    size_t strokesIn(const std::string& fileName) const
    {
        auto data = project->fileDataForFileWithPreferredFilename(fileName);
        if (!data)
            return 0;
        auto strokes = StrokeArchive::strokesWithData(*data);
        return strokes.ok() ? strokes.value().size() : 0;
    }
    // The identifier of the frame's front layer in its layer list; empty without one.
    std::string frontLayerID(const std::string& frameID) const
    {
        auto list = project->fileDataForFileWithPreferredFilename(PainterFiles::layersFileName(frameID));
        auto layers = list ? PainterLayerArchive::layersWithData(*list) : plat::Error("test", 1, "no list");
        return layers.ok() && !layers.value().empty() ? layers.value()[0].getString("UUID").value_or("") : "";
    }
    // The middle of the frame's picture, where paintAcrossTheMiddle passes.
    plat::test::Rgba middleOf(const std::string& fileName) const
    {
        auto shown = picture(fileName);
        return shown ? plat::test::pixelAt(*shown, kFrameWidth / 2, kFrameHeight / 2) : plat::test::Rgba {};
    }

    // The alert on screen, if any.
    std::shared_ptr<plat::AlertView> shownAlert() const { return plat::test::shownAlertIn(window); }
    // "title\nmessage" of the alert on screen, which its OK then closes; "<no alert>" without one.
    std::string closeAlert()
    {
        auto alert = shownAlert();
        if (!alert)
            return "<no alert>";
        alert->dismissWithClickedButtonIndex(0, /*animated=*/false);
        driver.wait(0.5);
        return alert->title() + "\n" + alert->message();
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> root = std::make_shared<plat::ViewController>();
    plat::test::UIDriver driver;
    std::shared_ptr<ProjectModel> project;
    std::shared_ptr<PainterViewController> painter;
    std::shared_ptr<PainterFinishRecorder> finish = std::make_shared<PainterFinishRecorder>();
};

}  // namespace zt::test
