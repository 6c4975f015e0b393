#include "editor/QVImageEditorViewController.h"

#include <cmath>

#include "editor/QVImageEditorFrame.h"
#include "editor/QVImageEditorRendering.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/RotationGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"

namespace zt {

namespace {

constexpr int kTapsToReset = 2;

template <typename Recognizer> void setRecognizerEnabled(const std::shared_ptr<Recognizer>& recognizer, bool enabled)
{
    if (recognizer)
        recognizer->setEnabled(enabled);
}

}  // namespace

QVImageEditorViewController::QVImageEditorViewController() = default;

QVImageEditorViewController::QVImageEditorViewController(std::string nibName)
    : ViewController(std::move(nibName))
{
}

QVImageEditorViewController::~QVImageEditorViewController() = default;

void QVImageEditorViewController::setTapToResetEnabled(bool enabled)
{
    _tapToResetEnabled = enabled;
    setRecognizerEnabled(_tapRecognizer, enabled);
}

void QVImageEditorViewController::setPanEnabled(bool enabled)
{
    _panEnabled = enabled;
    setRecognizerEnabled(_panRecognizer, enabled);
}

void QVImageEditorViewController::setScaleEnabled(bool enabled)
{
    _scaleEnabled = enabled;
    setRecognizerEnabled(_pinchRecognizer, enabled);
}

void QVImageEditorViewController::setRotateEnabled(bool enabled)
{
    _rotateEnabled = enabled;
    setRecognizerEnabled(_rotationRecognizer, enabled);
}

void QVImageEditorViewController::setSourceImage(std::shared_ptr<const plat::Image> image)
{
    if (image == _sourceImage)
        return;
    _sourceImage = std::move(image);
    _previewImage.reset();
}

std::shared_ptr<const plat::Image> QVImageEditorViewController::previewImage()
{
    if (_previewImage || !hasUsableSource())
        return _previewImage;
    plat::Size size = _sourceImage->size();
    if (size.width <= kLargestPreviewEdge && size.height <= kLargestPreviewEdge) {
        _previewImage = _sourceImage;
    } else {
        _previewImage = scaledImage(*_sourceImage, {kPreviewWidth, kPreviewWidth * (size.height / size.width)},
            plat::InterpolationQuality::Low);
    }
    return _previewImage;
}

void QVImageEditorViewController::setFrameView(const std::shared_ptr<plat::View>& view)
{
    if (view && !dynamic_cast<QVImageEditorFrame*>(view.get())) {
        plat::log("image editor: the frame view does not mark a crop rectangle");
        return;
    }
    _frameView = view;
}

QVImageEditorFrame* QVImageEditorViewController::frameMarker() const
{
    return dynamic_cast<QVImageEditorFrame*>(_frameView.lock().get());
}

plat::Rect QVImageEditorViewController::cropRect()
{
    view();  // the overlay comes with the view
    auto overlay = frameView();
    QVImageEditorFrame* marker = frameMarker();
    if (!overlay || !marker)
        return {};
    plat::Rect rect = marker->cropRect();
    if (rect.width() == 0 || rect.height() == 0) {
        plat::Rect bounds = overlay->bounds();
        marker->setCropRect(plat::makeRect((bounds.width() - kDefaultCropSide) / 2,
            (bounds.height() - kDefaultCropSide) / 2, kDefaultCropSide, kDefaultCropSide));
        rect = marker->cropRect();
    }
    return rect;
}

void QVImageEditorViewController::setCropRect(plat::Rect rect)
{
    view();
    if (QVImageEditorFrame* marker = frameMarker())
        marker->setCropRect(rect);
}

plat::Size QVImageEditorViewController::cropSize()
{
    return cropRect().size;
}

void QVImageEditorViewController::setCropSize(plat::Size size)
{
    view();  // the overlay comes with the view
    auto overlay = frameView();
    if (!overlay)
        return;
    plat::Rect bounds = overlay->bounds();
    setCropRect(plat::makeRect(
        (bounds.width() - size.width) / 2, (bounds.height() - size.height) / 2, size.width, size.height));
}

void QVImageEditorViewController::viewDidLoad()
{
    ViewController::viewDidLoad();
    auto root = view();
    if (_frameView.expired())
        setFrameView(outlet("frameView"));
    root->setClipsToBounds(true);
    auto pictureView = std::make_shared<plat::ImageView>();
    if (auto overlay = frameView(); overlay && overlay->superview() == root)
        root->insertSubviewBelowSubview(pictureView, *overlay);
    else
        root->insertSubview(pictureView, 0);
    _imageView = pictureView;
    root->setMultipleTouchEnabled(true);

    auto overlay = frameView();
    if (!overlay) {
        plat::log("image editor: the layout {} has no frame view", nibName());
        return;
    }
    std::weak_ptr<plat::GestureRecognizerDelegate> self = sharedAs<QVImageEditorViewController>();
    // Touches still reach the views, so the controller can follow the fingers' centre.
    auto attach = [&](const auto& recognizer, bool enabled) {
        recognizer->setDelegate(self);
        recognizer->setCancelsTouchesInView(false);
        recognizer->setEnabled(enabled);
        overlay->addGestureRecognizer(recognizer);
    };
    _panRecognizer = std::make_shared<plat::PanGestureRecognizer>(this, &QVImageEditorViewController::handlePan);
    attach(_panRecognizer, _panEnabled);
    _rotationRecognizer
        = std::make_shared<plat::RotationGestureRecognizer>(this, &QVImageEditorViewController::handleRotation);
    attach(_rotationRecognizer, _rotateEnabled);
    _pinchRecognizer = std::make_shared<plat::PinchGestureRecognizer>(this, &QVImageEditorViewController::handlePinch);
    attach(_pinchRecognizer, _scaleEnabled);
    _tapRecognizer = std::make_shared<plat::TapGestureRecognizer>(this, &QVImageEditorViewController::handleTap);
    _tapRecognizer->setNumberOfTapsRequired(kTapsToReset);
    attach(_tapRecognizer, _tapToResetEnabled);
}

void QVImageEditorViewController::viewWillAppear(bool animated)
{
    ViewController::viewWillAppear(animated);
    reset(/*animated=*/false);
    auto preview = previewImage();
    if (auto pictureView = imageView())
        pictureView->setImage(preview);
    if (preview && preview != _sourceImage)
        showDisplayImage();
}

// The preview may be small; a sharper picture follows when it is ready.
void QVImageEditorViewController::showDisplayImage()
{
    auto source = _sourceImage;
    if (!hasUsableSource())
        return;
    std::weak_ptr<QVImageEditorViewController> weakSelf = sharedAs<QVImageEditorViewController>();
    plat::DispatchQueue::globalQueue().async([weakSelf, source] {
        std::shared_ptr<const plat::Image> display = newScaledImage(*source, source->imageOrientation(),
            displayImageSizeForSourceSize(source->size()), plat::InterpolationQuality::Default);
        plat::DispatchQueue::mainQueue().async([weakSelf, source, display] {
            auto self = weakSelf.lock();
            // A source changed meanwhile has its own picture coming.
            if (!self || !display || self->_sourceImage != source)
                return;
            if (auto pictureView = self->imageView())
                pictureView->setImage(display);
        });
    });
}

bool QVImageEditorViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return orientation == plat::InterfaceOrientation::Portrait;
}

bool QVImageEditorViewController::gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(
    plat::GestureRecognizer&, plat::GestureRecognizer&)
{
    return true;
}

bool QVImageEditorViewController::hasUsableSource() const
{
    return isUsableSourceImage(_sourceImage.get());
}

void QVImageEditorViewController::reset(bool animated)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    // Without a picture there is nothing to place (and no ratio to divide by).
    if (!hasUsableSource())
        return;
    plat::Size source = _sourceImage->size();
    double ratio = source.height / source.width;
    plat::Rect crop = cropRect();
    if (!(crop.width() > 0) || !(crop.height() > 0) || !std::isfinite(crop.width() + crop.height()))
        return;
    double width, height;
    if (ratio <= crop.height() / crop.width()) {
        height = crop.height();
        width = height / ratio;
    } else {
        width = crop.width();
        height = ratio * width;
    }
    _scale = 1.0;
    if (_checkBounds)
        _minimumScale = 1.0;
    // The picture shows unmirrored again, so turning must follow the fingers again.
    _isFlipped = false;
    _initialImageFrame = plat::makeRect(crop.midX() - width / 2, crop.midY() - height / 2, width, height);
    _validTransform = plat::AffineTransform::makeScale(_scale, _scale);

    auto pictureView = imageView();
    if (!pictureView)
        return;
    auto place = [pictureView, frame = _initialImageFrame, transform = _validTransform] {
        pictureView->setTransform(plat::AffineTransform::identity());
        pictureView->setFrame(frame);
        pictureView->setTransform(transform);
    };
    if (!animated) {
        place();
        return;
    }
    setTouchesAccepted(false);
    std::weak_ptr<QVImageEditorViewController> weakSelf = sharedAs<QVImageEditorViewController>();
    plat::View::animateWithDuration(kResetSeconds, place, [weakSelf](bool) {
        if (auto self = weakSelf.lock())
            self->setTouchesAccepted(true);
    });
}

void QVImageEditorViewController::resetAction()
{
    reset(/*animated=*/false);
}

void QVImageEditorViewController::resetAnimatedAction()
{
    reset(/*animated=*/true);
}

void QVImageEditorViewController::handleTap(plat::TapGestureRecognizer&)
{
    reset(/*animated=*/true);
}

void QVImageEditorViewController::setTouchesAccepted(bool accepted)
{
    if (isViewLoaded())
        view()->setUserInteractionEnabled(accepted);
}

void QVImageEditorViewController::doneAction()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    auto pictureView = imageView();
    if (!hasUsableSource() || !pictureView) {
        plat::log("image editor: no picture to crop");
        reportResult(nullptr, /*cancelled=*/true);
        return;
    }
    // Everything the rendering needs is read here, on the main thread; the
    // global queue gets copies and the immutable source.
    std::shared_ptr<const plat::Image> source = _sourceImage;
    plat::AffineTransform transform = pictureView->transform();
    plat::Size imageViewSize = pictureView->bounds().size;
    plat::Rect crop = cropRect();
    double width = std::isfinite(_outputWidth) && _outputWidth > 0 ? _outputWidth : source->size().width;

    setTouchesAccepted(false);
    startTransformHook();
    std::weak_ptr<QVImageEditorViewController> weakSelf = sharedAs<QVImageEditorViewController>();
    plat::DispatchQueue::globalQueue().async([weakSelf, source, transform, imageViewSize, crop, width] {
        std::shared_ptr<plat::Image> edited = newTransformedImage(transform, *source, width, crop, imageViewSize);
        plat::DispatchQueue::mainQueue().async([weakSelf, edited] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            self->setTouchesAccepted(true);
            // A picture that could not be made is no result: reported as cancelled, the frame stays.
            self->reportResult(edited, /*cancelled=*/edited == nullptr);
            self->endTransformHook();
        });
    });
}

void QVImageEditorViewController::cancelAction()
{
    reportResult(nullptr, /*cancelled=*/true);
}

void QVImageEditorViewController::reportResult(std::shared_ptr<plat::Image> image, bool cancelled)
{
    DoneCallback callback = _doneCallback;
    if (callback)
        callback(cancelled ? nullptr : std::move(image), cancelled);
}

}  // namespace zt
