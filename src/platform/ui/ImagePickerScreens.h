#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/library/PhotoLibrary.h"
#include "platform/ui/CollectionView.h"
#include "platform/ui/TableViewController.h"

namespace plat {
class Image;
class ImagePickerController;
class ImageView;
class ScrollView;
}  // namespace plat

namespace plat::detail {

// The image picker's screens. Each reaches its picker through the
// navigation controller it sits in. Main thread.

// The library's albums, each with its number of photos and its newest as
// poster; while access is refused, a notice in their place.
class PickerAlbumList : public TableViewController {
public:
    PickerAlbumList();
    void viewDidLoad() override;
    int64_t tableViewNumberOfRowsInSection(TableView&, int64_t) override;
    std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView& tableView, IndexPath path) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(TableView&, IndexPath) override { return 57; }
    void tableViewDidSelectRowAtIndexPath(TableView&, IndexPath path) override;

private:
    void cancelTapped();
    void showNoAccess();
    std::vector<PhotoAlbum> _albums;
};

// The photos of one album in a grid of thumbnails, oldest first; a tap chooses one.
class PickerAssetGrid : public ViewController, public CollectionViewDataSource, public CollectionViewDelegate {
public:
    PickerAssetGrid(std::string albumFolder, std::string albumName);
    void loadView() override;
    void viewDidLoad() override;
    int64_t collectionViewNumberOfItemsInSection(CollectionView&, int64_t) override;
    std::shared_ptr<CollectionViewCell> collectionViewCellForItemAtIndexPath(CollectionView&, IndexPath path) override;
    void collectionViewDidSelectItemAtIndexPath(CollectionView&, IndexPath path) override;

private:
    void cancelTapped();
    std::string _albumFolder;
    std::vector<PhotoAsset> _assets;
    std::map<std::string, std::shared_ptr<Image>> _thumbnails;
    std::shared_ptr<CollectionView> _grid;
};

// Choosing a square of a picture: the picture is dragged under a square frame.
class PickerEditScreen : public ViewController {
public:
    PickerEditScreen(std::shared_ptr<Image> picture, std::optional<URL> referenceURL);
    void loadView() override;
    void viewDidLayoutSubviews() override;
    // The square of the picture in the frame, in the picture's pixels.
    Rect cropRect();
    // What the screen's buttons do.
    void choose();
    void cancel();

private:
    std::shared_ptr<Image> _picture;
    std::optional<URL> _referenceURL;
    std::shared_ptr<ScrollView> _scroll;
    std::shared_ptr<ImageView> _imageView;
    std::shared_ptr<View> _frame;
    std::shared_ptr<View> _cancelButton;
    std::shared_ptr<View> _chooseButton;
    double _fittedScale = 1;  // points of the screen per pixel of the picture
};

// The camera: its picture, a shutter, then the choice of using or retaking the photo.
class PickerCameraScreen : public ViewController {
public:
    PickerCameraScreen();
    void loadView() override;
    void viewWillLayoutSubviews() override;
    // What the screen's buttons do.
    void takePhoto();
    void retake();
    void usePhoto();
    void cancel();
    // The virtual camera's picture: a test card of colour bars.
    static std::shared_ptr<Image> capturePicture();

private:
    void showButtons();
    std::shared_ptr<ImageView> _preview;
    std::shared_ptr<Image> _taken;
    std::vector<std::shared_ptr<View>> _buttons;
};

}  // namespace plat::detail
