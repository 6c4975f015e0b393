#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/QVMediaPickerController.h"
#include "platform/foundation/Error.h"
#include "platform/media/MediaTime.h"

namespace plat {
class Player;
class URL;
class ViewController;
}  // namespace plat

namespace zt {
class AudioClip;
class MovieMixer;
class ProjectModel;

// The sound of one open project: its clips on three tracks (0 and 1 for
// sounds and voice recordings anchored to frames, 2 for the one piece of
// background music), stored in the metadata under "RecordMetaAudio"; new
// clips placed at a frame where a track has room; clips re-fitted when
// frames go and re-timed when frames come; and a player over the mix that
// plays in step with the preview. Its class operations keep the shared
// audio inbox, Documents/"shared-audio", which receives the audio files
// other apps open in this one. It opens the audio pickers and turns what
// they deliver into clips. Made with std::make_shared (the pickers and the
// import of a music-library song hold on to it weakly). Main queue (the
// inbox operations: any).
class AudioController : public std::enable_shared_from_this<AudioController>, public QVMediaPickerControllerDelegate {
public:
    using Track = std::vector<std::shared_ptr<AudioClip>>;
    static constexpr int kTrackCount = 3;
    static constexpr int64_t kMusicTrack = 2;

    explicit AudioController(std::shared_ptr<ProjectModel> project);  // initWithProject:
    ~AudioController() override;
    AudioController(const AudioController&) = delete;
    AudioController& operator=(const AudioController&) = delete;

    void prepareAudioForProject();
    // Rebuilds the tracks from the metadata, leaving out clips that cannot
    // play (their frame is gone, no length, broken times).
    void loadAudioForProject();
    // Writes the tracks into the metadata and saves it. When it cannot be
    // saved the tracks (and the player) go back to what is stored, the
    // person hears why, and the result is false.
    bool saveAudioData();
    // A new player over the mix of all three tracks.
    void updateAudioPlayer();
    void playAtTimeIndex(float seconds, float rate);
    // The player's position while it plays, else an invalid time.
    plat::MediaTime getCurentTimeIndex() const;
    void stop();

    // True when track 0 or 1 has room at the frame: the first where the
    // clip fits whole, else the one with more room. Without room it posts
    // "ShowErrorNotification" (code 240) and leaves the outs alone; with no
    // picture to place a sound on, the same with kNoPictureError. Frames
    // here and below are entries of the list; a sound placed on the capture
    // placeholder goes on the picture beside it (getShownIndexForIndex).
    bool checkTrackSpaceForClipDuration(const plat::MediaTime& duration, int64_t* availableTrack,
        plat::MediaTime* availableDuration, int64_t frameIndex);
    // The same for a clip already placed (ignoreClip), measuring the room
    // behind it; always fills the outs, with zero when there is none.
    void calculateTrackSpaceForClipDuration(const plat::MediaTime& duration, int64_t* availableTrack,
        plat::MediaTime* availableDuration, int64_t frameIndex, const AudioClip& ignoreClip);
    // Frames free on the track from the frame on.
    plat::MediaTime calculateMaxDurationAvailableForTrack(const Track& track, int64_t frameIndex) const;
    // Frames from the clip's anchor to the track's next anchor, or to the end
    // of the frame list (frameIndex is not used).
    plat::MediaTime calculateMaxDurationAvailableForTrack(
        const Track& track, int64_t frameIndex, const AudioClip& ignoreClip) const;
    // The nearest anchor index after index on the track, or plat::kNotFound.
    int64_t getNextStartIndexFromIndex(int64_t index, const Track& track) const;

    // A new clip of a sound (type 0) or a recording (type 1) at the frame,
    // its file copied into the project folder; nullptr (with
    // "ShowErrorNotification") when the file is no usable sound, no track
    // has room or the copy fails.
    std::shared_ptr<AudioClip> prepareAudioClipWithFile(
        const std::string& path, int64_t frameIndex, const std::optional<std::string>& name, int32_t type);
    // The background music, replacing the old one; nullptr (with
    // "ShowErrorNotification") when the file is no usable sound.
    std::shared_ptr<AudioClip> prepareAudioClipForBackgroundMusicWithFile(
        const std::string& path, const std::optional<std::string>& name);
    // Adds, saves, rebuilds the player and posts
    // "AudioControllerAddAudioNotification"; nothing for no path.
    void addAudioFromFile(
        const std::optional<std::string>& path, int64_t frameIndex, const std::optional<std::string>& name, int type);
    // Stores a clip the clip editor changed, re-fitted to its room. This and
    // the removal take the clip by value: the caller's pointer may be the very
    // entry of a track that they take it from.
    void updateAudioClip(std::shared_ptr<AudioClip> clip);
    // False when nothing was removed: the clip is not in a track, or the
    // removal could not be stored (then the person was told).
    bool removeAudioClip(std::shared_ptr<AudioClip> clip);
    // Removes every clip of the file, then the file (a recording deleted from the list).
    void removeAudioFile(const std::string& name);
    bool isAudioFileStillInUse(const std::string& name) const;

    // After frames were added: every frame-anchored clip is placed again.
    void recalculateAudioClipTimeRanges();
    // After frames were removed or shortened: clips whose frame is gone are
    // removed, the others cut to their room (never lengthened).
    void recalculateAudioClipDurations();
    bool isClipValid(const AudioClip& clip) const;

    std::map<int64_t, std::shared_ptr<AudioClip>> getAudioForFrameAtIndex(int64_t frameIndex) const;
    std::shared_ptr<AudioClip> getAudioClipForFrameAtIndex(int64_t frameIndex, const Track& track) const;
    // nullptr for a track that does not exist or a frame outside the list.
    std::shared_ptr<AudioClip> getAudioClipForFrameAtIndex(int64_t frameIndex, int64_t trackIndex) const;
    // plat::kNotFound when the clip is on no track.
    int64_t getAudioTrackIndexForClip(const AudioClip& clip) const;
    bool hasBackgroundMusic() const;
    void removeBackgoundMusic();

    // Opens the app audio picker (the app's sounds, the recordings and the
    // music library) over the presenter, to add what is picked at the frame.
    void addAudioInView(plat::ViewController& presenter, int64_t frameIndex);
    // Opens the music-library picker, to add what is picked at the frame.
    void addBackgoundMusicInView(plat::ViewController& presenter, int64_t frameIndex);
    // A song of the music library: copied into the project (background music
    // when longer than a minute, else a sound that needs room at the frame).
    void mqMediaPicker(MQMediaPickerController& picker,
        const std::shared_ptr<const plat::MediaItemCollection>& mediaItems,
        const std::shared_ptr<const plat::MediaItem>& selectedItem) override;
    void mqMediaPickerDidCancel(MQMediaPickerController& picker) override;
    // A recording (a voice-over), or one of the app's sounds (background
    // music when longer than a minute, else a sound).
    void qvMediaPicker(QVMediaPickerController& picker,
        const std::vector<std::shared_ptr<QVMediaPickerItem>>& mediaItems,
        const std::shared_ptr<QVMediaPickerItem>& selectedItem) override;
    // A recording deleted in the recordings list: a project recording goes
    // with its clips; a file of the shared inbox goes from the inbox only.
    void qvMediaPickerDidSelectRemoveItem(
        QVMediaPickerController& picker, const std::shared_ptr<QVMediaPickerItem>& item) override;
    // The picker on screen, if any.
    const std::shared_ptr<MQMediaPickerController>& mediaPicker() const { return _mediaPicker; }

    const std::shared_ptr<ProjectModel>& project() const { return _project; }
    MovieMixer& musicMixer() const { return *_musicMixer; }
    const std::array<Track, kTrackCount>& audioTracks() const { return _audioTracks; }
    const std::shared_ptr<plat::Player>& audioPlayer() const { return _audioPlayer; }
    int64_t addAudioToFrame() const { return _addAudioToFrame; }
    void setAddAudioToFrame(int64_t frameIndex) { _addAudioToFrame = frameIndex; }
    bool isAudioMixChanged() const { return _isAudioMixChanged; }
    bool audioMixNeedsUpdate() const { return _audioMixNeedsUpdate; }
    void setAudioMixNeedsUpdate(bool needsUpdate) { _audioMixNeedsUpdate = needsUpdate; }

    static std::string sharedAudioInboxPath();
    // Creates the inbox with its intermediate folders when nothing is there;
    // a failure is logged and otherwise ignored.
    static void createSharedAudioInboxFolder();
    // Moves the file into the inbox under its own name, or "name-2.ext",
    // "name-3.ext"... when that is taken. False, with an error, when the URL
    // is not a plain file or the move fails; the file then stays where it was.
    static bool importAudioFromFileURL(const plat::URL& url, std::optional<plat::Error>* error = nullptr);
    // Whether the URL names a sound: its name's type is audio, or it is a
    // file in which FFmpeg finds sound and no pictures, whatever its name
    // (FLAC, Ogg, Opus, AC-3, a ringtone). Any thread.
    static bool isAudioFileAtURL(const plat::URL& url);

    static constexpr const char* kErrorDomain = "AudioController";
    static constexpr int64_t kNotAFileError = 1;
    static constexpr int64_t kNotStoredError = 2;
    // Nothing but the capture placeholder to place a sound on.
    static constexpr int64_t kNoPictureError = 3;
    static constexpr int64_t kNoRoomError = 240;
    // Longer picks become the background music.
    static constexpr double kLongestSoundSeconds = 60;

private:
    int64_t fps() const;
    plat::MediaTime frames(int64_t count) const;
    int64_t anchorIndexOf(const AudioClip& clip) const;
    // The entry the clip starts at: its anchor, or for a clip stored on the
    // capture placeholder the picture beside it; plat::kNotFound when gone.
    int64_t placedIndexOf(const AudioClip& clip) const;
    bool isClipPlayingAtFrameIndex(const AudioClip& clip, int64_t frameIndex) const;
    bool anotherClipPlaysAt(int64_t frameIndex, const Track& track, const AudioClip& clip) const;
    enum class MarkForRendering { No, Yes };
    // A change the person made is taken back and told; a fit that follows
    // from stored frames is only logged.
    enum class WhenNotStored { TakeBackAndTell, Log };
    bool storeTracks(MarkForRendering mark, WhenNotStored whenNotStored);
    // False (the change taken back, the person told) when the tracks cannot be stored.
    bool storeAndMarkForRendering();
    void postError(const plat::Error& error);
    void deleteFileIfUnused(const std::string& name);
    void presentPicker(plat::ViewController& presenter, std::shared_ptr<MQMediaPickerController> picker);
    void closePicker(MQMediaPickerController& picker);
    void showProtectedMusicAlert();
    void addExportedSong(const std::string& path, const std::string& title, int type);

    std::shared_ptr<ProjectModel> _project;
    std::unique_ptr<MovieMixer> _musicMixer;
    std::array<Track, kTrackCount> _audioTracks;
    std::shared_ptr<plat::Player> _audioPlayer;
    // Kept from its opening until it is dismissed and cleaned up.
    std::shared_ptr<MQMediaPickerController> _mediaPicker;
    int64_t _addAudioToFrame = 0;
    bool _isAudioMixChanged = false;
    bool _audioMixNeedsUpdate = false;
};

// Names of what the controller posts, with the controller as object.
inline constexpr const char* kAudioControllerAddAudioNotification = "AudioControllerAddAudioNotification";
inline constexpr const char* kShowErrorNotification = "ShowErrorNotification";
inline constexpr const char* kShowActivityNotification = "ShowActivityNotification";
inline constexpr const char* kInfoKey = "INFO";
inline constexpr const char* kClipKey = "CLIP";
inline constexpr const char* kErrorKey = "ERROR";

}  // namespace zt
