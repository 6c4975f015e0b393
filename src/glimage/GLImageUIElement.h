#pragma once
#include <memory>

#include "glimage/GLImageOutput.h"
#include "platform/media/MediaTime.h"

namespace plat {
class Layer;
class View;
}  // namespace plat

namespace zt {

// A view or a layer as a frame source: each update draws it into the output
// texture and sends that to the targets, so that text or controls can be
// blended into a video. Frame times run with the clock between updates.
// Main thread (where layers are drawn); the upload and the sends run
// synchronously on the context queue.
class GLImageUIElement : public GLImageOutput {
public:
    explicit GLImageUIElement(std::shared_ptr<plat::View> inputView);
    explicit GLImageUIElement(std::shared_ptr<plat::Layer> inputLayer);

    // The layer's bounds in pixels (its contents scale applied).
    plat::Size layerSizeInPixels() const;
    void update();

    const plat::MediaTime& frameTimeForTesting() const { return time; }

private:
    std::shared_ptr<plat::View> view;
    std::shared_ptr<plat::Layer> layer;
    plat::MediaTime time = plat::MediaTime::invalid();
    double actualTimeOfLastUpdate = 0;  // seconds since the reference date
};

}  // namespace zt
