#pragma once
// A project of twenty frames at 5 frames per second with the audio
// controller over it, sounds made by ffmpeg outside the project, and what
// the controller posts.
#include <gtest/gtest.h>

#include "audio/AudioController.h"
#include "document/AudioClip.h"
#include "platform/foundation/ErrorObject.h"
#include "platform/foundation/NotificationCenter.h"
#include "render/RenderTestSupport.h"
#include "support/MediaTools.h"
#include "support/TemporarySandbox.h"

namespace zt::test {

class AudioProject : public RenderProject {
protected:
    static constexpr int kPictures = 20;

    void SetUp() override
    {
        RenderProject::SetUp();
        // One stored picture makes the folder; the clips need only the list.
        frames.push_back(addFlatPicture("F0", {40, 40, 40, 255}, 32, 18));
        auto& list = project->getFrameList();
        for (int i = 1; i < kPictures; ++i) {
            frames.emplace_back(FrameTypePicture, "F" + std::to_string(i));
            list.insertFrame(frames.back(), list.getCaptureIndex());
        }
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
        errorToken = plat::NotificationCenter::defaultCenter().addObserver(
            kShowErrorNotification, nullptr, [this](const plat::Notification& note) {
                auto error = note.userInfo.get(kErrorKey).asObjectOf<plat::ErrorObject>();
                ASSERT_TRUE(error);
                errors.push_back(error->error());
            });
        addToken = plat::NotificationCenter::defaultCenter().addObserver(
            kAudioControllerAddAudioNotification, nullptr, [this](const plat::Notification& note) {
                auto clip = note.userInfo.get(kClipKey).asObjectOf<AudioClip>();
                ASSERT_TRUE(clip);
                added.push_back(clip);
            });
        controller = std::make_shared<AudioController>(project);
    }
    void TearDown() override
    {
        controller.reset();
        RenderProject::TearDown();
    }

    // A tone of the length in the sounds folder, made by ffmpeg.
    std::string tone(
        const std::string& name, double seconds, int frequency = 440, const std::string& codec = "pcm_s16le")
    {
        std::string path = sounds.path(name);
        auto made = plat::test::runFFmpeg(sounds.path(),
            {"-f", "lavfi", "-i",
                "sine=frequency=" + std::to_string(frequency)
                    + ":sample_rate=44100:duration=" + std::to_string(seconds),
                "-c:a", codec, path});
        EXPECT_EQ(made.exitCode, 0) << made.output;
        return path;
    }
    // Adds a new tone through the controller; the clip its notification carried, or nullptr.
    std::shared_ptr<AudioClip> addTone(double seconds, int64_t frame, int type = AudioClip::SoundEffect,
        std::optional<std::string> name = std::nullopt, int frequency = 440)
    {
        std::string file = tone("tone" + std::to_string(++tones) + ".wav", seconds, frequency);
        return addFile(file, frame, type, std::move(name));
    }
    std::shared_ptr<AudioClip> addFile(
        const std::string& path, int64_t frame, int type = AudioClip::SoundEffect, std::optional<std::string> name = {})
    {
        size_t before = added.size();
        controller->addAudioFromFile(path, frame, std::move(name), type);
        return added.size() > before ? added.back() : nullptr;
    }
    bool inProject(const std::string& name) const { return plat::fileExists(projectFile(name)); }
    plat::Dictionary storedAudio()
    {
        // Read from disk, as another screen opening the project would.
        ProjectModel reopened(project->getProjectPath());
        return reopened.getMetaData()->getDictionary("RecordMetaAudio").value_or(plat::Dictionary());
    }
    bool needsRendering() { return project->getMetaData()->getBool("RecordNeedsRendering").value_or(false); }
    void setNeedsRendering(bool needs) { setMetadata("RecordNeedsRendering", needs); }
    void removeFrame(int64_t index)
    {
        project->getFrameList().removeFrameAtIndex(index);
        ASSERT_TRUE(project->saveFramelistToDisk().ok());
    }

    plat::test::TemporaryFolder sounds;
    std::vector<Frame> frames;
    std::shared_ptr<AudioController> controller;
    std::vector<plat::Error> errors;
    std::vector<std::shared_ptr<AudioClip>> added;
    plat::ObserverToken errorToken;
    plat::ObserverToken addToken;
    int tones = 0;
};

inline plat::MediaTime seconds(double value)
{
    return plat::MediaTime::makeWithSeconds(value, 1000);
}

}  // namespace zt::test
