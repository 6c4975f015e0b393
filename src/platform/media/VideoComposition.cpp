#include "platform/media/VideoComposition.h"

#include <algorithm>

#include "platform/media/Asset.h"
#include "platform/media/MediaConstants.h"

namespace plat {

namespace {

constexpr int32_t kMovieTimescale = 600;

}  // namespace

std::shared_ptr<VideoCompositionLayerInstruction>
VideoCompositionLayerInstruction::videoCompositionLayerInstructionWithAssetTrack(int32_t trackID)
{
    auto layer = std::make_shared<VideoCompositionLayerInstruction>();
    layer->setTrackID(trackID);
    return layer;
}

void VideoCompositionLayerInstruction::setOpacity(float opacity, const MediaTime& time)
{
    if (!time.isNumeric())
        return;
    OpacityPoint point {time, std::clamp(opacity, 0.0f, 1.0f)};
    auto at = std::upper_bound(_points.begin(), _points.end(), point,
        [](const OpacityPoint& a, const OpacityPoint& b) { return a.time < b.time; });
    _points.insert(at, point);
}

float VideoCompositionLayerInstruction::opacityAtTime(const MediaTime& time) const
{
    float opacity = 1;
    for (const OpacityPoint& point : _points) {
        if (point.time > time)
            break;
        opacity = point.opacity;
    }
    return opacity;
}

std::shared_ptr<MutableVideoComposition> MutableVideoComposition::videoCompositionWithPropertiesOfAsset(
    const Asset& asset)
{
    auto composition = videoComposition();
    auto tracks = asset.tracksWithMediaType(kMediaTypeVideo);
    if (tracks.empty())
        return composition;
    composition->setRenderSize(tracks.front()->naturalSize());
    MediaTime shortest = tracks.front()->minFrameDuration();
    if (shortest.isNumeric() && shortest > MediaTime::zero())
        composition->setFrameDuration(shortest);
    else if (tracks.front()->nominalFrameRate() > 0)
        composition->setFrameDuration(
            MediaTime::makeWithSeconds(1.0 / tracks.front()->nominalFrameRate(), kMovieTimescale));
    auto instruction = VideoCompositionInstruction::videoCompositionInstruction();
    instruction->setTimeRange(MediaTimeRange::make(MediaTime::zero(), asset.duration()));
    std::vector<std::shared_ptr<VideoCompositionLayerInstruction>> layers;
    for (const auto& track : tracks)
        layers.push_back(
            VideoCompositionLayerInstruction::videoCompositionLayerInstructionWithAssetTrack(track->trackID()));
    instruction->setLayerInstructions(std::move(layers));
    composition->setInstructions({instruction});
    return composition;
}

std::shared_ptr<const VideoCompositionInstruction> MutableVideoComposition::instructionAtTime(
    const MediaTime& time) const
{
    for (const auto& instruction : _instructions) {
        if (instruction->timeRange().containsTime(time))
            return instruction;
    }
    return nullptr;
}

}  // namespace plat
