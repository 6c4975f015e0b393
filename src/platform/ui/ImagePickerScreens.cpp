#include "platform/ui/ImagePickerScreens.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/CollectionViewFlowLayout.h"
#include "platform/ui/ImagePickerController.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/ScrollView.h"

namespace plat::detail {

namespace {

constexpr int kPosterPixels = 110;
constexpr int kThumbnailPixels = 150;
constexpr double kTileSize = 75;
constexpr double kTileSpacing = 4;
constexpr double kEditMargin = 20;
// The virtual camera's picture.
constexpr int kCameraWidth = 1920;
constexpr int kCameraHeight = 1080;

std::shared_ptr<ImagePickerController> pickerOf(ViewController& screen)
{
    return std::dynamic_pointer_cast<ImagePickerController>(screen.navigationController());
}

std::shared_ptr<BarButtonItem> cancelItem()
{
    return std::make_shared<BarButtonItem>(BarButtonSystemItem::Cancel);
}

// A picture of the grid; drivers find it by the file's name.
class ThumbnailCell : public CollectionViewCell {
public:
    ThumbnailCell()
    {
        _picture->setContentMode(ContentMode::ScaleAspectFill);
        _picture->setClipsToBounds(true);
        contentView()->addSubview(_picture);
    }
    void show(std::shared_ptr<const Image> picture, std::string name)
    {
        _picture->setImage(std::move(picture));
        _name = std::move(name);
    }
    void layoutSubviews() override
    {
        CollectionViewCell::layoutSubviews();
        _picture->setFrame(contentView()->bounds());
    }
    std::string accessibilityLabel() const override { return _name; }

private:
    std::shared_ptr<ImageView> _picture = std::make_shared<ImageView>();
    std::string _name;
};

std::shared_ptr<Button> makeButton(const std::string& title)
{
    auto button = Button::buttonWithType(ButtonType::System);
    button->setTitle(title, ControlStateNormal);
    button->setTitleColor(Color::whiteColor(), ControlStateNormal);
    button->titleLabel()->setFont(Font::systemFontOfSize(18));
    button->setFrame(makeRect(0, 0, 120, 44));
    return button;
}

}  // namespace

// Albums

PickerAlbumList::PickerAlbumList()
    : TableViewController(TableViewStyle::Plain)
{
    setTitle("Photos");
}

void PickerAlbumList::viewDidLoad()
{
    TableViewController::viewDidLoad();
    auto cancel = cancelItem();
    cancel->setTarget(this, &PickerAlbumList::cancelTapped);
    navigationItem()->setRightBarButtonItem(cancel);
    auto library = PhotoLibrary::forCurrentSandbox();
    if (library.accessError()) {
        showNoAccess();
        return;
    }
    auto albums = library.albums();
    if (!albums.ok()) {
        log("image picker: the photo library cannot be read: {}", albums.error().localizedDescription());
        return;
    }
    _albums = std::move(albums.value());
}

// What the platform shows in place of the albums while access is refused.
void PickerAlbumList::showNoAccess()
{
    auto notice = std::make_shared<View>(tableView()->bounds());
    auto addLine = [&](const std::string& text, double top, double size) {
        auto line = std::make_shared<Label>(makeRect(20, top, notice->bounds().width() - 40, 60));
        line->setText(text);
        line->setFont(Font::systemFontOfSize(size));
        line->setTextColor(Color::grayColor());
        line->setTextAlignment(TextAlignment::Center);
        line->setNumberOfLines(0);
        line->setAutoresizingMask(ViewAutoresizingFlexibleWidth);
        notice->addSubview(line);
    };
    addLine("This app does not have access to your photos or videos.", 60, 17);
    addLine("You can enable access in Privacy Settings.", 120, 14);
    tableView()->setBackgroundView(notice);
    tableView()->setSeparatorStyle(TableViewCellSeparatorStyle::None);
}

int64_t PickerAlbumList::tableViewNumberOfRowsInSection(TableView&, int64_t)
{
    return static_cast<int64_t>(_albums.size());
}

std::shared_ptr<TableViewCell> PickerAlbumList::tableViewCellForRowAtIndexPath(TableView& tableView, IndexPath path)
{
    auto cell = tableView.dequeueReusableCellWithIdentifier("Album");
    if (!cell)
        cell = std::make_shared<TableViewCell>(TableViewCellStyle::Subtitle, "Album");
    const PhotoAlbum& album = _albums[static_cast<size_t>(path.row)];
    cell->textLabel()->setText(album.name);
    cell->detailTextLabel()->setText(std::to_string(album.numberOfPhotos));
    cell->setAccessoryType(TableViewCellAccessoryType::DisclosureIndicator);
    cell->imageView()->setImage(PhotoLibrary::forCurrentSandbox().posterImage(album, kPosterPixels));
    return cell;
}

void PickerAlbumList::tableViewDidSelectRowAtIndexPath(TableView&, IndexPath path)
{
    const PhotoAlbum& album = _albums[static_cast<size_t>(path.row)];
    if (auto navigation = navigationController())
        navigation->pushViewController(std::make_shared<PickerAssetGrid>(album.folder, album.name), true);
}

void PickerAlbumList::cancelTapped()
{
    if (auto picker = pickerOf(*this))
        picker->cancelPicking();
}

// The grid of an album

PickerAssetGrid::PickerAssetGrid(std::string albumFolder, std::string albumName)
    : _albumFolder(std::move(albumFolder))
{
    setTitle(std::move(albumName));
}

void PickerAssetGrid::loadView()
{
    auto layout = std::make_shared<CollectionViewFlowLayout>();
    layout->setItemSize({kTileSize, kTileSize});
    layout->setMinimumInteritemSpacing(kTileSpacing);
    layout->setMinimumLineSpacing(kTileSpacing);
    layout->setSectionInset({kTileSpacing, kTileSpacing, kTileSpacing, kTileSpacing});
    _grid = std::make_shared<CollectionView>(makeRect(0, 0, 320, 480), layout);
    _grid->setBackgroundColor(Color::whiteColor());
    _grid->setAlwaysBounceVertical(true);
    _grid->registerClassForCellWithReuseIdentifier<ThumbnailCell>("Photo");
    setView(_grid);
}

void PickerAssetGrid::viewDidLoad()
{
    auto cancel = cancelItem();
    cancel->setTarget(this, &PickerAssetGrid::cancelTapped);
    navigationItem()->setRightBarButtonItem(cancel);
    auto assets = PhotoLibrary::forCurrentSandbox().assetsInAlbum(_albumFolder);
    if (!assets.ok())
        log("image picker: the album {} cannot be read: {}", _albumFolder, assets.error().localizedDescription());
    else
        for (auto& asset : assets.value())
            if (asset.type == AssetType::Photo)
                _assets.push_back(std::move(asset));
    auto self = std::static_pointer_cast<PickerAssetGrid>(shared_from_this());
    _grid->setDataSource(std::static_pointer_cast<CollectionViewDataSource>(self));
    _grid->setDelegate(std::static_pointer_cast<CollectionViewDelegate>(self));
}

int64_t PickerAssetGrid::collectionViewNumberOfItemsInSection(CollectionView&, int64_t)
{
    return static_cast<int64_t>(_assets.size());
}

std::shared_ptr<CollectionViewCell> PickerAssetGrid::collectionViewCellForItemAtIndexPath(
    CollectionView& view, IndexPath path)
{
    auto cell = std::static_pointer_cast<ThumbnailCell>(view.dequeueReusableCellWithReuseIdentifier("Photo", path));
    const PhotoAsset& asset = _assets[static_cast<size_t>(path.row)];
    auto& thumbnail = _thumbnails[asset.path];
    if (!thumbnail)
        thumbnail = PhotoLibrary::thumbnail(asset, kThumbnailPixels);
    cell->show(thumbnail, asset.fileName);
    return cell;
}

void PickerAssetGrid::collectionViewDidSelectItemAtIndexPath(CollectionView&, IndexPath path)
{
    const PhotoAsset& asset = _assets[static_cast<size_t>(path.row)];
    auto picture = PhotoLibrary::fullResolutionImage(asset);
    if (!picture) {
        log("image picker: {} does not decode", asset.path);
        return;
    }
    if (auto picker = pickerOf(*this))
        picker->pictureChosen(picture, URL::fileURLWithPath(asset.path));
}

void PickerAssetGrid::cancelTapped()
{
    if (auto picker = pickerOf(*this))
        picker->cancelPicking();
}

// Editing

PickerEditScreen::PickerEditScreen(std::shared_ptr<Image> picture, std::optional<URL> referenceURL)
    : _picture(std::move(picture))
    , _referenceURL(std::move(referenceURL))
{
    setTitle("Move and Scale");
}

void PickerEditScreen::loadView()
{
    auto root = std::make_shared<View>(makeRect(0, 0, 320, 480));
    root->setBackgroundColor(Color::blackColor());
    _scroll = std::make_shared<ScrollView>();
    _scroll->setClipsToBounds(false);
    _scroll->setAlwaysBounceVertical(true);
    _scroll->setAlwaysBounceHorizontal(true);
    _imageView = std::make_shared<ImageView>(_picture);
    _scroll->addSubview(_imageView);
    root->addSubview(_scroll);
    _frame = std::make_shared<View>();
    _frame->setUserInteractionEnabled(false);
    _frame->layer()->setBorderWidth(1);
    _frame->layer()->setBorderColor(Color::whiteColor());
    root->addSubview(_frame);
    auto cancel = makeButton("Cancel");
    cancel->setAccessibilityIdentifier("edit cancel");
    cancel->addTarget(this, &PickerEditScreen::cancel, ControlEventTouchUpInside);
    auto choose = makeButton("Choose");
    choose->addTarget(this, &PickerEditScreen::choose, ControlEventTouchUpInside);
    root->addSubview(cancel);
    root->addSubview(choose);
    _cancelButton = cancel;
    _chooseButton = choose;
    setView(root);
}

void PickerEditScreen::viewDidLayoutSubviews()
{
    Rect b = view()->bounds();
    double side = std::max(1.0, std::min(b.width(), b.height()) - 2 * kEditMargin - 44);
    Rect square = makeRect(std::round(b.midX() - side / 2), kEditMargin, side, side);
    _frame->setFrame(square);
    // The scroll view is the square; the picture fills it and moves inside.
    Size size = _picture->size();
    _fittedScale = std::max(side / size.width, side / size.height) / _picture->scale();
    Size shown {size.width * _picture->scale() * _fittedScale, size.height * _picture->scale() * _fittedScale};
    bool first = _scroll->frame() != square;
    _scroll->setFrame(square);
    _imageView->setFrame(makeRect(0, 0, shown.width, shown.height));
    _scroll->setContentSize(shown);
    if (first)
        _scroll->setContentOffset({(shown.width - side) / 2, (shown.height - side) / 2});
    double y = b.maxY() - 54;
    _cancelButton->setFrame(makeRect(kEditMargin, y, 120, 44));
    _chooseButton->setFrame(makeRect(b.maxX() - kEditMargin - 120, y, 120, 44));
}

Rect PickerEditScreen::cropRect()
{
    view()->layoutIfNeeded();
    Point offset = _scroll->contentOffset();
    double side = _scroll->bounds().width();
    double scale = _fittedScale > 0 ? _fittedScale : 1;
    return makeRect(
        std::round(offset.x / scale), std::round(offset.y / scale), std::round(side / scale), std::round(side / scale));
}

void PickerEditScreen::choose()
{
    Rect crop = cropRect();
    int width = std::max(1, static_cast<int>(crop.width()));
    int height = std::max(1, static_cast<int>(crop.height()));
    auto context = GraphicsContext::bitmapContext(width, height, 1, ContextOpacity::Opaque);
    Size pixels {_picture->size().width * _picture->scale(), _picture->size().height * _picture->scale()};
    context->drawImage(*_picture, makeRect(-crop.minX(), -crop.minY(), pixels.width, pixels.height));
    auto edited = context->takeImage();
    if (auto picker = pickerOf(*this))
        picker->finishPicking(_picture, edited, crop, _referenceURL);
}

void PickerEditScreen::cancel()
{
    if (auto navigation = navigationController()) {
        if (navigation->viewControllers().size() > 1)
            navigation->popViewControllerAnimated(true);
        else if (auto picker = pickerOf(*this))
            picker->cancelPicking();
    }
}

// Camera

PickerCameraScreen::PickerCameraScreen()
{
    setTitle("Camera");
}

std::shared_ptr<Image> PickerCameraScreen::capturePicture()
{
    // Seven bars of the classic test card over a grey ramp.
    static const uint8_t bars[7][3]
        = {{192, 192, 192}, {192, 192, 0}, {0, 192, 192}, {0, 192, 0}, {192, 0, 192}, {192, 0, 0}, {0, 0, 192}};
    auto bitmap = Bitmap::allocate(kCameraWidth, kCameraHeight, PixelOrder::BGRA);
    for (int y = 0; y < kCameraHeight; ++y) {
        uint8_t* row = bitmap->mutableRow(y);
        bool ramp = y >= kCameraHeight * 3 / 4;
        for (int x = 0; x < kCameraWidth; ++x) {
            uint8_t* p = row + static_cast<size_t>(x) * 4;
            if (ramp) {
                auto grey = static_cast<uint8_t>(x * 255 / (kCameraWidth - 1));
                p[0] = p[1] = p[2] = grey;
            } else {
                const uint8_t* bar = bars[x * 7 / kCameraWidth];
                p[0] = bar[2];
                p[1] = bar[1];
                p[2] = bar[0];
            }
            p[3] = 255;
        }
    }
    bitmap->setOpaque(true);
    return Image::imageWithBitmap(bitmap, 1);
}

void PickerCameraScreen::loadView()
{
    auto root = std::make_shared<View>(makeRect(0, 0, 320, 480));
    root->setBackgroundColor(Color::blackColor());
    _preview = std::make_shared<ImageView>();
    _preview->setContentMode(ContentMode::ScaleAspectFit);
    _preview->setImage(capturePicture());
    root->addSubview(_preview);
    setView(root);
    showButtons();
}

void PickerCameraScreen::showButtons()
{
    for (const auto& button : _buttons)
        button->removeFromSuperview();
    _buttons.clear();
    auto add = [&](const std::string& title, void (PickerCameraScreen::*action)()) {
        auto button = makeButton(title);
        button->addTarget(this, action, ControlEventTouchUpInside);
        view()->addSubview(button);
        _buttons.push_back(button);
    };
    if (_taken) {
        add("Retake", &PickerCameraScreen::retake);
        add("Use Photo", &PickerCameraScreen::usePhoto);
    } else {
        add("Cancel", &PickerCameraScreen::cancel);
        add("Take Photo", &PickerCameraScreen::takePhoto);
    }
    view()->setNeedsLayout();
}

void PickerCameraScreen::viewWillLayoutSubviews()
{
    Rect b = view()->bounds();
    _preview->setFrame(makeRect(0, 0, b.width(), b.height() - 64));
    for (size_t i = 0; i < _buttons.size(); ++i) {
        double x = i == 0 ? kEditMargin : b.maxX() - kEditMargin - 120;
        _buttons[i]->setFrame(makeRect(x, b.maxY() - 54, 120, 44));
    }
}

void PickerCameraScreen::takePhoto()
{
    _taken = capturePicture();
    _preview->setImage(_taken);
    showButtons();
}

void PickerCameraScreen::retake()
{
    _taken.reset();
    _preview->setImage(capturePicture());
    showButtons();
}

void PickerCameraScreen::usePhoto()
{
    if (!_taken)
        return;
    if (auto picker = pickerOf(*this))
        picker->pictureChosen(_taken, std::nullopt);
}

void PickerCameraScreen::cancel()
{
    if (auto picker = pickerOf(*this))
        picker->cancelPicking();
}

}  // namespace plat::detail
