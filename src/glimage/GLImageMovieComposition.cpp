#include "glimage/GLImageMovieComposition.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/PixelFormat.h"
#include "platform/media/AssetReader.h"
#include "platform/media/AssetReaderAudioMixOutput.h"
#include "platform/media/AssetReaderVideoCompositionOutput.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MutableComposition.h"
#include "platform/media/VideoComposition.h"

namespace zt {

GLImageMovieComposition::GLImageMovieComposition(Passkey passkey)
    : GLImageMovie(passkey)
{
}

std::shared_ptr<GLImageMovieComposition> GLImageMovieComposition::initWithComposition(
    std::shared_ptr<const plat::MutableComposition> compositon,
    std::shared_ptr<plat::MutableVideoComposition> videoComposition, std::shared_ptr<const plat::AudioMix> audioMix)
{
    auto movie = std::make_shared<GLImageMovieComposition>(Passkey());
    movie->textureCacheSetup();
    movie->_compositon = compositon;
    movie->_videoComposition = std::move(videoComposition);
    movie->_audioMix = std::move(audioMix);
    movie->setAsset(std::move(compositon));
    return movie;
}

std::shared_ptr<plat::AssetReader> GLImageMovieComposition::createAssetReader()
{
    if (!_compositon)
        return nullptr;
    auto made = plat::AssetReader::assetReaderWithAsset(_compositon);
    if (!made.ok()) {
        plat::log("GLImageMovieComposition: no reader: {}", made.error().localizedDescription());
        return nullptr;
    }
    auto assetReader = made.value();
    auto videoTracks = _compositon->tracksWithMediaType(plat::kMediaTypeVideo);
    if (!videoTracks.empty() && _videoComposition) {
        _videoComposition->setRenderScale(1.0f);
        auto output
            = plat::AssetReaderVideoCompositionOutput::assetReaderVideoCompositionOutputWithVideoTracks(videoTracks,
                plat::Dictionary {{plat::kPixelBufferPixelFormatTypeKey,
                    static_cast<int64_t>(plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange)}});
        output->setVideoComposition(_videoComposition);
        if (assetReader->canAddOutput(output))
            assetReader->addOutput(output);
    }
    auto audioTracks = _compositon->tracksWithMediaType(plat::kMediaTypeAudio);
    if (!audioTracks.empty() && audioEncodingTarget()) {
        auto output = plat::AssetReaderAudioMixOutput::assetReaderAudioMixOutputWithAudioTracks(
            audioTracks, audioReadingSettings());
        output->setAudioMix(_audioMix);
        if (assetReader->canAddOutput(output))
            assetReader->addOutput(output);
    }
    return assetReader;
}

}  // namespace zt
