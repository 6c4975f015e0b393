#include "audio/MQMediaQueryViewController.h"

#include <algorithm>

#include "audio/MQExtensions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Image.h"
#include "platform/library/MediaItem.h"
#include "platform/library/MediaItemCollection.h"
#include "platform/library/MediaLibrary.h"
#include "platform/library/MediaPlaylist.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "uikit/TextColors.h"

namespace zt {

namespace {

constexpr double kArtworkPixels = 110;
// Row heights by list type.
constexpr double kRowHeights[] = {44, 44, 55, 44, 55};

const char* reuseIdentifierFor(int32_t type)
{
    switch (type) {
    case MQMediaQueryTypePlaylists:
        return "PlaylistCell";
    case MQMediaQueryTypeArtists:
        return "ArtistCell";
    case MQMediaQueryTypeSongs:
        return "SongCell";
    default:
        return "AlbumCell";
    }
}

plat::TableViewCellStyle cellStyleFor(int32_t type)
{
    return type == MQMediaQueryTypePlaylists || type == MQMediaQueryTypeArtists ? plat::TableViewCellStyle::Default
                                                                                : plat::TableViewCellStyle::Subtitle;
}

}  // namespace

MQMediaQueryViewController::MQMediaQueryViewController(std::string nibName)
    : plat::ViewController(std::move(nibName))
{
}

MQMediaQueryViewController::~MQMediaQueryViewController()
{
    if (_observedLibrary)
        _observedLibrary->endGeneratingLibraryChangeNotifications();
}

std::shared_ptr<MQMediaQueryViewController> MQMediaQueryViewController::sharedSelf()
{
    return sharedAs<MQMediaQueryViewController>();
}

std::shared_ptr<plat::TableView> MQMediaQueryViewController::itemTableView()
{
    (void)view();
    return std::dynamic_pointer_cast<plat::TableView>(outlet("itemTableView"));
}

void MQMediaQueryViewController::setQueryType(int32_t queryType)
{
    _queryType = queryType;
    updateItems();
}

void MQMediaQueryViewController::setMediaQuery(std::shared_ptr<plat::MediaQuery> mediaQuery)
{
    if (_mediaQuery == mediaQuery)
        return;
    _mediaQuery = std::move(mediaQuery);
    updateItems();
}

void MQMediaQueryViewController::updateItems()
{
    if (!_mediaQuery)
        return;
    _items = _mediaQuery->collections();
    _itemSections.reset();
    bool sectionable = _queryType == MQMediaQueryTypeArtists || _queryType == MQMediaQueryTypeAlbums
        || _queryType == MQMediaQueryTypeSongs;
    if (sectionable && _items.size() >= kFewestItemsForSections) {
        auto sections = _mediaQuery->collectionSections();
        if (sections.size() >= 2)
            _itemSections = std::move(sections);
    }
    if (isViewLoaded()) {
        if (auto table = itemTableView())
            table->reloadData();
    }
}

void MQMediaQueryViewController::mediaLibraryDidChange()
{
    updateItems();
}

void MQMediaQueryViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    if (auto table = itemTableView()) {
        auto self = sharedSelf();
        table->setDataSource(std::static_pointer_cast<plat::TableViewDataSource>(self));
        table->setDelegate(std::static_pointer_cast<plat::TableViewDelegate>(self));
        table->reloadData();
    }
    if (_showsCancelButton) {
        auto cancel = std::make_shared<plat::BarButtonItem>(plat::BarButtonSystemItem::Cancel);
        cancel->setTarget(this, &MQMediaQueryViewController::cancelButtonTap);
        navigationItem()->setRightBarButtonItem(cancel);
    }
    std::weak_ptr<MQMediaQueryViewController> weakSelf = sharedSelf();
    auto library = plat::MediaLibrary::defaultMediaLibrary();
    _libraryObservation = plat::NotificationCenter::defaultCenter().addObserver(
        plat::kMediaLibraryDidChangeNotification, library.get(), [weakSelf](const plat::Notification&) {
            if (auto self = weakSelf.lock())
                self->mediaLibraryDidChange();
        });
    library->beginGeneratingLibraryChangeNotifications();
    _observedLibrary = std::move(library);
}

void MQMediaQueryViewController::viewWillAppear(bool animated)
{
    plat::ViewController::viewWillAppear(animated);
    auto table = itemTableView();
    if (!table)
        return;
    if (auto selected = table->indexPathForSelectedRow())
        table->deselectRowAtIndexPath(*selected, /*animated=*/true);
}

unsigned MQMediaQueryViewController::supportedInterfaceOrientations() const
{
    return plat::InterfaceOrientationMaskAll;
}

std::shared_ptr<const plat::MediaItemCollection> MQMediaQueryViewController::collectionAt(plat::IndexPath path) const
{
    if (path.row < 0 || path.section < 0)
        return nullptr;
    int64_t index = path.row;
    if (isSectioned()) {
        if (path.section >= static_cast<int64_t>(_itemSections->size()))
            return nullptr;
        const auto& section = (*_itemSections)[static_cast<size_t>(path.section)];
        if (path.row >= section.length)
            return nullptr;
        index = section.location + path.row;
    }
    if (index >= static_cast<int64_t>(_items.size()))
        return nullptr;
    return _items[static_cast<size_t>(index)];
}

int64_t MQMediaQueryViewController::numberOfSectionsInTableView(plat::TableView&)
{
    return isSectioned() ? std::max<int64_t>(1, static_cast<int64_t>(_itemSections->size())) : 1;
}

int64_t MQMediaQueryViewController::tableViewNumberOfRowsInSection(plat::TableView&, int64_t section)
{
    if (!isSectioned())
        return static_cast<int64_t>(_items.size());
    if (section < 0 || section >= static_cast<int64_t>(_itemSections->size()))
        return 0;
    return std::max<int64_t>(0, (*_itemSections)[static_cast<size_t>(section)].length);
}

std::optional<std::string> MQMediaQueryViewController::tableViewTitleForHeaderInSection(
    plat::TableView&, int64_t section)
{
    if (!isSectioned() || section < 0 || section >= static_cast<int64_t>(_itemSections->size()))
        return std::nullopt;
    return (*_itemSections)[static_cast<size_t>(section)].title;
}

std::vector<std::string> MQMediaQueryViewController::sectionIndexTitlesForTableView(plat::TableView&)
{
    std::vector<std::string> titles;
    if (isSectioned())
        for (const auto& section : *_itemSections)
            titles.push_back(section.title);
    return titles;
}

int64_t MQMediaQueryViewController::tableViewSectionForSectionIndexTitleAtIndex(
    plat::TableView&, const std::string& title, int64_t)
{
    if (!isSectioned())
        return 0;
    for (size_t i = 0; i < _itemSections->size(); ++i)
        if ((*_itemSections)[i].title == title)
            return static_cast<int64_t>(i);
    return 0;
}

std::optional<double> MQMediaQueryViewController::tableViewHeightForRowAtIndexPath(plat::TableView&, plat::IndexPath)
{
    if (_queryType < 0 || _queryType > MQMediaQueryTypeAlbumsNotSectioned)
        return std::nullopt;
    return kRowHeights[_queryType];
}

std::shared_ptr<plat::TableViewCell> MQMediaQueryViewController::tableViewCellForRowAtIndexPath(
    plat::TableView& tableView, plat::IndexPath path)
{
    const char* identifier = reuseIdentifierFor(_queryType);
    auto cell = tableView.dequeueReusableCellWithIdentifier(identifier);
    if (!cell)
        cell = std::make_shared<plat::TableViewCell>(cellStyleFor(_queryType), identifier);
    cell->setAccessoryType(!isSectioned() && _queryType != MQMediaQueryTypeSongs
            ? plat::TableViewCellAccessoryType::DisclosureIndicator
            : plat::TableViewCellAccessoryType::None);
    cell->setUserInteractionEnabled(true);
    cell->textLabel()->setTextColor(plat::Color::blackColor());
    if (cell->detailTextLabel())
        cell->detailTextLabel()->setTextColor(subtitleTextColor());
    cell->imageView()->setImage(nullptr);
    auto collection = collectionAt(path);
    auto item = collection ? collection->representativeItem() : nullptr;
    if (!collection) {
        cell->textLabel()->setText("");
        return cell;
    }
    switch (_queryType) {
    case MQMediaQueryTypePlaylists: {
        auto playlist = std::dynamic_pointer_cast<const plat::MediaPlaylist>(collection);
        cell->textLabel()->setText(playlist ? zt::name(*playlist) : std::string());
        break;
    }
    case MQMediaQueryTypeArtists:
        cell->textLabel()->setText(item ? zt::artistShown(*item) : std::string());
        break;
    case MQMediaQueryTypeSongs:
        cell->textLabel()->setText(item ? zt::title(*item) : std::string());
        cell->detailTextLabel()->setText(item ? zt::songSubtitle(*item) : std::string());
        if (item && !_allowsSelectionOfNonPlayableItem && !zt::isPlayable(*item)) {
            cell->textLabel()->setTextColor(plat::Color::lightGrayColor());
            cell->detailTextLabel()->setTextColor(plat::Color::lightGrayColor());
            cell->setUserInteractionEnabled(false);
        }
        break;
    default: {
        cell->textLabel()->setText(item ? zt::albumTitleShown(*item) : std::string());
        cell->detailTextLabel()->setText(item ? zt::albumByline(*item) : std::string());
        auto art = item ? zt::artworkWithSize(*item, {kArtworkPixels, kArtworkPixels}) : nullptr;
        cell->imageView()->setImage(art ? art : plat::Image::imageNamed("AlbumArtPlaceholder.png"));
        break;
    }
    }
    return cell;
}

void MQMediaQueryViewController::pushList(
    int32_t type, const std::string& listTitle, std::shared_ptr<plat::MediaQuery> query)
{
    auto list = std::make_shared<MQMediaQueryViewController>("MQMediaQueryViewController");
    list->setTitle(listTitle);
    list->setShowsCancelButton(true);
    list->setAllowsSelectionOfNonPlayableItem(_allowsSelectionOfNonPlayableItem);
    list->setDelegate(std::static_pointer_cast<MQMediaQueryViewControllerDelegate>(sharedSelf()));
    list->setQueryType(type);
    list->setMediaQuery(std::move(query));
    if (auto navigation = navigationController())
        navigation->pushViewController(list, /*animated=*/true);
}

void MQMediaQueryViewController::tableViewDidSelectRowAtIndexPath(plat::TableView&, plat::IndexPath path)
{
    auto collection = collectionAt(path);
    if (!collection)
        return;
    auto item = collection->representativeItem();
    switch (_queryType) {
    case MQMediaQueryTypePlaylists: {
        auto playlist = std::dynamic_pointer_cast<const plat::MediaPlaylist>(collection);
        if (!playlist)
            return;
        auto query = std::make_shared<plat::MediaQuery>(std::vector {plat::MediaPropertyPredicate::predicateWithValue(
            static_cast<int64_t>(zt::persistentID(*playlist)), plat::kMediaPlaylistPropertyPersistentID)});
        pushList(MQMediaQueryTypeSongs, zt::name(*playlist), std::move(query));
        return;
    }
    case MQMediaQueryTypeArtists: {
        if (!item)
            return;
        // The songs without an artist are those with no value to equal.
        const std::string artist = zt::artist(*item);
        auto query = std::make_shared<plat::MediaQuery>(std::vector {plat::MediaPropertyPredicate::predicateWithValue(
            artist.empty() ? plat::Value() : plat::Value(artist), plat::kMediaItemPropertyArtist)});
        query->setGroupingType(plat::MediaGrouping::Album);
        pushList(MQMediaQueryTypeAlbums, zt::artistShown(*item), std::move(query));
        return;
    }
    case MQMediaQueryTypeSongs: {
        auto delegate = _delegate.lock();
        if (!delegate || !item)
            return;
        // Every song of the list, in list order, with the chosen one.
        std::vector<std::shared_ptr<const plat::MediaItem>> songs;
        for (const auto& row : _items)
            if (auto song = row->representativeItem())
                songs.push_back(song);
        notifyDelegateOfSelection(std::make_shared<plat::MediaItemCollection>(std::move(songs)), item);
        return;
    }
    default: {
        auto album = std::make_shared<MQAlbumViewController>("MQAlbumViewController");
        album->setShowsCancelButton(true);
        album->setAllowsSelectionOfNonPlayableItem(_allowsSelectionOfNonPlayableItem);
        album->setDelegate(std::static_pointer_cast<MQAlbumViewControllerDelegate>(sharedSelf()));
        album->setAlbumCollection(collection);
        if (auto navigation = navigationController())
            navigation->pushViewController(album, /*animated=*/true);
        return;
    }
    }
}

void MQMediaQueryViewController::notifyDelegateOfSelection(
    const std::shared_ptr<const plat::MediaItemCollection>& mediaItems,
    const std::shared_ptr<const plat::MediaItem>& selectedItem)
{
    if (auto delegate = _delegate.lock())
        delegate->mqMediaQueryViewController(*this, mediaItems, selectedItem);
}

void MQMediaQueryViewController::notifyDelegateOfCancellation()
{
    if (auto delegate = _delegate.lock())
        delegate->mqMediaQueryViewControllerDidCancel(*this);
}

void MQMediaQueryViewController::cancelButtonTap(plat::BarButtonItem&)
{
    notifyDelegateOfCancellation();
}

void MQMediaQueryViewController::mqMediaQueryViewController(MQMediaQueryViewController&,
    const std::shared_ptr<const plat::MediaItemCollection>& mediaItems,
    const std::shared_ptr<const plat::MediaItem>& selectedItem)
{
    notifyDelegateOfSelection(mediaItems, selectedItem);
}

void MQMediaQueryViewController::mqMediaQueryViewControllerDidCancel(MQMediaQueryViewController&)
{
    notifyDelegateOfCancellation();
}

void MQMediaQueryViewController::mqAlbumViewController(MQAlbumViewController&,
    const std::shared_ptr<const plat::MediaItemCollection>& mediaItems,
    const std::shared_ptr<const plat::MediaItem>& selectedItem)
{
    notifyDelegateOfSelection(mediaItems, selectedItem);
}

}  // namespace zt
