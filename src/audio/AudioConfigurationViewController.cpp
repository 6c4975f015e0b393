#include "audio/AudioConfigurationViewController.h"

#include "audio/AudioController.h"
#include "audio/AudioWaveformGenerator.h"
#include "document/AudioClip.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/media/Asset.h"
#include "platform/media/AudioMix.h"
#include "platform/media/MutableComposition.h"
#include "platform/media/Player.h"
#include "platform/media/PlayerItem.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Slider.h"
#include "render/MovieMixer.h"
#include "uikit/AppTint.h"

namespace zt {

namespace {

constexpr const char* kWaveformCacheExtension = "wavecache";
constexpr const char* kNeedsRenderingKey = "RecordNeedsRendering";
constexpr double kFineScreenScale = 2.0;

template <typename T> std::shared_ptr<T> outletOf(const plat::ViewController& owner, const std::string& name)
{
    auto view = std::dynamic_pointer_cast<T>(owner.outlet(name));
    if (!view)
        plat::log("clip editor: the layout has no {}", name);
    return view;
}

}  // namespace

AudioConfigurationViewController::AudioConfigurationViewController(std::shared_ptr<AudioClip> audioClip,
    std::shared_ptr<AudioController> audioController, std::shared_ptr<ProjectModel> project)
    : plat::ViewController("AudioConfigurationViewController")
    , _audioClip(std::move(audioClip))
    , _audioController(std::move(audioController))
    , _project(std::move(project))
{
}

AudioConfigurationViewController::~AudioConfigurationViewController()
{
    if (_audioPlayer)
        _audioPlayer->pause();
}

std::string AudioConfigurationViewController::waveformCachePath(const std::string& soundFileName)
{
    return plat::appendingPathComponent(
        plat::Sandbox::current()->cachesDirectory(), soundFileName + "." + kWaveformCacheExtension);
}

std::string AudioConfigurationViewController::clipFilePath() const
{
    const auto& folder = _project->getProjectPath();
    const std::string name = _audioClip->url() ? plat::lastPathComponent(_audioClip->url()->path()) : std::string();
    return folder ? plat::appendingPathComponent(*folder, name) : name;
}

bool AudioConfigurationViewController::isPlaying() const
{
    return _audioPlayer && _audioPlayer->rate() != 0;
}

void AudioConfigurationViewController::connectOutlets()
{
    _sliderVolume = outletOf<plat::Slider>(*this, "sliderVolume");
    _btnPlay = outletOf<plat::Button>(*this, "btnPlay");
    _btnStop = outletOf<plat::Button>(*this, "btnStop");
    _viewTrimm = outletOf<plat::View>(*this, "viewTrimm");
}

void AudioConfigurationViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    connectOutlets();
    setTitle(_audioClip->name().value_or(""));
    auto done = std::make_shared<plat::BarButtonItem>(
        plat::Image::imageNamed("theme_view_btn_close.png"), plat::BarButtonItemStyle::Bordered);
    done->setTitle("");
    done->setAccessibilityLabel(plat::localized("Done"));
    done->setTarget(this, &AudioConfigurationViewController::actionDone);
    navigationItem()->setLeftBarButtonItem(done);
    auto trash = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Trash);
    trash->setTarget(this, &AudioConfigurationViewController::actionTrash);
    navigationItem()->setRightBarButtonItem(trash);

    if (_sliderVolume) {
        _sliderVolume->setValue(_audioClip->volume());
        _sliderVolume->addTarget(
            this, &AudioConfigurationViewController::actionSliderValueChanged, plat::ControlEventValueChanged);
    }
    if (_btnPlay)
        _btnPlay->addTarget(this, &AudioConfigurationViewController::actionPlayButton, plat::ControlEventTouchUpInside);
    if (_btnStop) {
        _btnStop->addTarget(this, &AudioConfigurationViewController::actionPlayButton, plat::ControlEventTouchUpInside);
        _btnStop->setHidden(true);
    }
}

void AudioConfigurationViewController::viewWillAppear(bool animated)
{
    plat::ViewController::viewWillAppear(animated);
    // The white close arrow and title, and Trash, read on the panel's dark bar.
    if (auto navigation = navigationController()) {
        navigation->navigationBar()->setBarStyle(plat::BarStyle::Black);
        tintBarButtonsForReading(*navigation->navigationBar());
    }
    // Built once: the screen may appear again after something covered it.
    if (_trimControl || !_viewTrimm)
        return;
    buildWaveformArea();
    buildTrimControl();
}

void AudioConfigurationViewController::makeBorderForView(plat::View& view, const plat::Color& color)
{
    view.layer()->setMasksToBounds(true);
    view.layer()->setCornerRadius(kBorderCornerRadius);
    view.layer()->setBorderWidth(kBorderWidth);
    view.layer()->setBorderColor(color);
}

void AudioConfigurationViewController::buildWaveformArea()
{
    const plat::Rect area = _viewTrimm->bounds();
    _waveformView = std::make_shared<plat::ImageView>(plat::makeRect(0, 0, area.width(), area.height()));
    _waveformView->setContentMode(plat::ContentMode::ScaleToFill);
    _waveformView->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    _viewTrimm->addSubview(_waveformView);
    _viewTrimm->setClipsToBounds(true);
    makeBorderForView(*_viewTrimm, plat::Color::darkGrayColor());
    if (auto pattern = plat::Image::imageNamed("audiowave_bg"))
        _viewTrimm->setBackgroundColor(plat::Color::colorWithPatternImage(pattern));

    const std::string file = clipFilePath();
    const std::string cachePath = waveformCachePath(plat::lastPathComponent(file));
    if (auto cached = plat::Image::imageWithContentsOfFile(cachePath)) {
        _waveformView->setImage(cached);
        return;
    }
    const bool fineScreen = plat::Screen::mainScreen().scale() == kFineScreenScale;
    const plat::Size size
        = fineScreen ? plat::Size {2 * area.width(), 2 * kWaveformHeight} : plat::Size {area.width(), kWaveformHeight};
    std::weak_ptr<AudioConfigurationViewController> weakSelf = sharedAs<AudioConfigurationViewController>();
    _drawingWaveform = true;
    plat::DispatchQueue::globalQueue(plat::DispatchQueue::Priority::Background)
        .async([weakSelf, file, cachePath, size] {
            auto asset = plat::URLAsset::URLAssetWithURL(plat::URL::fileURLWithPath(file));
            auto image = AudioWaveformGenerator().renderPNGAudioPictogramForAssett(asset, size);
            // Without a picture the pattern stays and nothing is cached.
            if (auto png = image ? plat::PNGRepresentation(*image) : std::nullopt) {
                if (auto written = plat::writeFileAtomically(cachePath, *png); !written.ok())
                    plat::log("clip editor: the waveform is not kept: {}", written.error().localizedDescription());
            }
            plat::DispatchQueue::mainQueue().async([weakSelf, image] {
                if (auto self = weakSelf.lock())
                    self->showWaveform(image);
            });
        });
}

void AudioConfigurationViewController::showWaveform(std::shared_ptr<plat::Image> image)
{
    _drawingWaveform = false;
    if (_waveformView && image)
        _waveformView->setImage(std::move(image));
}

void AudioConfigurationViewController::buildTrimControl()
{
    const bool anchored = _audioClip->track() != AudioController::kMusicTrack;
    if (anchored) {
        plat::MediaTime room = plat::MediaTime::zero();
        _audioController->calculateTrackSpaceForClipDuration(
            _audioClip->totalDuration(), nullptr, &room, _audioClip->startFrameIndex(), *_audioClip);
        _maxAvailableDuration = room;
    }
    const double length = _audioClip->totalDuration().seconds();
    double maxSelectable = length;
    if (anchored && _audioClip->totalDuration() > _maxAvailableDuration)
        maxSelectable = _maxAvailableDuration.seconds();
    const double left = _audioClip->start().seconds();
    const double right = left + _audioClip->duration().seconds();
    const plat::Rect area = _viewTrimm->frame();
    _trimControl = QVTrimControl::initWithFrame(plat::makeRect(area.minX() - kTrimControlOutset, area.minY(),
                                                    area.width() + 2 * kTrimControlOutset, kTrimControlHeight),
        static_cast<float>(length), static_cast<float>(maxSelectable), static_cast<float>(left),
        static_cast<float>(right));
    // The panel may still take its width from the screen after this.
    _trimControl->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    _trimControl->setDelegate(
        std::static_pointer_cast<QVTrimControlDelegate>(sharedAs<AudioConfigurationViewController>()));
    view()->addSubview(_trimControl);
}

void AudioConfigurationViewController::markForRendering()
{
    // The clip itself is stored, or refused with the reason, at Done: a
    // mark that cannot be stored meanwhile is taken back and not told on
    // every move of a slider.
    if (auto marked = _project->changeMetaData({{kNeedsRenderingKey, true}}); !marked.ok())
        plat::log("clip editor: the movie is not marked for rendering: {}", marked.error().description());
}

void AudioConfigurationViewController::trimControl(QVTrimControl&, double leftValue, double rightValue)
{
    if (isPlaying())
        actionPlayButton();
    _audioClip->setStart(plat::MediaTime::makeWithSeconds(leftValue, kClipTimescale));
    _audioClip->setDuration(plat::MediaTime::makeWithSeconds(rightValue - leftValue, kClipTimescale));
    markForRendering();
}

void AudioConfigurationViewController::actionSliderValueChanged(plat::Slider& slider)
{
    if (isPlaying())
        actionPlayButton();
    _audioClip->setVolume(static_cast<float>(slider.value()));
    markForRendering();
}

void AudioConfigurationViewController::prepareAudioPlayer()
{
    // The clip as stored keeps its place in the movie: the strip shows it.
    auto alone = std::make_shared<AudioClip>(*_audioClip);
    alone->setTimeRangeInMovie(
        plat::MediaTimeRange::make(plat::MediaTime::zero(), plat::MediaTime::make(kListeningSeconds, 1)));
    std::shared_ptr<plat::MutableComposition> composition;
    std::shared_ptr<plat::AudioMix> audioMix;
    MovieMixer mixer(_project);
    (void)mixer.prepareAVMutableCompositionWithMixWithAudioData(&composition, &audioMix, {{alone}}, nullptr);
    auto item = plat::PlayerItem::playerItemWithAsset(composition);
    item->setAudioMix(audioMix);
    if (_audioPlayer)
        _audioPlayer->pause();
    _audioPlayer = plat::Player::playerWithPlayerItem(item);
}

void AudioConfigurationViewController::stopListening()
{
    _itemEndObserver = {};
    if (_audioPlayer)
        _audioPlayer->pause();
    if (_btnPlay)
        _btnPlay->setSelected(false);
    if (_btnStop)
        _btnStop->setHidden(true);
}

void AudioConfigurationViewController::actionPlayButton()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (isPlaying()) {
        stopListening();
        return;
    }
    prepareAudioPlayer();
    if (_btnPlay)
        _btnPlay->setSelected(true);
    if (_btnStop)
        _btnStop->setHidden(false);
    _audioPlayer->play();
    std::weak_ptr<AudioConfigurationViewController> weakSelf = sharedAs<AudioConfigurationViewController>();
    _itemEndObserver
        = plat::NotificationCenter::defaultCenter().addObserver(plat::kPlayerItemDidPlayToEndTimeNotification,
            _audioPlayer->currentItem().get(), [weakSelf](const plat::Notification&) {
                if (auto self = weakSelf.lock())
                    self->playerItemDidReachEnd();
            });
}

void AudioConfigurationViewController::playerItemDidReachEnd()
{
    _itemEndObserver = {};
    if (_btnPlay)
        _btnPlay->setSelected(false);
    // Played to its end the clip is quiet again: stop is no longer offered.
    if (_btnStop)
        _btnStop->setHidden(true);
}

void AudioConfigurationViewController::actionDone()
{
    auto keepAlive = sharedAs<AudioConfigurationViewController>();  // the frame editor lets go of us
    stopListening();
    _audioController->updateAudioClip(_audioClip);
    plat::NotificationCenter::defaultCenter().post(kAudioControllerDoneNotification, this);
}

void AudioConfigurationViewController::actionTrash()
{
    auto keepAlive = sharedAs<AudioConfigurationViewController>();
    stopListening();
    _audioController->removeAudioClip(_audioClip);
    plat::NotificationCenter::defaultCenter().post(
        kAudioControllerRemoveClipNotification, this, plat::Dictionary {{kClipKey, _audioClip}});
}

}  // namespace zt
