#include "audio/MQMediaPickerController.h"

#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"
#include "platform/library/MediaQuery.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/TabBar.h"
#include "platform/ui/TabBarItem.h"
#include "uikit/AppTint.h"
#include "uikit/QVNavigationController.h"

namespace zt {

namespace {

// The tab shown when the picker opens.
constexpr int32_t kFirstTab = 1;

}  // namespace

MQMediaPickerController::MQMediaPickerController(Passkey) { }

MQMediaPickerController::~MQMediaPickerController() = default;

std::shared_ptr<MQMediaPickerController> MQMediaPickerController::create()
{
    auto picker = std::make_shared<MQMediaPickerController>(Passkey());
    picker->init();
    return picker;
}

void MQMediaPickerController::init()
{
    _selectedTabIndex = kFirstTab;
    _allowsSelectionOfNonPlayableItem = true;
    setupViewControllers();
}

std::shared_ptr<plat::ViewController> MQMediaPickerController::wrapInTab(
    const std::shared_ptr<plat::ViewController>& list, const std::string& tabTitle, const std::string& imageName)
{
    list->setTitle(tabTitle);
    auto navigation = std::make_shared<QVNavigationController>(list);
    navigation->setTabBarItem(std::make_shared<plat::TabBarItem>(tabTitle, plat::Image::imageNamed(imageName), 0));
    return navigation;
}

std::shared_ptr<MQMediaQueryViewController> MQMediaPickerController::makeLibraryList(
    int32_t queryType, std::shared_ptr<plat::MediaQuery> query)
{
    auto list = std::make_shared<MQMediaQueryViewController>("MQMediaQueryViewController");
    list->setShowsCancelButton(true);
    list->setDelegate(
        std::static_pointer_cast<MQMediaQueryViewControllerDelegate>(sharedAs<MQMediaPickerController>()));
    list->setAllowsSelectionOfNonPlayableItem(_allowsSelectionOfNonPlayableItem);
    list->setQueryType(queryType);
    list->setMediaQuery(std::move(query));
    return list;
}

void MQMediaPickerController::setupViewControllers()
{
    _allowsSelectionOfNonPlayableItem = false;
    _playlistsViewController = makeLibraryList(MQMediaQueryTypePlaylists, plat::MediaQuery::playlistsQuery());
    _artistsViewController = makeLibraryList(MQMediaQueryTypeArtists, plat::MediaQuery::artistsQuery());
    _albumsViewController = makeLibraryList(MQMediaQueryTypeAlbums, plat::MediaQuery::albumsQuery());
    _songsViewController = makeLibraryList(MQMediaQueryTypeSongs, plat::MediaQuery::songsQuery());
    _libraryTabs = {
        wrapInTab(_albumsViewController, plat::localized("Albums"), "Albums.png"),
        wrapInTab(_playlistsViewController, plat::localized("Playlists"), "Playlists.png"),
        wrapInTab(_artistsViewController, plat::localized("Artists"), "Artists.png"),
        wrapInTab(_songsViewController, plat::localized("Songs"), "Songs.png"),
    };
    _tabBarController = std::make_shared<plat::TabBarController>();
    _tabBarController->setViewControllers(_libraryTabs);
    // The chosen tab's title in the shade of the tint that reads on the bar.
    _tabBarController->tabBar()->setTintColor(appTintForTextOnLightColor());
    _tabBarController->setDelegate(
        std::static_pointer_cast<plat::TabBarControllerDelegate>(sharedAs<MQMediaPickerController>()));
    updateTabBarControllerIndex();
}

void MQMediaPickerController::setSelectedTabIndex(int32_t index)
{
    if (index == _selectedTabIndex)
        return;
    _selectedTabIndex = index;
    updateTabBarControllerIndex();
}

void MQMediaPickerController::updateTabBarControllerIndex()
{
    if (!_tabBarController)
        return;
    int64_t count = static_cast<int64_t>(_tabBarController->viewControllers().size());
    if (_selectedTabIndex < 0 || _selectedTabIndex >= count)
        return;
    if (_tabBarController->selectedIndex() != _selectedTabIndex)
        _tabBarController->setSelectedIndex(_selectedTabIndex);
}

void MQMediaPickerController::tabBarControllerDidSelectViewController(
    plat::TabBarController& tabBar, plat::ViewController&)
{
    if (tabBar.selectedIndex() != plat::kNotFound)
        setSelectedTabIndex(static_cast<int32_t>(tabBar.selectedIndex()));
}

void MQMediaPickerController::mqMediaQueryViewController(MQMediaQueryViewController&,
    const std::shared_ptr<const plat::MediaItemCollection>& mediaItems,
    const std::shared_ptr<const plat::MediaItem>& selectedItem)
{
    auto self = sharedAs<MQMediaPickerController>();  // the delegate may let go of the picker
    if (auto delegate = _delegate.lock())
        delegate->mqMediaPicker(*this, mediaItems, selectedItem);
}

void MQMediaPickerController::mqMediaQueryViewControllerDidCancel(MQMediaQueryViewController&)
{
    auto self = sharedAs<MQMediaPickerController>();
    if (auto delegate = _delegate.lock())
        delegate->mqMediaPickerDidCancel(*this);
}

void MQMediaPickerController::cancelFromButton(plat::BarButtonItem&)
{
    auto self = sharedAs<MQMediaPickerController>();
    if (auto delegate = _delegate.lock())
        delegate->mqMediaPickerDidCancel(*this);
}

void MQMediaPickerController::cleanUp()
{
    for (const auto& list :
        {_playlistsViewController, _artistsViewController, _albumsViewController, _songsViewController}) {
        if (list)
            list->setDelegate({});
    }
}

}  // namespace zt
