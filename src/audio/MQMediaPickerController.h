#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/MQMediaQueryViewController.h"
#include "platform/ui/Object.h"
#include "platform/ui/TabBarController.h"

namespace plat {
class BarButtonItem;
class MediaItem;
class MediaItemCollection;
}  // namespace plat

namespace zt {
class MQMediaPickerController;

// Both optional: the defaults do nothing.
class MQMediaPickerControllerDelegate {
public:
    virtual ~MQMediaPickerControllerDelegate() = default;
    virtual void mqMediaPicker(MQMediaPickerController& picker,
        const std::shared_ptr<const plat::MediaItemCollection>& mediaItems,
        const std::shared_ptr<const plat::MediaItem>& selectedItem)
    {
        (void)picker;
        (void)mediaItems;
        (void)selectedItem;
    }
    virtual void mqMediaPickerDidCancel(MQMediaPickerController& picker) { (void)picker; }
};

// The music-library picker: a tab bar controller (viewController, which the
// presenter shows) with the lists Albums, Playlists, Artists and Songs, each
// in a navigation controller of its own; Playlists is shown first. A pick
// from any depth reaches the delegate as (picker, collection, chosen song),
// a Cancel as a cancel. The presenter keeps the picker until it has
// dismissed viewController and sent cleanUp. Made with create() (a
// subclass with its own factory), since building the tabs needs the picker
// shared. Main thread.
class MQMediaPickerController : public plat::Object,
                                public plat::TabBarControllerDelegate,
                                public MQMediaQueryViewControllerDelegate {
protected:
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    explicit MQMediaPickerController(Passkey);
    ~MQMediaPickerController() override;

    // init
    static std::shared_ptr<MQMediaPickerController> create();

    // The four library tabs, the tab bar controller, the selected tab.
    virtual void setupViewControllers();
    std::shared_ptr<plat::ViewController> viewController() const { return _tabBarController; }
    const std::shared_ptr<plat::TabBarController>& tabBarController() const { return _tabBarController; }
    std::weak_ptr<MQMediaPickerControllerDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<MQMediaPickerControllerDelegate> delegate) { _delegate = std::move(delegate); }
    int32_t selectedTabIndex() const { return _selectedTabIndex; }
    void setSelectedTabIndex(int32_t index);
    void updateTabBarControllerIndex();
    bool allowsSelectionOfNonPlayableItem() const { return _allowsSelectionOfNonPlayableItem; }
    void setAllowsSelectionOfNonPlayableItem(bool allows) { _allowsSelectionOfNonPlayableItem = allows; }

    const std::shared_ptr<MQMediaQueryViewController>& playlistsViewController() const
    {
        return _playlistsViewController;
    }
    const std::shared_ptr<MQMediaQueryViewController>& artistsViewController() const { return _artistsViewController; }
    const std::shared_ptr<MQMediaQueryViewController>& albumsViewController() const { return _albumsViewController; }
    const std::shared_ptr<MQMediaQueryViewController>& songsViewController() const { return _songsViewController; }

    void tabBarControllerDidSelectViewController(plat::TabBarController&, plat::ViewController&) override;
    void mqMediaQueryViewController(MQMediaQueryViewController& list,
        const std::shared_ptr<const plat::MediaItemCollection>& mediaItems,
        const std::shared_ptr<const plat::MediaItem>& selectedItem) override;
    void mqMediaQueryViewControllerDidCancel(MQMediaQueryViewController& list) override;
    // A Cancel button may send the cancel with itself as sender.
    void cancelFromButton(plat::BarButtonItem& sender);

    // Lets go of the tab lists' delegates. The presenter calls it after the dismissal.
    virtual void cleanUp();

protected:
    // init: the first tab shown, the library tabs' rule for songs that cannot play, the tabs.
    void init();
    // The navigation controllers of the library tabs, in tab order.
    const std::vector<std::shared_ptr<plat::ViewController>>& libraryTabs() const { return _libraryTabs; }
    // A list of the picker, in its navigation controller with its tab item.
    std::shared_ptr<plat::ViewController> wrapInTab(
        const std::shared_ptr<plat::ViewController>& list, const std::string& title, const std::string& imageName);

private:
    std::shared_ptr<MQMediaQueryViewController> makeLibraryList(
        int32_t queryType, std::shared_ptr<plat::MediaQuery> query);

    std::shared_ptr<plat::TabBarController> _tabBarController;
    std::weak_ptr<MQMediaPickerControllerDelegate> _delegate;
    int32_t _selectedTabIndex = 0;
    bool _allowsSelectionOfNonPlayableItem = false;
    std::shared_ptr<MQMediaQueryViewController> _playlistsViewController;
    std::shared_ptr<MQMediaQueryViewController> _artistsViewController;
    std::shared_ptr<MQMediaQueryViewController> _albumsViewController;
    std::shared_ptr<MQMediaQueryViewController> _songsViewController;
    std::vector<std::shared_ptr<plat::ViewController>> _libraryTabs;
};

}  // namespace zt
