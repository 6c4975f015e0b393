#pragma once
#include <cstdint>
#include <memory>

#include "platform/foundation/Geometry.h"
#include "platform/media/AssetForward.h"

namespace plat {
class Image;
}  // namespace plat

namespace zt {

// Draws the waveform picture of a sound for the clip editor: one vertical
// line per column, each the average of a run of samples, scaled so the
// loudest column fills the picture's height. A stereo sound gives its left
// and right columns one after the other, so its picture is twice as wide.
// Stateless and synchronous: any thread (the clip editor calls it on a
// background queue).
class AudioWaveformGenerator {
public:
    // The picture of the asset's first sound track at about size.width
    // columns per channel and size.height pixels, or nullptr when there is
    // no sound to draw. At most size.width columns per channel are drawn:
    // a file holding more sound than its header says is drawn from its start.
    std::shared_ptr<plat::Image> renderPNGAudioPictogramForAssett(
        const std::shared_ptr<const plat::Asset>& asset, plat::Size size) const;

    // A picture imageHeight high with one line per value, count pixels wide;
    // with two channels the values alternate left and right, and each column
    // shows a pair: left above, right in red below (so half as wide). Values
    // are scaled by normalizeMax; nullptr for no values or no height.
    std::shared_ptr<plat::Image> audioImageGraph(const int16_t* samples, int16_t normalizeMax, int64_t sampleCount,
        int64_t channelCount, float imageHeight) const;
};

}  // namespace zt
