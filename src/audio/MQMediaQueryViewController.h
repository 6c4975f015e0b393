#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/MQAlbumViewController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/library/MediaQuery.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"

namespace plat {
class MediaLibrary;
class BarButtonItem;
class MediaItem;
class MediaItemCollection;
}  // namespace plat

namespace zt {
class MQMediaQueryViewController;

// Both optional: the defaults do nothing.
class MQMediaQueryViewControllerDelegate {
public:
    virtual ~MQMediaQueryViewControllerDelegate() = default;
    virtual void mqMediaQueryViewController(MQMediaQueryViewController& list,
        const std::shared_ptr<const plat::MediaItemCollection>& mediaItems,
        const std::shared_ptr<const plat::MediaItem>& selectedItem)
    {
        (void)list;
        (void)mediaItems;
        (void)selectedItem;
    }
    virtual void mqMediaQueryViewControllerDidCancel(MQMediaQueryViewController& list) { (void)list; }
};

// What a list shows, with the platform's numbers.
enum MQMediaQueryType : int32_t {
    MQMediaQueryTypePlaylists = 0,
    MQMediaQueryTypeArtists = 1,
    MQMediaQueryTypeAlbums = 2,
    MQMediaQueryTypeSongs = 3,
    MQMediaQueryTypeAlbumsNotSectioned = 4,
};

// One browsing list of the music-library picker over a media query:
// playlists, artists, albums or songs, one collection a row; from 26
// collections on, artists, albums and songs come in letter sections with an
// index. A playlist or artist opens a list of its songs or albums, an album
// its album screen; a song is picked. It passes picks and the cancel from
// the lists and album screens it opened on to its own delegate. It reads
// the query again when the library changes. Main thread.
class MQMediaQueryViewController : public plat::ViewController,
                                   public plat::TableViewDataSource,
                                   public plat::TableViewDelegate,
                                   public MQMediaQueryViewControllerDelegate,
                                   public MQAlbumViewControllerDelegate {
public:
    // Sections come only from this many collections on.
    static constexpr size_t kFewestItemsForSections = 26;

    // initWithNibName:bundle: (the layout "MQMediaQueryViewController").
    explicit MQMediaQueryViewController(std::string nibName = "MQMediaQueryViewController");
    ~MQMediaQueryViewController() override;

    int32_t queryType() const { return _queryType; }
    void setQueryType(int32_t queryType);
    const std::shared_ptr<plat::MediaQuery>& mediaQuery() const { return _mediaQuery; }
    void setMediaQuery(std::shared_ptr<plat::MediaQuery> mediaQuery);
    const std::vector<std::shared_ptr<const plat::MediaItemCollection>>& items() const { return _items; }
    // None when the list is not sectioned.
    const std::optional<std::vector<plat::MediaQuerySection>>& itemSections() const { return _itemSections; }
    std::weak_ptr<MQMediaQueryViewControllerDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<MQMediaQueryViewControllerDelegate> delegate) { _delegate = std::move(delegate); }
    bool showsCancelButton() const { return _showsCancelButton; }
    void setShowsCancelButton(bool shows) { _showsCancelButton = shows; }
    bool allowsSelectionOfNonPlayableItem() const { return _allowsSelectionOfNonPlayableItem; }
    void setAllowsSelectionOfNonPlayableItem(bool allows) { _allowsSelectionOfNonPlayableItem = allows; }
    // The outlet; loads the view.
    std::shared_ptr<plat::TableView> itemTableView();

    void updateItems();
    void mediaLibraryDidChange();
    void notifyDelegateOfSelection(const std::shared_ptr<const plat::MediaItemCollection>& mediaItems,
        const std::shared_ptr<const plat::MediaItem>& selectedItem);
    void notifyDelegateOfCancellation() override;
    void cancelButtonTap(plat::BarButtonItem& sender);

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation) const override { return true; }
    unsigned supportedInterfaceOrientations() const override;

    int64_t numberOfSectionsInTableView(plat::TableView&) override;
    int64_t tableViewNumberOfRowsInSection(plat::TableView&, int64_t section) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    std::optional<std::string> tableViewTitleForHeaderInSection(plat::TableView&, int64_t section) override;
    std::vector<std::string> sectionIndexTitlesForTableView(plat::TableView&) override;
    int64_t tableViewSectionForSectionIndexTitleAtIndex(
        plat::TableView&, const std::string& title, int64_t index) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(plat::TableView&, plat::IndexPath) override;
    void tableViewDidSelectRowAtIndexPath(plat::TableView&, plat::IndexPath path) override;

    // From the lists and album screens this one opened.
    void mqMediaQueryViewController(MQMediaQueryViewController& list,
        const std::shared_ptr<const plat::MediaItemCollection>& mediaItems,
        const std::shared_ptr<const plat::MediaItem>& selectedItem) override;
    void mqMediaQueryViewControllerDidCancel(MQMediaQueryViewController& list) override;
    void mqAlbumViewController(MQAlbumViewController& albumScreen,
        const std::shared_ptr<const plat::MediaItemCollection>& mediaItems,
        const std::shared_ptr<const plat::MediaItem>& selectedItem) override;

private:
    // The collection of a row, or nullptr for a row the list no longer has.
    std::shared_ptr<const plat::MediaItemCollection> collectionAt(plat::IndexPath path) const;
    bool isSectioned() const { return _itemSections.has_value(); }
    void pushList(int32_t type, const std::string& title, std::shared_ptr<plat::MediaQuery> query);
    std::shared_ptr<MQMediaQueryViewController> sharedSelf();

    int32_t _queryType = MQMediaQueryTypeSongs;
    std::shared_ptr<plat::MediaQuery> _mediaQuery;
    std::vector<std::shared_ptr<const plat::MediaItemCollection>> _items;
    std::optional<std::vector<plat::MediaQuerySection>> _itemSections;
    std::weak_ptr<MQMediaQueryViewControllerDelegate> _delegate;
    bool _showsCancelButton = false;
    bool _allowsSelectionOfNonPlayableItem = false;
    plat::ObserverToken _libraryObservation;
    // The library whose change notifications this screen asked for, until it goes.
    std::shared_ptr<plat::MediaLibrary> _observedLibrary;
};

}  // namespace zt
