#pragma once
#include <memory>

#include "glimage/GLImageMovie.h"

namespace plat {
class AudioMix;
class MutableComposition;
class MutableVideoComposition;
}  // namespace plat

namespace zt {

// An edited composition as a frame source: its video tracks put together by
// a video composition, its sound mixed by an audio mix. Read as the movie
// reader reads an asset.
class GLImageMovieComposition : public GLImageMovie {
public:
    static std::shared_ptr<GLImageMovieComposition> initWithComposition(
        std::shared_ptr<const plat::MutableComposition> compositon,
        std::shared_ptr<plat::MutableVideoComposition> videoComposition,
        std::shared_ptr<const plat::AudioMix> audioMix);

    // The spelling is the composition's own, kept for those who look it up.
    const std::shared_ptr<const plat::MutableComposition>& compositon() const { return _compositon; }
    const std::shared_ptr<plat::MutableVideoComposition>& videoComposition() const { return _videoComposition; }
    const std::shared_ptr<const plat::AudioMix>& audioMix() const { return _audioMix; }

    std::shared_ptr<plat::AssetReader> createAssetReader() override;

    explicit GLImageMovieComposition(Passkey passkey);

private:
    std::shared_ptr<const plat::MutableComposition> _compositon;
    std::shared_ptr<plat::MutableVideoComposition> _videoComposition;
    std::shared_ptr<const plat::AudioMix> _audioMix;
};

}  // namespace zt
