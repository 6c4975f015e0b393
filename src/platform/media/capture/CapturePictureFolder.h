#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Result.h"
#include "platform/media/capture/CaptureDeviceFolder.h"

struct AVFrame;

namespace plat::detail {

// The pictures of a Pictures camera: the folder's JPEG pictures (or its PNG
// ones when it has no JPEG ones) in name order, decoded one after the other
// round and round, each as what its bytes hold. A picture that cannot be
// read or decoded is passed over and told in the log once; it is tried
// again only once its file changes.
// Errors name the folder as the list of cameras gives it, never its path:
// the person who set the camera up knows it by that name. One thread at a
// time.
class CapturePictureFolder {
public:
    static Result<std::unique_ptr<CapturePictureFolder>> open(const CaptureDeviceDescription& camera);
    ~CapturePictureFolder();
    CapturePictureFolder(const CapturePictureFolder&) = delete;
    CapturePictureFolder& operator=(const CapturePictureFolder&) = delete;

    // "the folder “pics”", for messages.
    const std::string& name() const { return _name; }
    // Decodes the next picture that can be shown into the frame; an error
    // when a whole round over the folder gave none.
    Result<void> decodeNext(AVFrame& frame);

private:
    struct Unusable {
        std::optional<FileAttributes> file;  // as it was when it failed; none when it could not be looked at
        std::string fault;
    };
    struct Decoder;
    CapturePictureFolder(
        std::string folder, std::string name, std::vector<std::string> pictures, std::unique_ptr<Decoder> decoder);
    // Why the picture cannot be shown, or nothing when it is now in the frame.
    std::optional<std::string> decode(const std::string& path, const std::string& picture, AVFrame& frame);

    std::string _folder;
    std::string _name;
    std::vector<std::string> _pictures;
    std::unique_ptr<Decoder> _decoder;
    size_t _next = 0;
    std::map<std::string, Unusable> _unusable;  // by picture name
};

}  // namespace plat::detail
