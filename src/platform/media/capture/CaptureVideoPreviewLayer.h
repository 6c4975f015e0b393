#pragma once
#include <memory>
#include <string>

#include "platform/ui/Layer.h"

namespace plat {

class CaptureConnection;
class CaptureSession;
namespace detail {
class CaptureEngine;
struct CapturedFrame;
}  // namespace detail

// Video gravities, as the platform names them.
inline constexpr const char* kLayerVideoGravityResizeAspect = "AVLayerVideoGravityResizeAspect";
inline constexpr const char* kLayerVideoGravityResizeAspectFill = "AVLayerVideoGravityResizeAspectFill";
inline constexpr const char* kLayerVideoGravityResize = "AVLayerVideoGravityResize";

// A layer that shows the live picture of a capture session: the newest
// picture as its contents, placed by the video gravity, turned by its
// connection's orientation (portrait unless set) and mirrored for a front
// camera. The layer keeps its session. Main thread.
class CaptureVideoPreviewLayer : public Layer {
public:
    static std::shared_ptr<CaptureVideoPreviewLayer> layerWithSession(const std::shared_ptr<CaptureSession>& session);
    CaptureVideoPreviewLayer();
    ~CaptureVideoPreviewLayer() override;

    const std::shared_ptr<CaptureSession>& session() const { return _session; }
    void setSession(const std::shared_ptr<CaptureSession>& session);

    const std::string& videoGravity() const { return _videoGravity; }
    // Unknown gravities are ignored.
    void setVideoGravity(const std::string& gravity);

    const std::shared_ptr<CaptureConnection>& connection() const { return _connection; }

private:
    friend class detail::CaptureEngine;
    friend class CaptureSession;
    void showPicture(const detail::CapturedFrame& frame);

    std::shared_ptr<CaptureSession> _session;
    std::string _videoGravity = kLayerVideoGravityResizeAspect;
    std::shared_ptr<CaptureConnection> _connection;
};

}  // namespace plat
