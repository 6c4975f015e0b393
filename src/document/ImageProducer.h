#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/Geometry.h"

namespace plat {
class Image;
}

namespace zt {
class ProjectModel;
class UIImageFilter;

// Size codes of a frame's three pictures.
inline constexpr int kFrameImageSizeFull = 100;  // "frame-ID.jpg", as stored
inline constexpr int kFrameImageSizePreview = 200;  // "preview-ID.jpg", 796 x 448
inline constexpr int kFrameImageSizeThumbnail = 300;  // "thumb-ID.jpg", 272 x 153

inline constexpr plat::Size kFramePreviewSize {796, 448};
inline constexpr plat::Size kFrameThumbnailSize {272, 153};

// The pictures of a project's frames: writes the full picture, preview and
// thumbnail of a new frame, makes preview and thumbnail again after an edit,
// reads them back by list index with the project's colour effect, and holds
// the still-picture operations of the movie look (fades, the cinema mask,
// blending and merging). Runs on the queue of its project handle: the main
// queue, or the photo import's queue while it imports.
class ImageProducer {
public:
    explicit ImageProducer(std::shared_ptr<ProjectModel> project);  // initWithProject:
    virtual ~ImageProducer();
    ImageProducer(const ImageProducer&) = delete;
    ImageProducer& operator=(const ImageProducer&) = delete;

    // Thumbnail, then preview, then the full picture, each written only when
    // the one before was; false as soon as one fails. The first write into a
    // project without a folder makes the folder. error (when given) says why.
    bool storeImage(const plat::Image& image, const std::string& frameID, std::optional<plat::Error>* error = nullptr);
    // Aspect-fill scaled and cropped to size, JPEG quality 0.5, written as fileName.
    bool storeThumbImage(const plat::Image& image, plat::Size size, const std::string& fileName);
    // Makes thumbnail and preview again from the frame's full picture (after
    // a merge, a crop or painting); failures are only logged.
    void createThumbNailAndPreviewForFrameAtIndex(int64_t index);

    // Whether the full picture of the frame at index, the one exports are
    // made of, can be read; the project remembers the answer while the file
    // stays as it is. False for the capture placeholder, which has none.
    bool canReadFramePictureAtIndex(int64_t index);
    // The thumbnail or preview (size code) of the frame at index as the strip
    // and the editor show it, with the colour effect: nullptr when the full
    // picture cannot be read, for no export can show the frame; a small
    // picture that is damaged or missing is made again from the full one and
    // written back. The capture placeholder's as getImageForFrameAtIndex gives them.
    std::shared_ptr<plat::Image> getShownImageForFrameAtIndex(int64_t index, int sizeCode);

    // The picture of a size code with the colour effect; the capture
    // placeholder's thumbnail is the camera picture of the app. nullptr for
    // an index outside the list, another size code or a missing file.
    std::shared_ptr<plat::Image> getImageForFrameAtIndex(int64_t index, int sizeCode);
    std::shared_ptr<plat::Image> getImageForFrameAtIndex(int64_t index);
    std::shared_ptr<plat::Image> getPreviewImageForFrameAtIndex(int64_t index);
    std::shared_ptr<plat::Image> getThumbnailImageForFrameAtIndex(int64_t index);
    std::shared_ptr<plat::Image> getImageForFrameWithFrameID(const std::string& frameID);
    // The full picture as stored, without the colour effect (for the painter).
    std::shared_ptr<plat::Image> getOriginialImageForFrameAtIndex(int64_t index);

    // The picture with the project's colour effect ("RecordMovieFilter");
    // effect 0 gives the picture itself.
    std::shared_ptr<plat::Image> applyMovieEffect(const std::shared_ptr<plat::Image>& image);

    // How much black covers the frame at index, 0 to 1, from the fade-in and
    // fade-out switches of the look.
    float calculateAlphaForFadeforFrameAtIndex(int64_t index);
    // The picture over black at the opacity the fade leaves; the picture
    // itself where there is no fade. nullptr stays nullptr.
    std::shared_ptr<plat::Image> applyFade(const std::shared_ptr<plat::Image>& image, int64_t index);
    // Black bars at the top and bottom so that the open area has the width
    // to height ratio given.
    std::shared_ptr<plat::Image> applyMask(const std::shared_ptr<plat::Image>& image, float ratio);
    // top stretched over base, at base's size.
    std::shared_ptr<plat::Image> blendUIImage(
        const std::shared_ptr<plat::Image>& top, const std::shared_ptr<plat::Image>& base);
    // first, with second at opacity 0.2 and third at 0.1 over it; a missing
    // second or third draws nothing.
    std::shared_ptr<plat::Image> mergeImage(const std::shared_ptr<plat::Image>& first,
        const std::shared_ptr<plat::Image>& second, const std::shared_ptr<plat::Image>& third);

protected:
    ProjectModel& project() { return *_project; }

private:
    std::shared_ptr<plat::Image> readFrameImage(const std::string& fileName);
    // The full picture scaled and cropped to size, written as fileName; a
    // failed write is only logged. nullptr when it cannot be scaled.
    std::shared_ptr<plat::Image> remakeSmallPicture(
        const plat::Image& full, plat::Size size, const std::string& fileName);

    std::shared_ptr<ProjectModel> _project;
    // The filter is made once per effect number and reused while it stays.
    int64_t _filterEffect = 0;
    std::shared_ptr<UIImageFilter> _filter;
};

}  // namespace zt
