#pragma once
#include <cstdint>
#include <memory>

#include "document/ImageProducer.h"
#include "platform/foundation/Geometry.h"

namespace plat {
class Image;
}

namespace zt {

// The finished picture of each movie frame for the renderers: the frame's
// stored picture with the project's colour effect, cut to the export size,
// with the foreground overlay, the fade and the cinema mask. Render indices
// count the frame list's entries without the capture placeholder. The look
// (mask, foreground) is read once when the producer is made. Runs on the
// queue of its project handle: renderers give it a snapshot and use it on
// their own queue.
class RenderImageProducer : public ImageProducer {
public:
    explicit RenderImageProducer(std::shared_ptr<ProjectModel> project);  // initWithProject:

    // The entries of the frame list, less the capture placeholder when the list has one.
    int64_t getNumberOfFramesForRendering();
    // A size of 0 x 0 keeps the stored size; 640 x 360 reads the preview
    // (the full picture when there is none). nullptr for an index outside
    // the movie or a missing picture.
    std::shared_ptr<plat::Image> getImageForRenderingAtIndex(int64_t index, plat::Size size);

private:
    bool _aspectRatioMaskOn = false;
    float _aspectRatioMaskFormat = 0;
    std::shared_ptr<plat::Image> _foreground;
};

}  // namespace zt
