#pragma once
#include <cstdint>
#include <map>
#include <memory>

#include "platform/foundation/Geometry.h"

namespace plat {
class Image;
class ImageView;
class View;
}  // namespace plat

namespace zt {
class AudioClip;
class FrameList;
class ImageProducer;

namespace detail {

// Tags of the parts of a strip item, by which a reused item is refilled.
enum StripItemTag : int64_t {
    kThumbnailTag = 0,
    kSelectionTag = 1,
    kHoldMarkerTag = 3,
    kLaneBarTag = 10,
    kLanesTag = 88,
    kLaneLabelTag = 100,
    kFirstLaneTag = 101,  // lanes of tracks 0, 1 and 2 are 101, 102 and 103
};

// Sizes of a strip item on a phone or a tablet, in points.
struct StripItemGeometry {
    double itemWidth;  // W: the carousel's item width, also the width of a lane and a middle hold bar
    plat::Rect container;
    plat::Rect thumbnail;
    plat::Rect lanes;
    double laneOffset;  // lanes start this far down their container
    double holdLabelX;
    double shortClipLabelWidth;
    double shortClipBarWidth;
    double startingClipBarWidth;
    double endingClipBarWidth;

    static StripItemGeometry forDevice();
};

enum class HoldPosition { None, Start, Middle, End };
// Where the entry stands in its run of equal FRAME_IDs.
HoldPosition holdPositionAtIndex(const FrameList& list, int64_t index);

// What a tile of the strip or the timeline shows for the frame at index:
// its thumbnail (made again when only it is damaged), or (for a frame whose
// picture cannot be read, so that no export can show it) a cracked picture,
// not to be taken for an empty slot, and a label saying so.
struct FrameTile {
    std::shared_ptr<plat::Image> picture;
    bool isUnreadable = false;
};
FrameTile frameTileAtIndex(ImageProducer& producer, int64_t index);
// Shows the tile in the view, its label included.
void showFrameTile(plat::ImageView& view, const FrameTile& tile);

std::shared_ptr<plat::View> makeItemContainer(const StripItemGeometry& geometry);
std::shared_ptr<plat::ImageView> makeThumbnailView(const StripItemGeometry& geometry);
std::shared_ptr<plat::View> makeSelectionOverlay(const StripItemGeometry& geometry);
// The bar (with the hold count at the start of a run), or nullptr outside a hold.
std::shared_ptr<plat::View> makeHoldMarker(const FrameList& list, int64_t index, const StripItemGeometry& geometry);
// Three hidden lanes, tagged 101 to 103, each with a bar (10) and a name label (100).
std::shared_ptr<plat::View> makeAudioLanes(const StripItemGeometry& geometry);
// Shows the lanes of the tracks with a clip sounding at index, coloured by
// the clip's kind, with the name where the clip starts.
void fillAudioLanes(plat::View& lanes, const std::map<int64_t, std::shared_ptr<AudioClip>>& clips, int64_t index,
    const StripItemGeometry& geometry);

}  // namespace detail
}  // namespace zt
