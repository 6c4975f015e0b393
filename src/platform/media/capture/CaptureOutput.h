#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/media/capture/CaptureConnection.h"

namespace plat {

class CaptureSession;
namespace detail {
class CaptureEngine;
struct CapturedFrame;
}  // namespace detail

// Where a capture session's pictures go. An output gets its video
// connection when it joins a session. The session calls the hooks on its
// own threads. Main thread otherwise.
class CaptureOutput : public std::enable_shared_from_this<CaptureOutput> {
public:
    virtual ~CaptureOutput();

    std::vector<std::shared_ptr<CaptureConnection>> connections() const;
    // The output's connection (video, or audio for sound) while it is in a
    // session and the media type is its own, else nullptr.
    std::shared_ptr<CaptureConnection> connectionWithMediaType(std::string_view mediaType) const;

protected:
    CaptureOutput() = default;
    // How the output's connection starts: whether it can turn pictures.
    virtual bool supportsVideoOrientation() const = 0;
    // Whether the connection's frame durations space the pictures out.
    virtual bool supportsFrameDurations() const { return false; }
    // What the output's connection carries: the camera's pictures by default.
    virtual std::string_view connectionMediaType() const;
    // A run of the session begins (main thread) and each of its pictures
    // arrives (the session's thread); after the stop nothing more comes.
    virtual void sessionDidStartRunning(uint64_t run) = 0;
    virtual void receiveFrame(const detail::CapturedFrame& frame) = 0;
    virtual void sessionDidStopRunning() = 0;

private:
    friend class CaptureSession;
    friend class detail::CaptureEngine;
    void joinSession();
    void leaveSession();

    std::shared_ptr<CaptureConnection> _connection;
};

}  // namespace plat
