#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/URL.h"
#include "platform/ui/NavigationController.h"

namespace plat {
class Image;
class ImagePickerController;

enum class ImagePickerControllerSourceType : int { PhotoLibrary = 0, Camera = 1, SavedPhotosAlbum = 2 };

// What a pick hands over, as the platform's info dictionary by its keys.
struct ImagePickerMediaInfo {
    std::string mediaType;  // "UIImagePickerControllerMediaType": a picture is kUTTypeImage
    std::shared_ptr<Image> originalImage;  // "UIImagePickerControllerOriginalImage"
    std::shared_ptr<Image> editedImage;  // "UIImagePickerControllerEditedImage", when editing is allowed
    std::optional<Rect> cropRect;  // "UIImagePickerControllerCropRect", in the original's pixels
    std::optional<URL> referenceURL;  // "UIImagePickerControllerReferenceURL": the library's file
};

class ImagePickerControllerDelegate {
public:
    virtual ~ImagePickerControllerDelegate() = default;
    // The picker stays until its presenter dismisses it, as on the platform.
    virtual void imagePickerControllerDidFinishPickingMediaWithInfo(ImagePickerController&, const ImagePickerMediaInfo&)
    {
    }
    // Return true when handled (the delegate dismisses the picker); by
    // default (false) the picker dismisses itself.
    virtual bool imagePickerControllerDidCancel(ImagePickerController&) { return false; }
};

// The platform's image picker: a navigation controller whose screens pick
// one picture from the photo library stand-in (albums, then a grid of an
// album; the saved-photos source goes straight to its grid) or take one
// with the device's camera (the virtual camera's test card). With editing
// allowed a square of the picture is chosen by dragging it under a frame.
// The delegate hears of the pick or the cancel. Main thread.
class ImagePickerController : public NavigationController {
public:
    ImagePickerController();
    ~ImagePickerController() override;

    static bool isSourceTypeAvailable(ImagePickerControllerSourceType sourceType);
    static std::vector<std::string> availableMediaTypesForSourceType(ImagePickerControllerSourceType sourceType);

    ImagePickerControllerSourceType sourceType() const { return _sourceType; }
    // A source that is not available is a programmer error, as on the platform.
    void setSourceType(ImagePickerControllerSourceType sourceType);
    const std::vector<std::string>& mediaTypes() const { return _mediaTypes; }
    void setMediaTypes(std::vector<std::string> types) { _mediaTypes = std::move(types); }
    bool allowsEditing() const { return _allowsEditing; }
    void setAllowsEditing(bool allows) { _allowsEditing = allows; }
    std::weak_ptr<ImagePickerControllerDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<ImagePickerControllerDelegate> delegate) { _delegate = std::move(delegate); }

    void loadView() override;

    // From the picker's screens: a picture was chosen (and maybe edited), or the user gave up.
    void finishPicking(std::shared_ptr<Image> original, std::shared_ptr<Image> edited, std::optional<Rect> cropRect,
        std::optional<URL> referenceURL);
    void cancelPicking();
    // Where a chosen picture goes next: the editing screen, or straight to the delegate.
    void pictureChosen(std::shared_ptr<Image> original, std::optional<URL> referenceURL);

private:
    void showSource();

    ImagePickerControllerSourceType _sourceType = ImagePickerControllerSourceType::PhotoLibrary;
    std::vector<std::string> _mediaTypes;
    bool _allowsEditing = false;
    std::weak_ptr<ImagePickerControllerDelegate> _delegate;
};

}  // namespace plat
