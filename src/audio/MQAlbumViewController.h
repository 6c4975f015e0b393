#pragma once
#include <cstdint>
#include <memory>

#include "platform/foundation/NotificationCenter.h"
#include "platform/media/AudioPlayer.h"
#include "platform/ui/TableViewController.h"

namespace plat {
class MediaLibrary;
class Button;
class ImageView;
class Label;
class MediaItem;
class MediaItemCollection;
}  // namespace plat

namespace zt {
class MQAlbumViewController;

// Optional: the default does nothing.
class MQAlbumViewControllerDelegate {
public:
    virtual ~MQAlbumViewControllerDelegate() = default;
    virtual void mqAlbumViewController(MQAlbumViewController& albumScreen,
        const std::shared_ptr<const plat::MediaItemCollection>& mediaItems,
        const std::shared_ptr<const plat::MediaItem>& selectedItem)
    {
        (void)albumScreen;
        (void)mediaItems;
        (void)selectedItem;
    }
    // What the album screen's Cancel button asks of its delegate.
    virtual void notifyDelegateOfCancellation() { }
};

// One album of the music library (the layout "MQAlbumViewController"): a
// header with cover, artist, title, year and the count and minutes of its
// songs, then one row per song with a button that plays it as a preview
// (through the speaker, on the run-loop clock). Picking a row hands the
// album and the song to the delegate. Main thread.
class MQAlbumViewController : public plat::TableViewController, public plat::AudioPlayerDelegate {
public:
    // From the layout "MQAlbumViewController".
    explicit MQAlbumViewController(std::string nibName = "MQAlbumViewController");
    ~MQAlbumViewController() override;

    const std::shared_ptr<const plat::MediaItemCollection>& albumCollection() const { return _albumCollection; }
    void setAlbumCollection(std::shared_ptr<const plat::MediaItemCollection> collection);
    std::weak_ptr<MQAlbumViewControllerDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<MQAlbumViewControllerDelegate> delegate) { _delegate = std::move(delegate); }
    bool showsCancelButton() const { return _showsCancelButton; }
    void setShowsCancelButton(bool shows) { _showsCancelButton = shows; }
    bool allowsSelectionOfNonPlayableItem() const { return _allowsSelectionOfNonPlayableItem; }
    void setAllowsSelectionOfNonPlayableItem(bool allows) { _allowsSelectionOfNonPlayableItem = allows; }
    int32_t currentPlayedIndex() const { return _currentPlayedIndex; }
    const std::shared_ptr<plat::AudioPlayer>& audioPlayer() const { return _audioPlayer; }

    // The header's outlets, connected by the layout.
    void setHeaderOutlets(std::shared_ptr<plat::ImageView> albumArtImageView,
        std::shared_ptr<plat::Label> albumArtistLabel, std::shared_ptr<plat::Label> albumTitleLabel,
        std::shared_ptr<plat::Label> albumReleaseDateLabel, std::shared_ptr<plat::Label> albumTrackCountTimeLabel);

    void updateUI();
    void actionPlayButton(plat::Button& sender);
    void mediaLibraryDidChange();
    void audioPlayerDidFinishPlaying(plat::AudioPlayer& player, bool successfully) override;

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation) const override { return true; }
    unsigned supportedInterfaceOrientations() const override;

    int64_t tableViewNumberOfRowsInSection(plat::TableView&, int64_t section) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    std::optional<plat::IndexPath> tableViewWillSelectRowAtIndexPath(plat::TableView&, plat::IndexPath path) override;
    void tableViewDidSelectRowAtIndexPath(plat::TableView&, plat::IndexPath path) override;

private:
    std::shared_ptr<const plat::MediaItem> itemAt(int64_t row) const;
    bool canPick(const plat::MediaItem& item) const;
    void stopPreview();
    void cancelTapped();

    std::shared_ptr<const plat::MediaItemCollection> _albumCollection;
    std::weak_ptr<MQAlbumViewControllerDelegate> _delegate;
    bool _showsCancelButton = false;
    bool _allowsSelectionOfNonPlayableItem = false;
    std::weak_ptr<plat::ImageView> _albumArtImageView;
    std::weak_ptr<plat::Label> _albumArtistLabel;
    std::weak_ptr<plat::Label> _albumTitleLabel;
    std::weak_ptr<plat::Label> _albumReleaseDateLabel;
    std::weak_ptr<plat::Label> _albumTrackCountTimeLabel;
    int32_t _currentPlayedIndex = -1;
    std::shared_ptr<plat::AudioPlayer> _audioPlayer;
    plat::ObserverToken _libraryObservation;
    // The library whose change notifications this screen asked for, until it goes.
    std::shared_ptr<plat::MediaLibrary> _observedLibrary;
};

}  // namespace zt
