// The green-screen source's key colour and sensitivity: fixed colours, the
// colour measured from the live picture, and their saving.
#include "document/DataManager.h"
#include "glimage/GLImageAverageColor.h"
#include "glimage/GLImageBrightnessFilter.h"
#include "glimage/GLImageChromaKeyBlendFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageVideoCamera.h"
#include "glimage/GLImageView.h"
#include "greenscreen/CaptureChromaKeyCamera.h"
#include "greenscreen/ChromaKeyConfiguration.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/Bitmap.h"
#include "uikit/Hudy.h"

namespace zt {

namespace {

// The camera's input of the blend filter; the backdrop has input 1.
constexpr int64_t kCameraInput = 0;

}  // namespace

void CaptureChromaKeyCamera::applyKeyColor(const plat::Color& color)
{
    _chromaColor = color;
    if (_filter)
        _filter->setColorToReplaceRed(
            static_cast<float>(color.red()), static_cast<float>(color.green()), static_cast<float>(color.blue()));
}

void CaptureChromaKeyCamera::saveConfiguration()
{
    if (!_filter) {
        plat::log("green screen: not set up; the key colour is not saved");
        return;
    }
    ChromaKeyConfiguration::saveConfiguration(
        DataManager::sharedDataManager(), _chromaColor, _filter->thresholdSensitivity());
}

void CaptureChromaKeyCamera::didChangedFilterValue(plat::ViewController&, float value)
{
    if (!_filter)
        return;
    _filter->setThresholdSensitivity(value);
    saveConfiguration();
}

void CaptureChromaKeyCamera::didSelectChangeChromaKeyColor(plat::ViewController&, const plat::Color& color)
{
    closePopoverLater();
    applyKeyColor(color);
    saveConfiguration();
}

void CaptureChromaKeyCamera::didSelectResetChromaKeyColor(plat::ViewController& sender)
{
    didSelectChangeChromaKeyColor(sender, plat::Color::colorWithRed(0, 1, 0, 1));
}

void CaptureChromaKeyCamera::didSelectChangeAutoChromaKeyColor(plat::ViewController&)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    closePopoverLater();
    if (!_videoCamera || !_filter || !_viewCamera) {
        plat::log("green screen: not set up; no colour to measure");
        return;
    }
    // A second request would wire a second pass-through filter and lose the first.
    if (isSampling()) {
        plat::log("green screen: a colour is being measured already");
        return;
    }
    plat::DispatchQueue::mainQueue().async([weakSelf = weakSelf()] {
        auto self = weakSelf.lock();
        if (!self || !self->isSampling())
            return;
        self->_hudy = std::make_shared<Hudy>();
        self->_hudy->setCaption(plat::localized("Point camera to the color you want to remove."));
        self->_hudy->setIsActivity(true);
        self->_hudy->setDismissAfterTime(Hudy::kStaysUntilDismissed);
        self->_hudy->showInView(self->view());
    });
    _videoCamera->removeTarget(_filter);
    _passFilter = std::make_shared<GLImageBrightnessFilter>();
    _videoCamera->addTarget(_passFilter);
    _passFilter->addTarget(_viewCamera);
    _detectionTimer = plat::Timer::scheduledTimerWithTimeInterval(
        kDetectionDelaySeconds,
        [weakSelf = weakSelf()] {
            if (auto self = weakSelf.lock())
                self->detectMainColorAndChangeChromaKeyFilter();
        },
        /*repeats=*/false);
}

void CaptureChromaKeyCamera::detectMainColorAndChangeChromaKeyFilter()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _detectionTimer.reset();
    if (!_passFilter) {
        plat::log("green screen: nothing to measure the colour of (torn down)");
        return;
    }
    auto sample = _passFilter->newCGImageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    if (!sample) {
        // No picture came in the wait: the key colour stays as it was.
        plat::log("green screen: no picture came to measure; the key colour is unchanged");
        rewireAfterSampling();
    } else {
        auto picture = std::make_shared<GLImagePicture>(sample);
        auto average = std::make_shared<GLImageAverageColor>();
        // On the context queue: the result goes to the main thread, which owns the key colour and the settings.
        average->setColorAverageProcessingFinishedBlock(
            [weakSelf = weakSelf()](double red, double green, double blue, double alpha, const plat::MediaTime&) {
                auto measured = plat::Color::colorWithRed(red, green, blue, alpha);
                plat::DispatchQueue::mainQueue().async([weakSelf, measured] {
                    if (auto self = weakSelf.lock())
                        self->finishDetection(measured);
                });
            });
        picture->addTarget(average);
        picture->processImage();
    }
    plat::DispatchQueue::mainQueue().async([weakSelf = weakSelf()] {
        auto self = weakSelf.lock();
        if (!self || !self->_hudy)
            return;
        self->_hudy->dismiss();
        self->_hudy.reset();
    });
}

void CaptureChromaKeyCamera::finishDetection(const plat::Color& measured)
{
    // The source may have been torn down (or set up anew) while the colour was measured.
    if (!_passFilter) {
        plat::log("green screen: a measured colour came after the sample ended; not used");
        return;
    }
    applyKeyColor(measured);
    saveConfiguration();
    rewireAfterSampling();
}

void CaptureChromaKeyCamera::rewireAfterSampling()
{
    if (!_passFilter)
        return;
    if (_videoCamera) {
        _videoCamera->removeTarget(_passFilter);
        if (_filter)
            _videoCamera->addTarget(_filter, kCameraInput);
    }
    if (_viewCamera)
        _passFilter->removeTarget(_viewCamera);
    _passFilter.reset();
}

}  // namespace zt
