#pragma once
#include <memory>
#include <string>

#include "platform/foundation/NotificationCenter.h"
#include "platform/media/MediaTime.h"
#include "platform/ui/ViewController.h"
#include "uikit/QVTrimControl.h"

namespace plat {
class Button;
class Image;
class ImageView;
class Player;
class Slider;
}  // namespace plat

namespace zt {
class AudioClip;
class AudioController;
class PreviewPlayer;
class ProjectModel;

// The clip editor (the layout "AudioConfigurationViewController", shown in
// a navigation controller): the clip's waveform under a trim control, its
// volume, listening to it alone, Done and Trash. Trims and volume change
// the clip in place and mark the movie for rendering; Done stores the clip
// through the audio controller and posts "AudioControllerDoneNotification",
// Trash removes it and posts "AudioControllerRemoveClipNotification". The
// waveform is drawn once per sound file on a background queue and kept in
// Caches as "<file>.wavecache". Listening plays a copy of the clip, so the
// clip's place in the movie, which the strip shows, stays as it is. Main
// thread, except the waveform drawing.
class AudioConfigurationViewController : public plat::ViewController, public QVTrimControlDelegate {
public:
    static constexpr int32_t kClipTimescale = 600;
    static constexpr double kTrimControlHeight = 75;
    // The trim control reaches this far past the waveform on both sides.
    static constexpr double kTrimControlOutset = 10;
    static constexpr double kBorderCornerRadius = 5.0;
    static constexpr double kBorderWidth = 1.0;
    static constexpr double kWaveformHeight = 50;
    // A clip listened to alone is placed at the start of a mix this long.
    static constexpr int64_t kListeningSeconds = 100000000;

    // initWithAudioClip:forController:andProject:
    AudioConfigurationViewController(std::shared_ptr<AudioClip> audioClip,
        std::shared_ptr<AudioController> audioController, std::shared_ptr<ProjectModel> project);
    ~AudioConfigurationViewController() override;

    const std::shared_ptr<AudioClip>& audioClip() const { return _audioClip; }
    const std::shared_ptr<AudioController>& audioController() const { return _audioController; }
    const std::shared_ptr<ProjectModel>& project() const { return _project; }
    const std::shared_ptr<plat::Player>& audioPlayer() const { return _audioPlayer; }
    const std::shared_ptr<plat::Slider>& sliderVolume() const { return _sliderVolume; }
    const std::shared_ptr<plat::Button>& btnPlay() const { return _btnPlay; }
    const std::shared_ptr<plat::Button>& btnStop() const { return _btnStop; }
    const std::shared_ptr<plat::View>& viewTrimm() const { return _viewTrimm; }
    const std::shared_ptr<QVTrimControl>& trimControl() const { return _trimControl; }
    const std::shared_ptr<plat::ImageView>& waveformView() const { return _waveformView; }
    const plat::MediaTime& maxAvailableDuration() const { return _maxAvailableDuration; }
    // Set by the frame editor; the editor itself does not play through it.
    std::weak_ptr<PreviewPlayer> previewPlayer() const { return _previewPlayer; }
    void setPreviewPlayer(std::weak_ptr<PreviewPlayer> player) { _previewPlayer = std::move(player); }
    bool isPlaying() const;
    // True from the start of the waveform's drawing until its picture, or
    // the news that there is none, is back on the main queue.
    bool isDrawingWaveform() const { return _drawingWaveform; }

    // Caches + the sound file's name + ".wavecache".
    static std::string waveformCachePath(const std::string& soundFileName);

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    void makeBorderForView(plat::View& view, const plat::Color& color);
    void trimControl(QVTrimControl& trimControl, double leftValue, double rightValue) override;
    void actionSliderValueChanged(plat::Slider& slider);
    void actionPlayButton();
    void prepareAudioPlayer();
    void playerItemDidReachEnd();
    void actionDone();
    void actionTrash();

private:
    void connectOutlets();
    void buildWaveformArea();
    void buildTrimControl();
    void showWaveform(std::shared_ptr<plat::Image> image);
    void markForRendering();
    void stopListening();
    std::string clipFilePath() const;

    std::shared_ptr<AudioClip> _audioClip;
    std::shared_ptr<AudioController> _audioController;
    std::shared_ptr<ProjectModel> _project;
    std::shared_ptr<plat::Player> _audioPlayer;
    std::shared_ptr<plat::Slider> _sliderVolume;
    std::shared_ptr<plat::Button> _btnPlay;
    std::shared_ptr<plat::Button> _btnStop;
    std::shared_ptr<plat::View> _viewTrimm;
    std::shared_ptr<plat::ImageView> _waveformView;
    std::shared_ptr<QVTrimControl> _trimControl;
    plat::MediaTime _maxAvailableDuration;
    std::weak_ptr<PreviewPlayer> _previewPlayer;
    plat::ObserverToken _itemEndObserver;
    bool _drawingWaveform = false;
};

inline constexpr const char* kAudioControllerDoneNotification = "AudioControllerDoneNotification";
inline constexpr const char* kAudioControllerRemoveClipNotification = "AudioControllerRemoveClipNotification";

}  // namespace zt
