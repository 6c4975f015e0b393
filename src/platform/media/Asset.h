#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/media/AssetForward.h"
#include "platform/media/AssetTrack.h"
#include "platform/media/MediaTime.h"

namespace plat {
inline namespace av {

// Timed media: a file or a composition, with tracks and a duration.
class Asset {
public:
    virtual ~Asset() = default;
    virtual MediaTime duration() const = 0;
    virtual std::vector<std::shared_ptr<AssetTrack>> tracks() const = 0;
    std::vector<std::shared_ptr<AssetTrack>> tracksWithMediaType(const std::string& mediaType) const;
    std::shared_ptr<AssetTrack> trackWithTrackID(int32_t trackID) const;
};

// A media file's asset. The container is read when the asset is made (the
// platform loads on first use; every caller here asks at once anyway). A file
// that cannot be read is outside input, not a failure of the program: the
// asset then has no tracks, a zero duration and an error. Any thread
// (immutable).
class URLAsset final : public Asset {
public:
    static std::shared_ptr<URLAsset> URLAssetWithURL(const URL& url);
    static std::shared_ptr<URLAsset> assetWithPath(const std::string& path);

    const URL& url() const { return _url; }
    MediaTime duration() const override { return _duration; }
    std::vector<std::shared_ptr<AssetTrack>> tracks() const override { return _tracks; }
    // Why the file gave no tracks.
    const std::optional<Error>& error() const { return _error; }

    explicit URLAsset(URL url);

private:
    void load();

    URL _url;
    MediaTime _duration = MediaTime::zero();
    std::vector<std::shared_ptr<AssetTrack>> _tracks;
    std::optional<Error> _error;
};

}  // namespace av
}  // namespace plat
