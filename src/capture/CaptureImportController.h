#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"

namespace plat {
class Asset;
class Image;
class ViewController;
}  // namespace plat

namespace zt {
class Frame;
class Hudy;
class ProjectModel;

// A file path and a picture; a plain record that nothing fills or reads.
struct ImageItem {
    std::string filePath;
    std::shared_ptr<plat::Image> image;
};

// Photos picked from the photo library become picture frames of the open
// project, inserted at the frame editor's playhead one after another, upright
// and no larger than the largest movie the device renders. Each import runs
// on its own serial queue ("com.quorvane.exportqueue"), which decodes,
// scales and stores the frame files; the frame list and the metadata change
// on the main queue, where each new frame is inserted, the project saved
// and "AddFrameNotification" posted. A picture that does not decode or
// whose files cannot be stored leaves nothing behind and is counted; at the
// end one alert says how many were skipped. Main queue.
class CaptureImportController : public std::enable_shared_from_this<CaptureImportController> {
public:
    static constexpr const char* kAddFrameNotification = "AddFrameNotification";
    static constexpr const char* kImportQueueLabel = "com.quorvane.exportqueue";
    // Imports of more pictures than this show their progress.
    static constexpr size_t kPicturesWithoutDisplay = 3;

    explicit CaptureImportController(std::shared_ptr<ProjectModel> project);  // initWithProject:
    ~CaptureImportController();
    CaptureImportController(const CaptureImportController&) = delete;
    CaptureImportController& operator=(const CaptureImportController&) = delete;

    // Presents the photo picker (multiple selection) from controller and
    // imports what the person picks; cancelling imports nothing.
    void showImagePickerWithController(const std::shared_ptr<plat::ViewController>& controller);
    // The import itself, of assets in the order given, showing progress in
    // screen's view. What the picker's finish runs.
    void importAssets(
        std::vector<std::shared_ptr<plat::Asset>> assets, const std::shared_ptr<plat::ViewController>& screen);

    const std::shared_ptr<ProjectModel>& project() const { return _project; }
    const std::shared_ptr<Hudy>& hud() const { return _hud; }

private:
    struct Run;
    static void importOnQueue(std::shared_ptr<CaptureImportController> self, std::shared_ptr<Run> run);
    // False when the project could not be saved with the frame; then it is taken out again.
    bool insertStoredFrame(Run& run, const Frame& frame);
    void pictureFinished(Run& run);
    static void showSkipped(size_t skipped, size_t picked, const std::optional<plat::Error>& storeError);

    std::shared_ptr<ProjectModel> _project;
    std::shared_ptr<Hudy> _hud;
};

}  // namespace zt
