#pragma once
// A project on disk to export, and the waiting for an export's end, for the
// renderer tests.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Semaphore.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "render/MovieExportType.h"
#include "render/MovieRenderer.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace zt::test {

constexpr double kGenerousTimeoutSeconds = 120;

class RenderProject : public ::testing::Test {
protected:
    void SetUp() override
    {
        DataManager::sharedDataManager().resetToDefaultsForTesting();
        ASSERT_TRUE(ProjectsList::replace({}));
    }
    void TearDown() override { DataManager::sharedDataManager().resetToDefaultsForTesting(); }

    // Appends a picture frame (before the capture placeholder) with its three stored pictures.
    Frame addPicture(const std::string& frameID, const plat::Image& image)
    {
        auto& list = project->getFrameList();
        Frame frame(FrameTypePicture, frameID);
        list.insertFrame(frame, list.getCaptureIndex());
        EXPECT_TRUE(producer.storeImage(image, frameID));
        return frame;
    }
    Frame addFlatPicture(const std::string& frameID, plat::test::Rgba colour, int width = 320, int height = 180)
    {
        return addPicture(frameID, *plat::test::makeFlatImage(width, height, colour));
    }
    std::string projectFile(const std::string& name) const
    {
        return plat::appendingPathComponent(*project->getProjectPath(), name);
    }
    void setMetadata(const std::string& key, plat::Value value)
    {
        project->getMetaData()->set(key, std::move(value));
        EXPECT_TRUE(project->saveMetaDataToDisk().ok());
    }

    // Starts the export and runs the main run loop until its completion ran;
    // true when it did within the timeout. The completion's runs are counted.
    bool exportAndWait(MovieRenderer& renderer, std::shared_ptr<MovieExportType> type)
    {
        completions = 0;
        bool waiting = false;
        renderer.exportProjectWithExportType(std::move(type), [this, &waiting] {
            EXPECT_TRUE(plat::isMainThread());
            ++completions;
            if (waiting)
                plat::RunLoop::main().stop();
        });
        return waitForCompletion(waiting);
    }
    bool waitForCompletion(bool& waiting)
    {
        double deadline = plat::Clock::current().uptimeSeconds() + kGenerousTimeoutSeconds;
        while (completions == 0 && plat::Clock::current().uptimeSeconds() < deadline) {
            waiting = true;
            plat::RunLoop::main().runUntil(deadline);
            waiting = false;
        }
        // Whatever else the export posted to the main queue (a second completion would show here).
        plat::RunLoop::main().drain();
        return completions > 0;
    }

    // Replaces a project file by a pipe: whoever reads it waits until
    // whileReaderWaits has run, then gets jpegBytes. True when the reader
    // came within the timeout (whileReaderWaits runs in any case).
    void blockReadingOf(const std::string& fileName)
    {
        std::string path = projectFile(fileName);
        ASSERT_TRUE(plat::removeItem(path).ok());
        ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
        blockedFile = path;
    }
    bool whenBlockedFileIsRead(plat::Data jpegBytes, const std::function<void()>& whileReaderWaits)
    {
        plat::Semaphore readerCame;
        plat::Semaphore goOn;
        // Detached: a reader that never comes leaves the thread waiting, not the test.
        std::thread([path = blockedFile, bytes = std::move(jpegBytes), readerCame, goOn]() mutable {
            // Opening a pipe for writing waits for its reader.
            int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
            readerCame.signal();
            goOn.wait();
            if (fd < 0)
                return;
            size_t done = 0;
            while (done < bytes.size()) {
                ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
                if (wrote <= 0)
                    break;
                done += static_cast<size_t>(wrote);
            }
            ::close(fd);
        }).detach();
        bool came = readerCame.wait(kGenerousTimeoutSeconds);
        whileReaderWaits();
        goOn.signal();
        return came;
    }

    plat::test::TemporarySandbox sandbox;
    std::shared_ptr<ProjectModel> project = std::make_shared<ProjectModel>(std::nullopt);
    ImageProducer producer {project};
    int completions = 0;
    std::string blockedFile;
};

inline std::shared_ptr<MovieExportType> movieType(plat::Size size)
{
    return std::make_shared<MovieExportType>("MoviePreview", std::nullopt, size, "com.apple.quicktime-movie", "mov");
}

}  // namespace zt::test
