#include "painter/PainterViewController.h"

#include "document/DataManager.h"
#include "document/FailureAlerts.h"
#include "document/FrameFiles.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "painter/MaskingView.h"
#include "painter/PainterBrush.h"
#include "painter/PainterFiles.h"
#include "painter/PainterLayerManager.h"
#include "painter/PainterLayerTableViewController.h"
#include "painter/PainterSettings.h"
#include "painter/PaintingArea.h"
#include "painter/PaintingView.h"
#include "painter/Stroke.h"
#include "painter/StrokeScaling.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Screen.h"
#include "platform/ui/SwipeGestureRecognizer.h"
#include "uikit/HelpLayouts.h"
#include "uikit/HelpManager.h"
#include "uikit/UIColorExpanded.h"

namespace zt {

namespace {
constexpr double kPhonePaletteBottomInset = 40;
constexpr double kHiddenToolBarCentreBase = 50.0;
constexpr double kShowButtonWidth = 72;
constexpr double kShowButtonHeight = 44;
constexpr double kShowButtonOffscreenMargin = 50;

std::shared_ptr<plat::View> buildPainter(plat::ViewController& owner)
{
    const plat::Size screen = plat::Screen::mainScreen().bounds().size;
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, screen.width, screen.height));
    root->setBackgroundColor(plat::Color::blackColor());
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    auto background = std::make_shared<plat::ImageView>(root->bounds());
    background->setClipsToBounds(true);
    root->addSubview(background);
    auto canvasArea = std::make_shared<plat::View>(root->bounds());
    canvasArea->setBackgroundColor(plat::Color::clearColor());
    root->addSubview(canvasArea);
    auto show = plat::Button::buttonWithType(plat::ButtonType::System);
    show->setFrame(plat::makeRect(0, screen.height, kShowButtonWidth, kShowButtonHeight));
    show->setTitle(plat::localized("Show"), plat::ControlStateNormal);
    show->setTitleColor(plat::Color::whiteColor(), plat::ControlStateNormal);
    show->setContentVerticalAlignment(plat::ControlContentVerticalAlignment::Top);
    show->setBackgroundColor(plat::Color::colorWithWhite(0.12, 0.85));
    show->layer()->setCornerRadius(8);
    // It waits beyond the bottom edge, out of reach, until the bars go.
    show->setHidden(true);
    root->addSubview(show);
    owner.setOutlet("_paintMainView", canvasArea);
    owner.setOutlet("_bgImageView", background);
    owner.setOutlet("btnShow", show);
    return root;
}

std::shared_ptr<PainterBrush> makeBrush(
    int64_t type, int64_t size, const char* texture, std::optional<plat::Color> color)
{
    auto brush = std::make_shared<PainterBrush>();
    brush->setType(type);
    brush->setSize(size);
    brush->setDefaultSize(size);
    brush->setColor(std::move(color));
    if (texture)
        brush->setImage(plat::Image::imageNamed(texture));
    return brush;
}

constexpr int64_t kNotAPictureError = 2;

// The brush type that each drawing tool selects.
constexpr int64_t kToolBrushTypes[] = {kBrushTypeBrush, kBrushTypePen, kBrushTypeFountainPen, kBrushTypeEraser};

}  // namespace

void registerPainterLayout()
{
    plat::LayoutRegistry::registerLayout(PainterViewController::kLayoutName, buildPainter);
}

PainterViewController::PainterViewController(std::string nibName, std::shared_ptr<ProjectModel> project)
    : plat::ViewController(std::move(nibName))
    , _project(std::move(project))
{
}

PainterViewController::~PainterViewController()
{
    plat::RunLoop::main().cancelPreviousPerformRequests(this);
    plat::NotificationCenter::defaultCenter().removeObserver(this);
}

void PainterViewController::loadView()
{
    if (!plat::LayoutRegistry::hasLayout(nibName()))
        registerPainterLayout();
    plat::ViewController::loadView();
}

unsigned PainterViewController::supportedInterfaceOrientations() const
{
    return plat::InterfaceOrientationMaskLandscape;
}

bool PainterViewController::isTablet() const
{
    return plat::Device::currentDevice().userInterfaceIdiom() == plat::UserInterfaceIdiom::Pad;
}

plat::Size PainterViewController::screenSize() const
{
    return plat::Screen::mainScreen().bounds().size;
}

void PainterViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    _paintMainView = outlet("_paintMainView");
    _bgImageView = std::dynamic_pointer_cast<plat::ImageView>(outlet("_bgImageView"));
    _btnShow = std::dynamic_pointer_cast<plat::Button>(outlet("btnShow"));
    if (_btnShow)
        _btnShow->addTarget(this, &PainterViewController::actionShow, plat::ControlEventTouchUpInside);
    setUpCanvas();
    setUpBars();
    setUpBrushes();
    // The colours the brushes were just given: what a save stores unless a tool takes another.
    _colorToolList.assign(PainterSettings::kDefaultToolColors.begin(), PainterSettings::kDefaultToolColors.end());
    _toolPalette->setSelectedTool(0);
    setUpLayers();
    applyStoredSettings();
    _imageProducer = std::make_shared<ImageProducer>(_project);
    if (_isMasking)
        setUpMaskingPictures();
    else
        setUpPaintPictures();
    addSwipeRecognizer(*_colorPalette->view());
    addSwipeRecognizer(*_toolPalette->view());
    observeBackground();
}

void PainterViewController::setUpCanvas()
{
    const plat::Rect area = _paintMainView->bounds();
    if (_isMasking)
        _drawingView = MaskingView::create(area);
    else
        _drawingView = std::make_shared<PaintingView>(area);
    if (!_drawingView) {
        // Without a GL context there is nothing to paint on; the screen
        // still opens and closes, and a save keeps the frame as it is.
        plat::log("painter: the canvas cannot be made");
        return;
    }
    _drawingView->setUserInteractionEnabled(true);
    std::weak_ptr<PainterViewController> weakSelf = sharedAs<PainterViewController>();
    _drawingView->setHistoryChangedHandler([weakSelf] {
        if (auto self = weakSelf.lock())
            self->showUndoRedo();
    });
    _paintMainView->addSubview(_drawingView);
}

void PainterViewController::showUndoRedo()
{
    if (!_toolPalette)
        return;
    _toolPalette->enableTool(kPaintToolUndo, _drawingView && _drawingView->canUndo());
    _toolPalette->enableTool(kPaintToolRedo, _drawingView && _drawingView->canRedo());
}

void PainterViewController::setUpBars()
{
    const plat::Rect bounds = view()->bounds();
    _toolPalette = std::make_shared<PaintToolViewController>();
    addChildViewController(_toolPalette);
    auto bar = _toolPalette->view();
    const double barHeight = bar->frame().size.height;
    bar->setFrame(plat::makeRect(0, 0, bounds.width(), barHeight));
    bar->setCenter({bounds.midX(), -barHeight});
    view()->addSubview(bar);
    _toolPalette->didMoveToParentViewController(this);
    _toolPalette->setDelegate(std::static_pointer_cast<PaintToolDelegate>(sharedAs<PainterViewController>()));
    showUndoRedo();

    _colorPalette = std::make_shared<ColorPaletteViewController>();
    addChildViewController(_colorPalette);
    auto palette = _colorPalette->view();
    const double paletteHeight = palette->frame().size.height;
    palette->setFrame(plat::makeRect(0, 0, bounds.width(), paletteHeight));
    palette->setCenter({bounds.midX(), bounds.height() + paletteHeight});
    view()->addSubview(palette);
    _colorPalette->didMoveToParentViewController(this);
    const auto colors = PainterSettings::defaultPalette();
    for (size_t index = 0; index < colors.size(); ++index)
        _colorPalette->setColor(colors[index], static_cast<int64_t>(index));
    _colorPalette->setDelegate(std::static_pointer_cast<ColorPaletteDelegate>(sharedAs<PainterViewController>()));
    _colorPalette->setSelectedColorAtIndex(0);
}

void PainterViewController::setUpBrushes()
{
    auto colorOfTool = [this](size_t tool) {
        return std::optional(_colorPalette->getColorAtIndex(PainterSettings::kDefaultToolColors[tool]));
    };
    // Made in this order, as the canvas expects to meet them.
    _brushes[kBrushTypePen] = makeBrush(kBrushTypePen, 15, "Brush.png", colorOfTool(1));
    _brushes[kBrushTypeFountainPen] = makeBrush(kBrushTypeFountainPen, 10, "Brush.png", colorOfTool(2));
    _brushes[kBrushTypeBrush] = makeBrush(kBrushTypeBrush, 2, "Particle_test.png", colorOfTool(0));
    _brushes[kBrushTypeEraser] = makeBrush(kBrushTypeEraser, 5, nullptr, plat::Color::clearColor());
    _brushes[kBrushTypeMove] = makeBrush(kBrushTypeMove, 0, nullptr, std::nullopt);
    if (_drawingView)
        _drawingView->setBrushes(_brushes);
    for (int64_t type : kToolBrushTypes)
        _toolPalette->setBrush(_brushes[type], type);
}

void PainterViewController::setUpLayers()
{
    _painterLayerManager = std::make_shared<PainterLayerManager>(_project);
    _painterLayerManager->setPaintingCanvas(_drawingView);
    _painterLayerManager->setViewCanvas(_paintMainView);
    _layerList = std::make_shared<PainterLayerTableViewController>();
    _layerList->setLayerManager(_painterLayerManager);
    _toolPalette->setPainterLayerTableViewController(_layerList);
}

void PainterViewController::applyStoredSettings()
{
    const PainterSettings settings
        = PainterSettings::fromValue(DataManager::sharedDataManager().objectForKey(PainterSettings::kSettingsKey));
    if (settings.tool) {
        _currentSelectedTool = *settings.tool;
        _toolPalette->setSelectedTool(*settings.tool);
        paintToolDidSelectTool(*settings.tool + kPaintToolBrush);
    }
    if (settings.palette)
        for (size_t index = 0; index < settings.palette->size(); ++index)
            _colorPalette->setColor((*settings.palette)[index], static_cast<int64_t>(index));
    if (settings.toolColors) {
        _colorToolList.assign(settings.toolColors->begin(), settings.toolColors->end());
        for (size_t tool = 0; tool < _colorToolList.size(); ++tool) {
            const plat::Color color = _colorPalette->getColorAtIndex(_colorToolList[tool]);
            _toolPalette->setColor(color, static_cast<int64_t>(tool));
            _brushes[kToolBrushTypes[tool]]->setColor(color);
        }
    }
    if (settings.sizes)
        for (size_t index = 0; index < settings.sizes->size(); ++index)
            _brushes[kToolBrushTypes[index]]->setSize((*settings.sizes)[index]);
    // The canvas's own brush may be one of those just recoloured: it takes the colour again.
    if (settings.tool && _drawingView)
        _drawingView->changeBrush(static_cast<int32_t>(kToolBrushTypes[*settings.tool]));
}

void PainterViewController::setUpMaskingPictures()
{
    _toolPalette->hideTool(0);
    _toolPalette->hideTool(1);
    _toolPalette->hideTool(2);
    _toolPalette->hideTool(3);
    _toolPalette->hideTool(4);
    _toolPalette->setSelectedTool(3);
    _colorPalette->hideColors();
    _colorPalette->showHide();
    auto previous = _currentFrame > 0 ? _imageProducer->getOriginialImageForFrameAtIndex(_currentFrame - 1) : nullptr;
    auto current = _imageProducer->getOriginialImageForFrameAtIndex(_currentFrame);
    _bgImageView->setImage(previous);
    if (_drawingView)
        _drawingView->setBackgroundImage(current);
    if (!previous && current) {
        // Nothing lies behind the first frame: what is rubbed away becomes
        // black, as the film is black before it starts.
        plat::ImageContext black(current->size(), /*opaque=*/true, 1.0);
        if (auto* context = black.context()) {
            context->setFillColor(plat::Color::blackColor());
            context->fillRect({{0, 0}, current->size()});
        }
        previous = black.finish();
    }
    _painterLayerManager->setImageBackground(previous);
    rememberStoredContents();
}

void PainterViewController::setUpPaintPictures()
{
    _bgImageView->setContentMode(plat::ContentMode::ScaleAspectFill);
    auto frameID = _project->getFrameList().getFrameIDAtIndex(_currentFrame);
    // The picture as it was before any painting. One that cannot be read,
    // now or when it was kept aside as damaged before, leaves only the
    // frame's picture, which has the strokes in it already.
    std::shared_ptr<plat::Image> picture;
    bool unpaintedIsDamaged = false;
    if (frameID) {
        const std::string unpainted = PainterFiles::unpaintedPictureFileName(*frameID);
        auto read
            = PainterFiles::readFile(*_project, unpainted, [&picture](const plat::Data& data) -> plat::Result<void> {
                  picture = plat::Image::imageWithData(data);
                  if (!picture)
                      return plat::Error("PainterViewController", kNotAPictureError, "not a picture");
                  return plat::Result<void>::success();
              });
        unpaintedIsDamaged = !read.ok() || (!read.value() && PainterFiles::wasKeptAside(*_project, unpainted));
    }
    if (!picture)
        picture = _imageProducer->getOriginialImageForFrameAtIndex(_currentFrame);
    _bgImageView->setImage(picture);
    _bgImageView->setHidden(false);
    _painterLayerManager->setImageBackground(picture);
    if (unpaintedIsDamaged)
        paintingCannotBeRead(UnreadablePart::UnpaintedPicture);
    if (!frameID || unpaintedIsDamaged) {
        rememberStoredContents();
        return;
    }

    // A frame painted in layers comes back in its layers; else its own
    // strokes, else the previous frame's, to go on from them. Its own that
    // cannot be read, now or when they were kept aside as damaged before,
    // are not replaced by the previous frame's.
    const std::string layers = PainterFiles::layersFileName(*frameID);
    const std::string ownStrokes = PainterFiles::canvasFileName(*frameID);
    auto list = PainterFiles::readFile(*_project, layers);
    if (list.ok() && list.value()) {
        _pendingLayers = true;
        // The layers hold the frame's own strokes too: their file is read
        // only so that one that cannot be is kept aside, not written over unseen.
        auto strokes = PainterFiles::readStrokeArchive(*_project, ownStrokes);
        _strokesFileKeptAside = !strokes.ok() && PainterFiles::wasKeptAsideFor(strokes.error());
    } else if (!list.ok() || PainterFiles::wasKeptAside(*_project, layers)) {
        paintingCannotBeRead(UnreadablePart::Strokes);
    } else {
        auto strokes = PainterFiles::readStrokeArchive(*_project, ownStrokes);
        if (!strokes.ok() || (!strokes.value() && PainterFiles::wasKeptAside(*_project, ownStrokes))) {
            paintingCannotBeRead(UnreadablePart::Strokes);
        } else if (strokes.value()) {
            _pendingStrokes = strokes.value();
            _pendingStrokesFrameID = *frameID;
        } else if (auto previousID = _project->getFrameList().getFrameIDAtIndex(_currentFrame - 1)) {
            auto previous = PainterFiles::readStrokeArchive(*_project, PainterFiles::canvasFileName(*previousID));
            if (previous.ok() && previous.value()) {
                _pendingStrokes = previous.value();
                _pendingStrokesFrameID = *previousID;
                _showsTheFramesOwnPainting = false;
            }
        }
    }
    if (hasPendingStrokes())
        plat::RunLoop::main().performAfterDelay(this, kStrokeLoadDelaySeconds, [this] { loadPendingStrokes(); });
    else
        rememberStoredContents();
}

void PainterViewController::loadPendingStrokes()
{
    plat::RunLoop::main().cancelPreviousPerformRequests(this);
    if (_pendingLayers) {
        _pendingLayers = false;
        loadPendingLayers();
    }
    if (_pendingStrokes)
        loadPendingStrokeFile();
    rememberStoredContents();
}

void PainterViewController::loadPendingLayers()
{
    auto frameID = _project->getFrameList().getFrameIDAtIndex(_currentFrame);
    if (!frameID)
        return;
    auto loaded = _painterLayerManager->loadLayersForFrameID(*frameID);
    if (!loaded.ok()) {
        plat::log(
            "painter: the layers of frame {} could not be read: {}", *frameID, loaded.error().localizedDescription());
        paintingCannotBeRead(
            StrokeScaling::isUnknownCanvasSize(loaded.error()) ? UnreadablePart::CanvasSize : UnreadablePart::Strokes);
        tellPaintingCannotBeRead();
    } else if (!loaded.value().empty()) {
        tellLayerPicturesKeptAside(loaded.value().size());
    } else if (_strokesFileKeptAside) {
        showAlert(plat::localized("A file of the painting could not be read."),
            plat::localized("It is kept aside, and the painting is read from its layers."));
    }
}

void PainterViewController::loadPendingStrokeFile()
{
    auto fitted = _painterLayerManager->fitStrokesOfFrame(_pendingStrokesFrameID, *_pendingStrokes);
    _pendingStrokes.reset();
    if (!fitted.ok()) {
        plat::log("painter: the strokes of frame {} are not shown: {}", _pendingStrokesFrameID,
            fitted.error().localizedDescription());
        if (_showsTheFramesOwnPainting) {
            paintingCannotBeRead(StrokeScaling::isUnknownCanvasSize(fitted.error()) ? UnreadablePart::CanvasSize
                                                                                    : UnreadablePart::Strokes);
            tellPaintingCannotBeRead();
        }
        // Without the previous frame's strokes to go on from, the canvas
        // shows the frame's own painting: none.
        _showsTheFramesOwnPainting = true;
        return;
    }
    auto decoded = _painterLayerManager->decodeLayerInformationFromData(fitted.value());
    if (!decoded.ok())
        plat::log("painter: the stored strokes cannot be read: {}", decoded.error().localizedDescription());
}

void PainterViewController::rememberStoredContents()
{
    if (_showsTheFramesOwnPainting)
        _storedContents = _painterLayerManager->contents();
}

void PainterViewController::paintingCannotBeRead(UnreadablePart part)
{
    // The frame's picture still shows the painting: it becomes the picture
    // painted on, so that nothing painted before is lost.
    _paintingUnread = true;
    _unreadablePart = part;
    auto frameID = _project->getFrameList().getFrameIDAtIndex(_currentFrame);
    auto bytes = frameID ? _project->fileDataForFileWithPreferredFilename(FrameFiles::pictureFileName(*frameID))
                         : std::nullopt;
    auto picture = bytes ? plat::Image::imageWithData(*bytes) : nullptr;
    if (!picture)
        return;
    _bgImageView->setImage(picture);
    _painterLayerManager->setImageBackground(picture);
    _paintedOnPicture = std::move(bytes);
}

void PainterViewController::tellPaintingCannotBeRead()
{
    if (!_paintingUnread || _paintingUnreadTold)
        return;
    _paintingUnreadTold = true;
    const char* title = "The painting's layers could not be read.";
    if (_unreadablePart == UnreadablePart::UnpaintedPicture)
        title = "The picture under the painting could not be read.";
    else if (_unreadablePart == UnreadablePart::CanvasSize)
        title = "The size this painting was made at is not known.";
    showAlert(plat::localized(title),
        plat::localized("The frame keeps its picture with the painting in it, but its strokes can no longer be "
                        "changed. What you paint now goes over the picture."));
}

void PainterViewController::tellLayerPicturesKeptAside(size_t count)
{
    if (count == 1)
        showAlert(plat::localized("A layer's picture could not be read."),
            plat::localized("It is kept aside, and the layer is drawn again from its strokes."));
    else
        showAlert(plat::localized("Some layers' pictures could not be read."),
            plat::localized("They are kept aside, and the layers are drawn again from their strokes."));
}

void PainterViewController::addSwipeRecognizer(plat::View& target)
{
    auto swipe = std::make_shared<plat::SwipeGestureRecognizer>();
    swipe->addTarget(this, &PainterViewController::swiped);
    swipe->setNumberOfTouchesRequired(1);
    swipe->setDirection(plat::SwipeGestureRecognizerDirectionUp | plat::SwipeGestureRecognizerDirectionDown);
    target.addGestureRecognizer(swipe);
    _swipeRecognizers.push_back(swipe);
}

void PainterViewController::viewDidAppear(bool animated)
{
    plat::ViewController::viewDidAppear(animated);
    tellPaintingCannotBeRead();
    const plat::Rect r = getOrientationCorrectedRectFromRect(view()->frame());
    const plat::Size area = PaintingArea::sizeOnScreen(r.size);
    const float w = static_cast<float>(area.width);
    const float h = static_cast<float>(area.height);
    const float y = (static_cast<float>(r.height()) - h) * 0.5f;
    const plat::Rect pictureArea = plat::makeRect(0, y, w, h);
    _bgImageView->setFrame(pictureArea);
    _paintMainView->setFrame(pictureArea);
    if (_drawingView)
        _drawingView->setFrame(plat::makeRect(0, 0, w, h));
    const plat::Rect showFrame = _btnShow->frame();
    _btnShow->setFrame(plat::makeRect(w * 0.7, r.height(), showFrame.width(), showFrame.height()));

    auto weakSelf = std::weak_ptr<PainterViewController>(sharedAs<PainterViewController>());
    plat::View::animateWithDuration(
        kBarSeconds, 0, kBarDamping, kBarVelocity, 0,
        [this] {
            const plat::Size screen = screenSize();
            if (isTablet()) {
                _toolPalette->view()->setFrame(plat::makeRect(0, 0, screen.width, kTabletBarHeight));
                _colorPalette->view()->setFrame(
                    plat::makeRect(0, screen.height - kTabletBarHeight, screen.width, kTabletBarHeight));
            } else {
                showBars();
            }
        },
        [weakSelf](bool) {
            if (auto self = weakSelf.lock())
                self->showHelp();
        });
}

void PainterViewController::showHelp()
{
    if (_helpManager)
        return;  // already up
    // The app registers the coach marks' layout with the editor's; a painter on its own does it here.
    if (!plat::LayoutRegistry::hasLayout(HelpManager::kLayoutName))
        detail::registerHelpLayouts();
    auto help = HelpManager::initWithName(_isMasking ? "Mask" : "PaintColor");
    if (!help)
        return;  // shown once before
    _helpManager = help;
    help->setDelegate(std::static_pointer_cast<HelpManagerDelegate>(sharedAs<PainterViewController>()));
    help->view()->setFrame(view()->bounds());
    help->setPositionNextBtn(
        isTablet() && _isMasking ? HelpManager::NextButtonBottomRight : HelpManager::NextButtonTopRight);
    const plat::Point centre = view()->center();
    constexpr double kLabelOffset = 100;
    constexpr double kPaintLabelAboveBottom = 60;
    help->setPositionLabel(_isMasking
            ? plat::Point {centre.x + kLabelOffset, centre.y}
            : plat::Point {centre.x + kLabelOffset, view()->frame().height() - kPaintLabelAboveBottom});
    view()->addSubview(help->view());
    help->show();
}

void PainterViewController::helpManangerDidFinish(HelpManager&)
{
    _helpManager = nullptr;
}

void PainterViewController::showBars()
{
    const plat::Size screen = screenSize();
    auto bar = _toolPalette->view();
    bar->setCenter({bar->center().x, kPhoneToolBarCentreY});
    _colorPalette->view()->setCenter({bar->center().x, screen.height - kPhonePaletteBottomInset});
}

void PainterViewController::moveShowButtonToBottom()
{
    const plat::Rect r = getOrientationCorrectedRectFromRect(plat::Screen::mainScreen().bounds());
    _btnShow->setHidden(false);
    _btnShow->setCenter({_btnShow->center().x, r.height()});
}

void PainterViewController::swiped(plat::SwipeGestureRecognizer& recognizer)
{
    handleSwipe(&recognizer);
}

void PainterViewController::handleSwipe(plat::SwipeGestureRecognizer*)
{
    if (isTablet())
        return;
    auto weakSelf = std::weak_ptr<PainterViewController>(sharedAs<PainterViewController>());
    plat::View::animateWithDuration(
        kBarSeconds, 0, kBarDamping, kBarVelocity, 0,
        [this] {
            auto bar = _toolPalette->view();
            if (bar->center().y != kPhoneToolBarCentreY) {
                showBars();
                return;
            }
            const plat::Size screen = screenSize();
            bar->setCenter({bar->center().x, kHiddenToolBarCentreBase - bar->frame().size.height});
            auto palette = _colorPalette->view();
            palette->setCenter({palette->center().x, screen.height + palette->frame().size.height / 2});
        },
        [weakSelf](bool) {
            auto self = weakSelf.lock();
            if (!self)
                return;
            plat::View::animateWithDuration(
                kBarSeconds, 0, kBarDamping, kBarVelocity, 0,
                [weakSelf] {
                    if (auto again = weakSelf.lock())
                        again->moveShowButtonToBottom();
                },
                nullptr);
        });
}

void PainterViewController::actionShow()
{
    plat::View::animateWithDuration(
        kBarSeconds, 0, kBarDamping, kBarVelocity, 0,
        [this] {
            showBars();
            _btnShow->setCenter({_btnShow->center().x, view()->frame().size.width + kShowButtonOffscreenMargin});
        },
        [weakButton = std::weak_ptr<plat::Button>(_btnShow)](bool) {
            // Beyond the edge again: out of reach until the bars go once more.
            if (auto button = weakButton.lock())
                button->setHidden(true);
        });
}

void PainterViewController::paintToolDidSelectTool(int64_t code)
{
    switch (code) {
    case kPaintToolBack:
        saveAndClose();
        return;
    case kPaintToolBrush:
    case kPaintToolPen:
    case kPaintToolFountainPen:
    case kPaintToolEraser: {
        const int64_t tool = code - kPaintToolBrush;
        if (_drawingView)
            _drawingView->changeBrush(static_cast<int32_t>(kToolBrushTypes[tool]));
        _currentSelectedTool = tool;
        return;
    }
    case kPaintToolUndo:
        if (_drawingView)
            _drawingView->undo();
        return;
    case kPaintToolRedo:
        if (_drawingView)
            _drawingView->redo();
        return;
    case kPaintToolMove:
        if (_drawingView)
            _drawingView->changeBrush(static_cast<int32_t>(kBrushTypeMove));
        return;
    default:
        return;  // among them 6 and the stamp's 30
    }
}

void PainterViewController::colorPaleteDidSelectColor(const plat::Color& color, int64_t index)
{
    if (!canProvideRGBComponents(color) || _currentSelectedTool < 0 || _currentSelectedTool > 2)
        return;
    if (_drawingView)
        _drawingView->setBrushColorWithRed(red(color), green(color), blue(color));
    if (static_cast<size_t>(_currentSelectedTool) < _colorToolList.size())
        _colorToolList[static_cast<size_t>(_currentSelectedTool)] = index;
    _toolPalette->setColor(color, _currentSelectedTool);
}

void PainterViewController::colorPaleteDidSelectHide()
{
    handleSwipe(nullptr);
}

plat::Color PainterViewController::getUIColorFromRed(int red, int green, int blue)
{
    return plat::Color::colorWithRed(red / 255.0, green / 255.0, blue / 255.0, 1.0);
}

plat::Rect PainterViewController::getOrientationCorrectedRectFromRect(plat::Rect rect)
{
    const double longer = std::max(rect.width(), rect.height());
    const double shorter = std::min(rect.width(), rect.height());
    return plat::makeRect(rect.minX(), rect.minY(), longer, shorter);
}

std::shared_ptr<plat::Image> PainterViewController::blendUIImage(const plat::Image& top, const plat::Image& base)
{
    const plat::Size size = base.size();
    plat::ImageContext blended(size, /*opaque=*/false, base.scale());
    auto* context = blended.context();
    if (!context)
        return nullptr;
    context->drawImage(base, {{0, 0}, size});
    context->drawImage(top, {{0, 0}, size}, plat::BlendMode::Normal, 1.0);
    return blended.finish();
}

}  // namespace zt
