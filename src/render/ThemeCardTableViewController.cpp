#include "render/ThemeCardTableViewController.h"

#include "document/FailureAlerts.h"
#include "document/FrameFiles.h"
#include "document/FrameMeta.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "render/ThemeCardPages.h"
#include "render/WebRenderer.h"
#include "uikit/Hudy.h"

namespace zt {

namespace {

constexpr const char* kCellIdentifier = "CellThemeCardView";
constexpr double kButtonTop = 20;
constexpr double kButtonHeight = 57;
constexpr double kButtonSpacing = 10;
constexpr double kRowMargin = 50;
constexpr plat::Size kRequestedSize {800, 600};  // passed along; the render ignores it

}  // namespace

ThemeCardTableViewController::ThemeCardTableViewController(std::shared_ptr<ProjectModel> project)
    : plat::TableViewController(plat::TableViewStyle::Plain)
    , _project(std::move(project))
{
}

ThemeCardTableViewController::~ThemeCardTableViewController() = default;

void ThemeCardTableViewController::viewDidLoad()
{
    plat::TableViewController::viewDidLoad();
    setTitle(plat::localized("Theme Cards"));
    auto table = tableView();
    auto background = std::make_shared<plat::ImageView>(bundlePicture("gallery_bg.jpg"));
    background->setContentMode(plat::ContentMode::ScaleAspectFill);
    table->setBackgroundView(background);
    auto cancel = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Cancel);
    cancel->setTarget(this, &ThemeCardTableViewController::actionDone);
    navigationItem()->setLeftBarButtonItem(cancel);
    table->setSeparatorColor(plat::Color::clearColor());
    table->setRowHeight(kRowHeight);
    _items = ThemeCardItem::galleryItems();
    table->reloadData();
}

int64_t ThemeCardTableViewController::tableViewNumberOfRowsInSection(plat::TableView&, int64_t)
{
    return static_cast<int64_t>(_items.size()) / kCardsPerRow;
}

std::shared_ptr<plat::TableViewCell> ThemeCardTableViewController::tableViewCellForRowAtIndexPath(
    plat::TableView& tableView, plat::IndexPath path)
{
    auto cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) {
        cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, kCellIdentifier);
        cell->setSelectionStyle(plat::TableViewCellSelectionStyle::None);
        cell->setBackgroundColor(plat::Color::clearColor());
        const double width = static_cast<int>((view()->bounds().width() - kRowMargin) * 0.25);
        for (int i = 0; i < kCardsPerRow; ++i) {
            auto button = plat::Button::buttonWithType(plat::ButtonType::Custom);
            button->setFrame(
                plat::makeRect(kButtonSpacing + i * (width + kButtonSpacing), kButtonTop, width, kButtonHeight));
            button->setBackgroundColor(plat::Color::clearColor());
            button->setTag(kFirstButtonTag + i);
            button->addTarget(this, &ThemeCardTableViewController::actionCard, plat::ControlEventTouchUpInside);
            cell->contentView()->addSubview(button);
        }
    }
    const int64_t row = path.row;
    cell->contentView()->setTag(row);
    for (int i = 0; i < kCardsPerRow; ++i) {
        auto button = std::dynamic_pointer_cast<plat::Button>(cell->contentView()->viewWithTag(kFirstButtonTag + i));
        if (!button)
            continue;
        const size_t index = static_cast<size_t>(kCardsPerRow * row + i);
        button->setHidden(index >= _items.size());
        button->setBackgroundImage(
            index < _items.size() ? plat::Image::imageNamed(_items[index].thumbImagePath) : nullptr,
            plat::ControlStateNormal);
        button->setAccessibilityLabel(
            index < _items.size() ? "theme card " + std::to_string(_items[index].themeID) : std::string());
    }
    return cell;
}

void ThemeCardTableViewController::actionDone()
{
    dismissViewControllerAnimated(true, nullptr);
}

void ThemeCardTableViewController::actionCard(plat::Button& button)
{
    if (_inserting)
        return;  // one card at a time: the first is still being made
    auto holder = button.superview();
    if (!holder)
        return;
    const int64_t index = button.tag() - kFirstButtonTag + kCardsPerRow * holder->tag();
    if (index < 0 || index >= static_cast<int64_t>(_items.size()))
        return;
    _hud = std::make_shared<Hudy>();
    _hud->setCaption(plat::localized("Please wait."));
    _hud->setIsActivity(true);
    _hud->setDismissAfterTime(kWaitSeconds);
    _hud->showInView(view());
    insertThemeCardWithThemaCardIndex(index);
}

void ThemeCardTableViewController::insertThemeCardWithThemaCardIndex(int64_t index)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (index < 0 || index >= static_cast<int64_t>(_items.size()))
        return;
    // The folder is made here, on the main queue, so that the background work
    // below only writes files into it and never changes the project itself.
    if (!_project->getProjectPath()) {
        if (auto made = _project->createFilePathForProject(); !made.ok()) {
            plat::log("cards: no folder for the card: {}", made.error().localizedDescription());
            if (_hud)
                _hud->dismiss();
            showFailureAlert(plat::localized("The card could not be added."), made.error());
            return;
        }
    }
    _inserting = true;
    const std::string folder = *_project->getProjectPath();
    const ThemeCardItem item = _items[static_cast<size_t>(index)];
    const Frame frame(item.frameType);
    auto project = _project;
    std::weak_ptr<ThemeCardTableViewController> weakSelf = sharedAs<ThemeCardTableViewController>();
    plat::DispatchQueue::globalQueue().async([weakSelf, project, folder, item, frame] {
        // Files only here: the pictures and the card's own metadata file.
        std::optional<plat::Error> failure;
        if (auto picture = bundlePicture(item.bgImagePath)) {
            ImageProducer producer(project);
            if (!producer.storeImage(*picture, frame.frameID(), &failure))
                plat::log("cards: cannot store the pictures of card {}", item.themeID);
        } else {
            plat::log("cards: no picture {} for card {}", item.bgImagePath, item.themeID);
        }
        if (!failure && item.frameType == FrameTypeThemeCard) {
            FrameMeta meta(frame.frameID(), folder);
            meta.setValue(plat::Dictionary {{"THEME_CARD_ID", plat::Value(int64_t {item.themeID})},
                              {"THEME_CARD_TEXT", plat::Value(plat::localized("Tap to edit."))}},
                "THEME_CARD_DATA");
            if (!meta.saveMetaData(&failure))
                plat::log("cards: cannot save the metadata of card {}", frame.frameID());
        }
        plat::DispatchQueue::mainQueue().async([weakSelf, item, frame, failure] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            if (failure)
                self->refuseCard(frame, *failure);
            else
                self->insertStoredCard(item, frame);
        });
    });
}

void ThemeCardTableViewController::refuseCard(const Frame& frame, const plat::Error& error)
{
    if (const auto& folder = _project->getProjectPath()) {
        auto removed = FrameFiles::deleteFilesOfFrame(*folder, frame.frameID());
        if (!removed.ok())
            plat::log("cards: files of a card that was not added stay: {}", removed.failureDescription());
    }
    _inserting = false;
    if (_hud)
        _hud->dismiss();
    showFailureAlert(plat::localized("The card could not be added."), error);
}

void ThemeCardTableViewController::insertStoredCard(const ThemeCardItem& item, const Frame& frame)
{
    FrameList& frames = _project->getFrameList();
    const FrameList before = frames;
    frames.insertFrame(frame, frames.frameIndexAtPlayhead());
    frames.setHoldForFrame(frame, _project->recordFPS());
    auto metadata = _project->getMetaData();
    const plat::Value neededRendering = metadata ? metadata->get("RecordNeedsRendering") : plat::Value();
    if (metadata)
        metadata->set("RecordNeedsRendering", true);
    if (auto saved = _project->saveAllDataToDisk(); !saved.ok()) {
        // Only a stored card joins the movie.
        plat::log("cards: cannot save the project: {}", saved.error().localizedDescription());
        frames = before;
        if (metadata)
            metadata->set("RecordNeedsRendering", neededRendering);
        refuseCard(frame, saved.error());
        return;
    }
    _frame = frame;
    if (item.frameType == FrameTypeThemeCard) {
        _webRenderer = std::make_shared<WebRenderer>(_project);
        std::weak_ptr<ThemeCardTableViewController> weakSelf = sharedAs<ThemeCardTableViewController>();
        _renderingObserver
            = plat::NotificationCenter::defaultCenter().addObserver(WebRenderer::kWebRenderingFinishedNotification,
                _webRenderer.get(), [weakSelf](const plat::Notification& notification) {
                    if (auto self = weakSelf.lock())
                        self->receiveWebRenderingFinishedNotification(notification);
                });
        _webRenderer->renderContent(themeCardPageName(item.themeID), kRequestedSize, frame.frameID(),
            themeCardReplacements(plat::localized("Tap to edit.")), bundlePicture(item.bgImagePath));
    }
    if (item.frameType != FrameTypeThemeCard) {
        auto keepAlive = sharedAs<ThemeCardTableViewController>();
        dismissViewControllerAnimated(true, nullptr);
        announceFrame();
    }
}

void ThemeCardTableViewController::receiveWebRenderingFinishedNotification(const plat::Notification&)
{
    // Also after a failed render: the frame is in the movie and saved, with
    // the card's background as its picture, and the editor must hear of it.
    auto keepAlive = sharedAs<ThemeCardTableViewController>();
    _renderingObserver = {};
    announceFrame();
    dismissViewControllerAnimated(true, nullptr);
}

void ThemeCardTableViewController::announceFrame()
{
    _inserting = false;
    if (!_frame)
        return;
    plat::Dictionary userInfo {{"FRAME", plat::Value(_frame->encode())}};
    plat::NotificationCenter::defaultCenter().post(kAddFrameNotification, this, userInfo);
}

}  // namespace zt
