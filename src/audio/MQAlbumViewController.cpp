#include "audio/MQAlbumViewController.h"

#include <cmath>

#include "audio/MQAlbumTrackTableViewCell.h"
#include "audio/MQExtensions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/library/MediaItem.h"
#include "platform/library/MediaItemCollection.h"
#include "platform/library/MediaLibrary.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/NavigationItem.h"

namespace zt {

namespace {

constexpr const char* kTrackCellIdentifier = "AlbumTrackCell";
constexpr const char* kTrackCellLayout = "MQAlbumTrackTableViewCell";
const plat::Color kOddRowColor = plat::Color::colorWithRed(245 / 255.0, 245 / 255.0, 245 / 255.0, 1);
const plat::Color kSeparatorColor = plat::Color::colorWithRed(236 / 255.0, 236 / 255.0, 236 / 255.0, 1);

}  // namespace

MQAlbumViewController::MQAlbumViewController(std::string nibName)
    : plat::TableViewController(std::move(nibName))
{
}

MQAlbumViewController::~MQAlbumViewController()
{
    if (_observedLibrary)
        _observedLibrary->endGeneratingLibraryChangeNotifications();
}

void MQAlbumViewController::setHeaderOutlets(std::shared_ptr<plat::ImageView> albumArtImageView,
    std::shared_ptr<plat::Label> albumArtistLabel, std::shared_ptr<plat::Label> albumTitleLabel,
    std::shared_ptr<plat::Label> albumReleaseDateLabel, std::shared_ptr<plat::Label> albumTrackCountTimeLabel)
{
    _albumArtImageView = albumArtImageView;
    _albumArtistLabel = albumArtistLabel;
    _albumTitleLabel = albumTitleLabel;
    _albumReleaseDateLabel = albumReleaseDateLabel;
    _albumTrackCountTimeLabel = albumTrackCountTimeLabel;
}

void MQAlbumViewController::setAlbumCollection(std::shared_ptr<const plat::MediaItemCollection> collection)
{
    if (_albumCollection == collection)
        return;
    _albumCollection = std::move(collection);
    if (isViewLoaded()) {
        tableView()->reloadData();
        updateUI();
    }
}

void MQAlbumViewController::viewDidLoad()
{
    plat::TableViewController::viewDidLoad();
    tableView()->setSeparatorColor(kSeparatorColor);
    if (_showsCancelButton) {
        auto cancel = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Cancel);
        cancel->setTarget(this, &MQAlbumViewController::cancelTapped);
        navigationItem()->setRightBarButtonItem(cancel);
    }
    std::weak_ptr<MQAlbumViewController> weakSelf = sharedAs<MQAlbumViewController>();
    auto library = plat::MediaLibrary::defaultMediaLibrary();
    _libraryObservation = plat::NotificationCenter::defaultCenter().addObserver(
        plat::kMediaLibraryDidChangeNotification, library.get(), [weakSelf](const plat::Notification&) {
            if (auto self = weakSelf.lock())
                self->mediaLibraryDidChange();
        });
    library->beginGeneratingLibraryChangeNotifications();
    _observedLibrary = std::move(library);
    updateUI();
}

void MQAlbumViewController::viewWillAppear(bool animated)
{
    plat::TableViewController::viewWillAppear(animated);
    updateUI();
}

void MQAlbumViewController::viewWillDisappear(bool animated)
{
    plat::TableViewController::viewWillDisappear(animated);
    stopPreview();
}

unsigned MQAlbumViewController::supportedInterfaceOrientations() const
{
    return plat::InterfaceOrientationMaskAll;
}

void MQAlbumViewController::cancelTapped()
{
    // The Cancel item's target is the delegate, whose cancellation it sends.
    if (auto delegate = _delegate.lock())
        delegate->notifyDelegateOfCancellation();
}

void MQAlbumViewController::updateUI()
{
    auto item = _albumCollection ? _albumCollection->representativeItem() : nullptr;
    if (!item)
        return;
    setTitle(zt::artistShown(*item));
    if (auto label = _albumArtistLabel.lock())
        label->setText(zt::artistShown(*item));
    if (auto label = _albumTitleLabel.lock())
        label->setText(zt::albumTitleShown(*item));
    if (auto imageView = _albumArtImageView.lock()) {
        plat::Size size = imageView->bounds().size;
        auto art = zt::artworkWithSize(
            *item, {size.width * imageView->contentScaleFactor(), size.height * imageView->contentScaleFactor()});
        imageView->setImage(art ? art : plat::Image::imageNamed("AlbumArtPlaceholderLarge.png"));
    }
    if (auto label = _albumReleaseDateLabel.lock()) {
        auto year = zt::releaseYearString(*item);
        label->setText(year ? plat::localized("Released") + " " + *year : std::string());
    }
    if (auto label = _albumTrackCountTimeLabel.lock()) {
        auto minutes = static_cast<long>(std::trunc(zt::playbackLength(*_albumCollection)) / 60);
        label->setText(std::to_string(_albumCollection->count()) + " " + plat::localized("Songs") + ", "
            + std::to_string(minutes) + " Mins.");
    }
}

void MQAlbumViewController::mediaLibraryDidChange()
{
    updateUI();
    if (isViewLoaded())
        tableView()->reloadData();
}

std::shared_ptr<const plat::MediaItem> MQAlbumViewController::itemAt(int64_t row) const
{
    if (!_albumCollection || row < 0 || row >= static_cast<int64_t>(_albumCollection->count()))
        return nullptr;
    return _albumCollection->items()[static_cast<size_t>(row)];
}

bool MQAlbumViewController::canPick(const plat::MediaItem& item) const
{
    return _allowsSelectionOfNonPlayableItem || isPlayable(item);
}

int64_t MQAlbumViewController::tableViewNumberOfRowsInSection(plat::TableView&, int64_t)
{
    return _albumCollection ? static_cast<int64_t>(_albumCollection->count()) : 0;
}

std::shared_ptr<plat::TableViewCell> MQAlbumViewController::tableViewCellForRowAtIndexPath(
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
        cell->btnPlay()->addTarget(this, &MQAlbumViewController::actionPlayButton, plat::ControlEventTouchUpInside);
    }
    auto item = itemAt(path.row);
    if (!item)
        return cell;
    bool pickable = canPick(*item);
    cell->trackNumberLabel()->setText(std::to_string(zt::trackNumber(*item)));
    cell->trackNameLabel()->setText(zt::title(*item));
    cell->trackNameLabel()->setTextColor(pickable ? plat::Color::blackColor() : plat::Color::lightGrayColor());
    cell->trackLengthLabel()->setText(zt::trackLengthString(*item));
    cell->setUserInteractionEnabled(pickable);
    cell->btnPlay()->setEnabled(pickable);
    cell->btnPlay()->setTag(path.row);
    cell->btnPlay()->setSelected(path.row == _currentPlayedIndex);
    if (cell->backgroundView())
        cell->backgroundView()->setBackgroundColor(path.row % 2 == 1 ? kOddRowColor : plat::Color::whiteColor());
    return cell;
}

std::optional<plat::IndexPath> MQAlbumViewController::tableViewWillSelectRowAtIndexPath(
    plat::TableView&, plat::IndexPath path)
{
    auto item = itemAt(path.row);
    if (!item || !canPick(*item))
        return std::nullopt;
    return path;
}

void MQAlbumViewController::tableViewDidSelectRowAtIndexPath(plat::TableView&, plat::IndexPath path)
{
    auto item = itemAt(path.row);
    auto delegate = _delegate.lock();
    if (item && delegate)
        delegate->mqAlbumViewController(*this, _albumCollection, item);
}

void MQAlbumViewController::stopPreview()
{
    if (_audioPlayer)
        _audioPlayer->stop();
    _audioPlayer.reset();
    _currentPlayedIndex = -1;
}

void MQAlbumViewController::actionPlayButton(plat::Button& sender)
{
    auto pressed = static_cast<int32_t>(sender.tag());
    bool stopsOnly = pressed == _currentPlayedIndex;
    stopPreview();
    if (!stopsOnly) {
        _currentPlayedIndex = pressed;
        auto item = itemAt(pressed);
        auto url = item ? zt::assetURL(*item) : std::nullopt;
        if (url && url->isFileURL()) {
            auto player = plat::AudioPlayer::initWithContentsOfURL(*url);
            if (player.ok()) {
                _audioPlayer = player.value();
                _audioPlayer->setDelegate(
                    std::static_pointer_cast<plat::AudioPlayerDelegate>(sharedAs<MQAlbumViewController>()));
                _audioPlayer->play();
            } else {
                plat::log("album: cannot preview {}: {}", url->path(), player.error().localizedDescription());
            }
        }
    }
    tableView()->reloadData();
}

void MQAlbumViewController::audioPlayerDidFinishPlaying(plat::AudioPlayer&, bool)
{
    _currentPlayedIndex = -1;
    _audioPlayer.reset();
    if (isViewLoaded())
        tableView()->reloadData();
}

}  // namespace zt
