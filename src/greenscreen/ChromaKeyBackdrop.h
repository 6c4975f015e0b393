#pragma once
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/foundation/Value.h"

namespace plat {
class Image;
}

namespace zt {

class GLImageChromaKeyBlendFilter;
class GLImagePicture;
class ProjectModel;

// The picture that takes the key colour's place: a still picture in the
// blend filter's second input, kept in the project as "backdrop.jpg" so
// that the project shows it again next time. Without one the app's default
// picture shows, which is never written into the project. Main thread; the
// picture's GL work runs on the context queue.
class ChromaKeyBackdrop {
public:
    static constexpr const char* kBackdropFileName = "backdrop.jpg";
    static constexpr const char* kDefaultBackdropName = "CaptureSourceImportBg.png";
    // Photos and theme pictures are brought down to this on their longer side.
    static constexpr int32_t kMaxResolution = 1920;
    static constexpr double kJPEGQuality = 1.0;

    explicit ChromaKeyBackdrop(std::shared_ptr<GLImageChromaKeyBlendFilter> filter);
    ~ChromaKeyBackdrop();
    ChromaKeyBackdrop(const ChromaKeyBackdrop&) = delete;
    ChromaKeyBackdrop& operator=(const ChromaKeyBackdrop&) = delete;

    // The project's "backdrop.jpg" when it decodes, else the default picture.
    static std::shared_ptr<plat::Image> savedPicture(const ProjectModel* project);
    static std::shared_ptr<plat::Image> defaultPicture();
    // Upright, at most kMaxResolution on the longer side.
    static std::shared_ptr<plat::Image> preparedPicture(const plat::Image& picture);
    // The entry "Last Frame" takes: the one before the capture placeholder,
    // or the last entry when the placeholder comes first; none with fewer
    // than two entries or without a placeholder.
    static std::optional<int64_t> lastFrameIndex(int64_t count, int64_t captureIndex);
    // The picture as the project keeps it (JPEG at quality 1.0).
    static std::optional<plat::Data> encodedPicture(const plat::Image& picture);
    // Replaces the project's backdrop file; false (logged) when it cannot.
    static bool storePicture(const plat::Data& encoded, ProjectModel& project);

    // Shows the picture: the previous one leaves the filter, the new one
    // (smoothly scaled) is processed once and takes the second input.
    void showPicture(const plat::Image& picture);
    // Shows the picture, then stores it in the project. A failed write is
    // only logged: the new backdrop shows all the same.
    void swapPicture(const plat::Image& picture, ProjectModel* project);
    // Takes the picture out of the filter.
    void detach();

    const std::shared_ptr<GLImagePicture>& sourcePicture() const { return _sourcePicture; }

private:
    std::shared_ptr<GLImageChromaKeyBlendFilter> _filter;
    std::shared_ptr<GLImagePicture> _sourcePicture;
};

}  // namespace zt
