#include <filesystem>

#include "audio/AudioController.h"
#include "audio/AudioExporter.h"
#include "audio/MQExtensions.h"
#include "audio/ProjectSoundFiles.h"
#include "audio/QVMediaPickerItem.h"
#include "document/AudioClip.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/ErrorObject.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/library/MediaItem.h"
#include "platform/media/Asset.h"
#include "platform/media/MediaConstants.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/ViewController.h"
#include "uikit/MessageAlert.h"

namespace zt {

namespace {

bool liesIn(const std::string& path, const std::string& folder)
{
    std::error_code error;
    return std::filesystem::equivalent(plat::deletingLastPathComponent(path), folder, error);
}

}  // namespace

void AudioController::presentPicker(plat::ViewController& presenter, std::shared_ptr<MQMediaPickerController> picker)
{
    auto self = weak_from_this().lock();
    if (!self)
        plat::detail::fatal("audio: the controller must be made with std::make_shared to open a picker");
    picker->setDelegate(std::static_pointer_cast<MQMediaPickerControllerDelegate>(self));
    auto shown = picker->viewController();
    shown->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
    _mediaPicker = std::move(picker);
    presenter.presentViewController(shown, /*animated=*/true, nullptr);
}

void AudioController::addAudioInView(plat::ViewController& presenter, int64_t frameIndex)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _addAudioToFrame = frameIndex;
    presentPicker(presenter, QVMediaPickerController::initWithProject(_project));
}

void AudioController::addBackgoundMusicInView(plat::ViewController& presenter, int64_t frameIndex)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _addAudioToFrame = frameIndex;
    presentPicker(presenter, MQMediaPickerController::create());
}

void AudioController::closePicker(MQMediaPickerController& picker)
{
    auto pinned = picker.sharedAs<MQMediaPickerController>();
    if (auto shown = picker.viewController())
        shown->dismissViewControllerAnimated(/*animated=*/true, nullptr);
    picker.cleanUp();
    if (_mediaPicker == pinned)
        _mediaPicker.reset();
}

void AudioController::mqMediaPickerDidCancel(MQMediaPickerController& picker)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    closePicker(picker);
}

void AudioController::showProtectedMusicAlert()
{
    makeMessageAlert(plat::localized("Error"),
        plat::localized(
            "Access denied. This music is protected by a digital right management system and cannot be used."),
        plat::localized("Dismiss"))
        ->show();
}

void AudioController::mqMediaPicker(MQMediaPickerController& picker,
    const std::shared_ptr<const plat::MediaItemCollection>&, const std::shared_ptr<const plat::MediaItem>& selectedItem)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto url = selectedItem ? zt::assetURL(*selectedItem) : std::nullopt;
    std::string songTitle = selectedItem ? zt::title(*selectedItem) : std::string();
    std::weak_ptr<AudioController> weakSelf = weak_from_this();
    plat::DispatchQueue::mainQueue().async([weakSelf, pinned = picker.sharedAs<MQMediaPickerController>()] {
        if (auto self = weakSelf.lock())
            return self->closePicker(*pinned);
        if (auto shown = pinned->viewController())
            shown->dismissViewControllerAnimated(/*animated=*/true, nullptr);
        pinned->cleanUp();
    });
    // No sound to be had: protected, or its file gone or unreadable since the library was read.
    auto asset = url && url->isFileURL() ? plat::URLAsset::URLAssetWithURL(*url) : nullptr;
    if (!asset || asset->tracksWithMediaType(plat::kMediaTypeAudio).empty()) {
        plat::log("audio: the song \"{}\" has no sound to copy", songTitle);
        return showProtectedMusicAlert();
    }
    plat::MediaTime duration = asset->duration();
    int type = AudioClip::Music;
    if (duration.seconds() <= kLongestSoundSeconds) {
        if (!checkTrackSpaceForClipDuration(duration, nullptr, nullptr, _addAudioToFrame))
            return;
        type = AudioClip::SoundEffect;
    }
    plat::NotificationCenter::defaultCenter().post(
        kShowActivityNotification, this, plat::Dictionary {{kInfoKey, plat::localized("Importing...")}});
    if (!_project->getProjectPath()) {
        if (auto created = _project->createFilePathForProject(); !created.ok())
            return postError(created.error());
    }
    auto folder = _project->getProjectPath();
    if (!folder)
        return postError(plat::Error::posix(ENOENT, "copy the song into a project without a folder", url->path()));
    auto exporter = std::make_shared<AudioExporter>();
    exporter->exportFileAtAssetURL(
        *url, *folder, [weakSelf, exporter, songTitle, type](const std::optional<plat::URL>& file) {
            // The exporter hands its completion to the main queue.
            auto self = weakSelf.lock();
            if (exporter->status() != AudioExporter::Finished || !file) {
                if (self)
                    self->postError(exporter->error().value_or(plat::Error(AudioExporter::kErrorDomain,
                        AudioExporter::kNotValidMediaError, plat::localized("The file is not valid media."))));
                return;
            }
            if (!self) {
                // The project closed meanwhile: nothing will use the copy.
                (void)plat::removeItem(file->path());
                return;
            }
            self->addExportedSong(file->path(), songTitle, type);
        });
}

void AudioController::addExportedSong(const std::string& path, const std::string& songTitle, int type)
{
    std::string name = plat::lastPathComponent(path);
    addAudioFromFile(path, _addAudioToFrame, songTitle, type);
    // A song that found no room after all (the tracks changed while it was copied) leaves no file behind.
    if (!isAudioFileStillInUse(name))
        ProjectSoundFiles::removeSoundFile(*_project, name);
}

void AudioController::qvMediaPicker(QVMediaPickerController& picker,
    const std::vector<std::shared_ptr<QVMediaPickerItem>>&, const std::shared_ptr<QVMediaPickerItem>& selectedItem)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    closePicker(picker);
    if (!selectedItem)
        return;
    std::optional<std::string> name;
    int type = AudioClip::VoiceOver;
    if (!selectedItem->isRecord()) {
        const auto& asset = selectedItem->asset();
        double seconds = asset ? asset->duration().seconds() : 0;
        // Long sounds become the background music; placing it copies the file into the project.
        if (seconds > kLongestSoundSeconds) {
            type = AudioClip::Music;
        } else {
            type = AudioClip::SoundEffect;
            name = selectedItem->title();
        }
    }
    addAudioFromFile(selectedItem->URL().path(), _addAudioToFrame, name, type);
}

void AudioController::qvMediaPickerDidSelectRemoveItem(
    QVMediaPickerController&, const std::shared_ptr<QVMediaPickerItem>& item)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!item)
        return;
    std::string path = item->URL().path();
    // A sound another app handed over is the inbox's own: the project's file
    // of the same name (and its clips) is another sound.
    if (liesIn(path, sharedAudioInboxPath())) {
        auto removed = plat::removeItem(path);
        if (!removed.ok())
            plat::log("audio inbox: cannot remove {}: {}", path, removed.error().localizedDescription());
        return;
    }
    removeAudioFile(item->URL().lastPathComponent());
}

}  // namespace zt
