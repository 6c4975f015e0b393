#include "audio/QVMediaQueryViewController.h"

#include <algorithm>

#include "audio/MQAlbumTrackTableViewCell.h"
#include "audio/MQMediaPickerController.h"
#include "audio/QVMediaPickerItem.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/LocalizedComparison.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TypeIdentifiers.h"

namespace zt {

namespace {

constexpr const char* kTrackCellIdentifier = "AlbumTrackCell";
constexpr const char* kTrackCellLayout = "MQAlbumTrackTableViewCell";
const plat::Color kOddRowColor = plat::Color::colorWithRed(245 / 255.0, 245 / 255.0, 245 / 255.0, 1);
const plat::Color kSeparatorColor = plat::Color::colorWithRed(236 / 255.0, 236 / 255.0, 236 / 255.0, 1);

}  // namespace

QVMediaQueryViewController::QVMediaQueryViewController()
    : plat::TableViewController(plat::TableViewStyle::Plain)
{
}

QVMediaQueryViewController::~QVMediaQueryViewController() = default;

bool QVMediaQueryViewController::isAudioFile(const std::string& path)
{
    std::string extension = plat::pathExtension(path);
    if (extension.empty())
        return false;
    std::string type = plat::UTTypeCreatePreferredIdentifierForTag(plat::kUTTagClassFilenameExtension, extension);
    return plat::UTTypeConformsTo(type, plat::kUTTypeAudio);
}

void QVMediaQueryViewController::updateLibraryFromFolderAtPath(const std::optional<std::string>& folder)
{
    if (!folder)
        return;
    std::vector<std::shared_ptr<QVMediaPickerItem>> items;
    auto names = plat::contentsOfDirectory(*folder);
    if (!names.ok())
        plat::log("sound list: cannot read {}: {}", *folder, names.error().localizedDescription());
    else
        for (const auto& name : names.value()) {
            if (!isAudioFile(name))
                continue;
            if (auto item = QVMediaPickerItem::initWithURL(
                    plat::URL::fileURLWithPath(plat::appendingPathComponent(*folder, name))))
                items.push_back(std::move(item));
        }
    const plat::LocalizedCaseInsensitiveComparison titleOrder;
    std::stable_sort(items.begin(), items.end(),
        [&titleOrder](const auto& a, const auto& b) { return titleOrder(a->title(), b->title()); });
    _mediaItems = std::move(items);
}

void QVMediaQueryViewController::viewDidLoad()
{
    plat::TableViewController::viewDidLoad();
    tableView()->setSeparatorColor(kSeparatorColor);
    if (_showsCancelButton) {
        auto cancel = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Cancel);
        // The picker that is the delegate takes the cancel, as from its own lists.
        if (auto picker = std::dynamic_pointer_cast<MQMediaPickerController>(_delegate.lock()))
            cancel->setTarget(picker.get(), &MQMediaPickerController::cancelFromButton);
        navigationItem()->setLeftBarButtonItem(cancel);
    }
    updateLibraryFromFolderAtPath(_queryFolder);
}

void QVMediaQueryViewController::viewWillDisappear(bool animated)
{
    plat::TableViewController::viewWillDisappear(animated);
    stopPreview();
}

bool QVMediaQueryViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return plat::isLandscape(orientation);
}

unsigned QVMediaQueryViewController::supportedInterfaceOrientations() const
{
    return plat::InterfaceOrientationMaskLandscape;
}

std::shared_ptr<QVMediaPickerItem> QVMediaQueryViewController::itemAt(int64_t row) const
{
    if (row < 0 || row >= static_cast<int64_t>(_mediaItems.size()))
        return nullptr;
    return _mediaItems[static_cast<size_t>(row)];
}

int64_t QVMediaQueryViewController::tableViewNumberOfRowsInSection(plat::TableView&, int64_t)
{
    return static_cast<int64_t>(_mediaItems.size());
}

std::shared_ptr<plat::TableViewCell> QVMediaQueryViewController::tableViewCellForRowAtIndexPath(
    plat::TableView& tableView, plat::IndexPath path)
{
    auto cell = std::dynamic_pointer_cast<MQAlbumTrackTableViewCell>(
        tableView.dequeueReusableCellWithIdentifier(kTrackCellIdentifier));
    if (!cell) {
        // The layout hands the row to its outlet; the outlet does not keep it, the table will.
        cell = std::dynamic_pointer_cast<MQAlbumTrackTableViewCell>(
            plat::LayoutRegistry::loadNibNamed(kTrackCellLayout, *this));
        if (!cell)
            plat::detail::fatal("the layout {} makes no track row", kTrackCellLayout);
        cell->setReuseIdentifier(kTrackCellIdentifier);
        cell->btnPlay()->addTarget(
            this, &QVMediaQueryViewController::actionPlayButton, plat::ControlEventTouchUpInside);
    }
    auto item = itemAt(path.row);
    if (!item)
        return cell;
    cell->trackNumberLabel()->setText(std::to_string(path.row + 1) + ".");
    cell->trackNameLabel()->setText(item->title());
    cell->trackLengthLabel()->setText(item->getDuration());
    cell->btnPlay()->setTag(path.row);
    cell->btnPlay()->setSelected(path.row == _currentPlayedIndex);
    if (cell->backgroundView())
        cell->backgroundView()->setBackgroundColor(path.row % 2 == 1 ? kOddRowColor : plat::Color::whiteColor());
    return cell;
}

void QVMediaQueryViewController::tableViewDidSelectRowAtIndexPath(plat::TableView&, plat::IndexPath path)
{
    auto item = itemAt(path.row);
    auto delegate = _delegate.lock();
    if (item && delegate)
        delegate->qvMediaQueryViewController(*this, {item}, item);
}

void QVMediaQueryViewController::stopPreview()
{
    if (_audioPlayer)
        _audioPlayer->stop();
    _audioPlayer.reset();
    _currentPlayedIndex = -1;
}

void QVMediaQueryViewController::actionPlayButton(plat::Button& sender)
{
    int64_t pressed = sender.tag();
    bool stopsOnly = pressed == _currentPlayedIndex;
    stopPreview();
    if (!stopsOnly) {
        _currentPlayedIndex = pressed;
        if (auto item = itemAt(pressed)) {
            auto player = plat::AudioPlayer::initWithContentsOfURL(item->URL());
            if (player.ok()) {
                _audioPlayer = player.value();
                _audioPlayer->setDelegate(
                    std::static_pointer_cast<plat::AudioPlayerDelegate>(sharedAs<QVMediaQueryViewController>()));
                _audioPlayer->play();
            } else {
                plat::log(
                    "sound list: cannot preview {}: {}", item->URL().path(), player.error().localizedDescription());
            }
        }
    }
    tableView()->reloadData();
}

void QVMediaQueryViewController::audioPlayerDidFinishPlaying(plat::AudioPlayer&, bool)
{
    _currentPlayedIndex = -1;
    _audioPlayer.reset();
    if (isViewLoaded())
        tableView()->reloadData();
}

}  // namespace zt
