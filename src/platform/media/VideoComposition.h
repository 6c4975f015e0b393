#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/media/AssetForward.h"
#include "platform/media/MediaTime.h"

namespace plat {

// How one video track shows within an instruction: its opacity over time
// (each setting holds from its time on; before the first it is 1).
class VideoCompositionLayerInstruction {
public:
    static std::shared_ptr<VideoCompositionLayerInstruction> videoCompositionLayerInstructionWithAssetTrack(
        int32_t trackID);

    int32_t trackID() const { return _trackID; }
    void setTrackID(int32_t trackID) { _trackID = trackID; }
    void setOpacity(float opacity, const MediaTime& time);
    // The opacity in force at time, 0 to 1.
    float opacityAtTime(const MediaTime& time) const;

private:
    struct OpacityPoint {
        MediaTime time;
        float opacity = 1;
    };
    int32_t _trackID = 0;
    std::vector<OpacityPoint> _points;  // in time order
};

// What shows during a stretch of the composition's time: its layers, the
// first on top.
class VideoCompositionInstruction {
public:
    static std::shared_ptr<VideoCompositionInstruction> videoCompositionInstruction()
    {
        return std::make_shared<VideoCompositionInstruction>();
    }
    MediaTimeRange timeRange() const { return _timeRange; }
    void setTimeRange(const MediaTimeRange& timeRange) { _timeRange = timeRange; }
    const std::vector<std::shared_ptr<VideoCompositionLayerInstruction>>& layerInstructions() const
    {
        return _layerInstructions;
    }
    void setLayerInstructions(std::vector<std::shared_ptr<VideoCompositionLayerInstruction>> layers)
    {
        _layerInstructions = std::move(layers);
    }

private:
    MediaTimeRange _timeRange;
    std::vector<std::shared_ptr<VideoCompositionLayerInstruction>> _layerInstructions;
};

// How the video tracks of a composition are put together into pictures:
// one picture every frame duration, of the render size times the render
// scale, made from the instruction in force at its time. Each layer's
// picture is drawn from the top-left corner at its own size, over black.
// Built on one queue, then read on any.
class MutableVideoComposition {
public:
    static std::shared_ptr<MutableVideoComposition> videoComposition()
    {
        return std::make_shared<MutableVideoComposition>();
    }
    // One instruction over the whole asset with a layer for each video track
    // (the first on top), at the first track's size and shortest picture length.
    static std::shared_ptr<MutableVideoComposition> videoCompositionWithPropertiesOfAsset(const Asset& asset);

    MediaTime frameDuration() const { return _frameDuration; }
    void setFrameDuration(const MediaTime& frameDuration) { _frameDuration = frameDuration; }
    Size renderSize() const { return _renderSize; }
    void setRenderSize(Size renderSize) { _renderSize = renderSize; }
    float renderScale() const { return _renderScale; }
    void setRenderScale(float renderScale) { _renderScale = renderScale; }
    const std::vector<std::shared_ptr<VideoCompositionInstruction>>& instructions() const { return _instructions; }
    void setInstructions(std::vector<std::shared_ptr<VideoCompositionInstruction>> instructions)
    {
        _instructions = std::move(instructions);
    }

    // The instruction whose time range holds time; none where nothing shows.
    std::shared_ptr<const VideoCompositionInstruction> instructionAtTime(const MediaTime& time) const;

private:
    MediaTime _frameDuration = MediaTime::make(1, 30);
    Size _renderSize;
    float _renderScale = 1;
    std::vector<std::shared_ptr<VideoCompositionInstruction>> _instructions;
};

// The platform names the read-only kind too; here the one class serves both.
using VideoComposition = MutableVideoComposition;

}  // namespace plat
