#include "render/RenderProgressViewController.h"

#include <algorithm>
#include <cmath>

#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/ProgressView.h"
#include "platform/ui/TableViewCell.h"
#include "uikit/VerticallyAlignedLabel.h"

namespace zt {

namespace {

const plat::Color kBackground = plat::Color::colorWithWhite(0.2, 1.0);
const plat::Color kProgressColour
    = plat::Color::colorWithRed(0.8313725490196079, 0.011764705882352941, 0.8431372549019608, 1.0);
// Red light enough to read on the dark screen (5.5:1).
const plat::Color kErrorTextColour = plat::Color::colorWithRed(1.0, 140.0 / 255, 130.0 / 255, 1.0);
constexpr double kBarInset = 20;
constexpr double kBarHeight = 15;
// The band at the panel's foot kept for the bar: its 20 points and a gap of 10.
constexpr double kBarBandHeight = 30;
constexpr double kInfoFontSize = 15;
constexpr int kInfoLines = 4;
constexpr unsigned kFlexibleSize = plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight;

bool isTablet()
{
    // A device that cannot tell its idiom counts as a phone.
    return plat::Device::currentDevice().userInterfaceIdiom() == plat::UserInterfaceIdiom::Pad;
}

void centreOn(plat::View& view, const plat::View& on)
{
    const plat::Rect bounds = on.bounds();
    view.setCenter({bounds.midX(), bounds.midY()});
}

}  // namespace

RenderProgressViewController::RenderProgressViewController(std::string nibName, std::shared_ptr<ProjectModel> project)
    : plat::TableViewController(std::move(nibName))
    , _project(std::move(project))
{
}

RenderProgressViewController::~RenderProgressViewController() = default;

void RenderProgressViewController::viewDidLoad()
{
    plat::TableViewController::viewDidLoad();
    setTitle(plat::localized(""));
    auto table = tableView();
    table->setBackgroundColor(kBackground);
    table->setSeparatorColor(plat::Color::clearColor());
    navigationItem()->setHidesBackButton(true);
}

void RenderProgressViewController::viewDidAppear(bool animated)
{
    plat::TableViewController::viewDidAppear(animated);
    // The rows make the label and the panel, and the containers give the
    // panel its size, as they lay out, which may come after this: the work
    // waits for the next turn, or for the rows if they are not there yet.
    _appearanceWorkPending = true;
    std::weak_ptr<RenderProgressViewController> weakSelf = sharedAs<RenderProgressViewController>();
    plat::DispatchQueue::mainQueue().async([weakSelf] {
        if (auto self = weakSelf.lock())
            self->showAppearanceWork();
    });
}

void RenderProgressViewController::showAppearanceWork()
{
    if (!_appearanceWorkPending)
        return;
    if (!_infoLabel || !_progressPanel) {
        _appearanceWorkWaitsForRows = true;
        return;
    }
    _appearanceWorkPending = false;
    if (!_infoText.empty())
        showInfo(_infoText);
    updatePictures();
}

void RenderProgressViewController::viewDidLayoutSubviews()
{
    plat::TableViewController::viewDidLayoutSubviews();
    if (_appearanceWorkWaitsForRows)
        showAppearanceWork();
    if (_pictureUpdatePending)
        updatePictures();
}

unsigned RenderProgressViewController::supportedInterfaceOrientations() const
{
    return plat::InterfaceOrientationMaskLandscapeLeft | plat::InterfaceOrientationMaskLandscapeRight;
}

std::optional<double> RenderProgressViewController::tableViewHeightForRowAtIndexPath(
    plat::TableView&, plat::IndexPath path)
{
    switch (path.section) {
    case 0:
        return isTablet() ? 300 : 150;
    case 1:
        return isTablet() ? 200 : 90;
    default:
        return 44;
    }
}

std::shared_ptr<plat::TableViewCell> RenderProgressViewController::tableViewCellForRowAtIndexPath(
    plat::TableView& tableView, plat::IndexPath path)
{
    auto cell = tableView.dequeueReusableCellWithIdentifier(kReuseIdentifier);
    if (!cell)
        cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, kReuseIdentifier);
    cell->setBackgroundColor(plat::Color::clearColor());
    if (path.section == 0)
        makeProgressRow(*cell);
    else if (path.section == 1)
        makeInfoRow(*cell);
    return cell;
}

void RenderProgressViewController::makeProgressRow(plat::TableViewCell& cell)
{
    const auto& content = cell.contentView();
    if (!_progressPanel) {
        _progressPanel = std::make_shared<plat::View>();
        _progressPanel->setClipsToBounds(true);
        _progressPanel->setAutoresizingMask(kFlexibleSize);
    }
    _progressPanel->setFrame(cell.frame());
    centreOn(*_progressPanel, *content);
    content->addSubview(_progressPanel);
    content->setClipsToBounds(true);
    if (!_progressBar) {
        const plat::Rect area = content->frame();
        _progressBar = std::make_shared<plat::ProgressView>(plat::ProgressViewStyle::Bar);
        _progressBar->setTrackTintColor(plat::Color::whiteColor());
        _progressBar->setProgressTintColor(kProgressColour);
        _progressBar->setAutoresizingMask(
            plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleTopMargin);
        _progressBar->setFrame(plat::makeRect(
            area.minX() + kBarInset, area.height() - kBarInset, area.width() - 2 * kBarInset, kBarHeight));
        _progressBar->setProgress(_progress);
        _progressBar->setHidden(_finishedWithoutResult);
        content->addSubview(_progressBar);
    }
}

void RenderProgressViewController::makeInfoRow(plat::TableViewCell& cell)
{
    const auto& content = cell.contentView();
    if (!_infoLabel) {
        const plat::Rect area = content->frame();
        _infoLabel = std::make_shared<VerticallyAlignedLabel>(
            plat::makeRect(area.minX() + kBarInset, area.minY(), area.width() - 2 * kBarInset, area.height()));
        _infoLabel->setVerticalAlignment(1);
        _infoLabel->setText(std::string());
        _infoLabel->setTextColor(plat::Color::whiteColor());
        _infoLabel->setTextAlignment(plat::TextAlignment::Center);
        _infoLabel->setNumberOfLines(kInfoLines);
        _infoLabel->setFont(plat::Font::systemFontOfSize(kInfoFontSize));
        _infoLabel->setAutoresizingMask(kFlexibleSize);
        _infoLabel->setBackgroundColor(plat::Color::clearColor());
        content->addSubview(_infoLabel);
    }
    if (!_contentPanel) {
        _contentPanel = std::make_shared<plat::View>();
        _contentPanel->setClipsToBounds(true);
        _contentPanel->setAutoresizingMask(kFlexibleSize);
    }
    _contentPanel->setFrame(cell.frame());
    centreOn(*_contentPanel, *content);
    content->addSubview(_contentPanel);
}

void RenderProgressViewController::setProgress(float progress)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _progress = progress;
    if (_progressBar)
        _progressBar->setProgress(progress);
    if (progress != 1.0f)
        updatePictures();
}

ImageProducer& RenderProgressViewController::imageProducer()
{
    if (!_imageProducer)
        _imageProducer = std::make_unique<ImageProducer>(_project);
    return *_imageProducer;
}

void RenderProgressViewController::updatePictures()
{
    if (!_progressPanel || !_project)
        return;
    const plat::Rect panel = _progressPanel->frame();
    // A panel without a size yet fits no picture: wait for the rows' layout
    // rather than count pictures of a width divided by no height.
    if (panel.width() <= 0 || panel.height() <= 0) {
        _pictureUpdatePending = true;
        return;
    }
    _pictureUpdatePending = false;
    if (!_thresholdsMade) {
        const double fitting = panel.width() / (panel.height() * kPictureWidthPerHeight);
        const int64_t count = static_cast<int64_t>(std::ceil(fitting)) + 2;
        for (int64_t k = 0; k < count; ++k)
            _progressThresholds.push_back(static_cast<double>(k) / static_cast<double>(count));
        _thresholdsMade = true;
    }
    if (_progressThresholds.empty() || _progress < _progressThresholds.front())
        return;
    _progressThresholds.pop_front();
    const float lastIndex = static_cast<float>(_project->getFrameList().count() - 1);
    const auto index = static_cast<int64_t>(lastIndex * _progress);
    std::shared_ptr<const plat::Image> picture = imageProducer().getPreviewImageForFrameAtIndex(index);
    if (!picture)
        picture = _project->getThumbImageForProject();
    addPicture(picture);
}

plat::Rect RenderProgressViewController::pictureArea() const
{
    // The picture whole (a title card's first line is its top) above the
    // bar, which lies 20 points above the panel's foot, with a gap.
    const plat::Rect panel = _progressPanel->frame();
    return plat::makeRect(panel.minX(), panel.minY(), panel.width(), std::max(0.0, panel.height() - kBarBandHeight));
}

void RenderProgressViewController::addPicture(const std::shared_ptr<const plat::Image>& picture)
{
    auto pictureView = std::make_shared<plat::ImageView>(picture);
    pictureView->setContentMode(plat::ContentMode::ScaleAspectFit);
    pictureView->setFrame(pictureArea());
    pictureView->setAutoresizingMask(kFlexibleSize);
    pictureView->setAlpha(0);
    _progressPanel->addSubview(pictureView);
    plat::View::beginAnimations(kAnimationName, plat::Value());
    plat::View::setAnimationDuration(kPictureFadeSeconds);
    pictureView->setAlpha(1);
    plat::View::commitAnimations();
}

void RenderProgressViewController::showThumbImage(const std::shared_ptr<const plat::Image>& picture)
{
    if (!_progressPanel)
        return;
    auto pictureView = std::make_shared<plat::ImageView>(_progressPanel->bounds());
    pictureView->setImage(picture);
    pictureView->setFrame(pictureArea());
    pictureView->setAutoresizingMask(kFlexibleSize);
    pictureView->setContentMode(plat::ContentMode::ScaleAspectFit);
    pictureView->setAlpha(0);
    _progressPanel->addSubview(pictureView);
    plat::View::beginAnimations(kAnimationName, plat::Value());
    plat::View::setAnimationDuration(kPictureFadeSeconds);
    pictureView->setAlpha(1);
    plat::View::commitAnimations();
}

void RenderProgressViewController::showInfo(const std::string& text)
{
    showText(text, plat::Color::whiteColor());
}

void RenderProgressViewController::showError(const std::string& text)
{
    showText(text, kErrorTextColour);
}

void RenderProgressViewController::showFinished(const std::string& text, Outcome outcome, Handler done)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (outcome == Outcome::Succeeded) {
        setProgress(1);
        showInfo(text);
    } else {
        showFailed(text);
    }
    // Nothing is left to cancel.
    setCancelHandler(nullptr);
    setDoneHandler(std::move(done));
}

void RenderProgressViewController::showFailed(const std::string& text)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    // Nothing was made: a bar that stopped short would say something still runs.
    _finishedWithoutResult = true;
    if (_progressBar)
        _progressBar->setHidden(true);
    showError(text);
}

void RenderProgressViewController::showText(const std::string& text, const plat::Color& color)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _infoText = text;
    if (!_infoLabel)
        return;  // shown when the screen appears
    std::weak_ptr<VerticallyAlignedLabel> weakLabel = _infoLabel;
    plat::View::animateWithDuration(
        kTextFadeOutSeconds, [label = _infoLabel] { label->setAlpha(0); },
        [weakLabel, text, color](bool) {
            auto label = weakLabel.lock();
            if (!label)
                return;
            label->setText(text);
            plat::View::animateWithDuration(kTextFadeInSeconds, [&] {
                label->setAlpha(1);
                label->setTextColor(color);
            });
        });
}

void RenderProgressViewController::setCancelHandler(Handler handler)
{
    _cancelHandler = std::move(handler);
    auto item = navigationItem();
    if (_cancelHandler) {
        auto cancel = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Cancel);
        cancel->setTarget(this, &RenderProgressViewController::actionCancel);
        item->setLeftBarButtonItem(cancel);
    } else {
        item->setLeftBarButtonItem(nullptr);
        item->setHidesBackButton(true);
    }
}

void RenderProgressViewController::setDoneHandler(Handler handler)
{
    _doneHandler = std::move(handler);
    auto item = navigationItem();
    if (_doneHandler) {
        auto done = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Done);
        done->setTarget(this, &RenderProgressViewController::actionDone);
        item->setRightBarButtonItem(done);
    } else {
        item->setRightBarButtonItem(nullptr);
    }
}

void RenderProgressViewController::actionCancel()
{
    // Dropped before it runs: a handler runs at most once, also when it taps again.
    auto handler = std::move(_cancelHandler);
    _cancelHandler = nullptr;
    if (handler)
        handler();
}

void RenderProgressViewController::actionDone()
{
    auto handler = std::move(_doneHandler);
    _doneHandler = nullptr;
    if (handler)
        handler();
}

}  // namespace zt
