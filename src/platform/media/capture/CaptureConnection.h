#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/media/MediaTime.h"

namespace plat {

enum class ImageOrientation : int;

// How pictures of a connection are turned, with the platform's numbers. A
// camera's own pictures stand in landscape right.
enum class CaptureVideoOrientation : int64_t {
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeRight = 3,
    LandscapeLeft = 4,
};

// The orientation a picture of the camera carries when shown as the
// connection says: turned from landscape right, then mirrored left to right.
ImageOrientation imageOrientationForVideo(CaptureVideoOrientation orientation, bool mirrored);

// The link between a session's camera and one output or preview layer: the
// orientation and mirroring its pictures get. Set on the main thread, read
// on the session's threads.
class CaptureConnection {
public:
    CaptureConnection(bool videoOrientationSupported, CaptureVideoOrientation orientation);

    bool isVideoOrientationSupported() const { return _orientationSupported; }
    CaptureVideoOrientation videoOrientation() const { return _orientation.load(); }
    // Ignored where orientation is not supported (video data outputs deliver
    // the camera's own orientation).
    void setVideoOrientation(CaptureVideoOrientation orientation);

    bool isVideoMirroringSupported() const { return true; }
    bool isVideoMirrored() const { return _mirrored.load(); }
    // Ignored (with a log line) while mirroring is adjusted automatically.
    void setVideoMirrored(bool mirrored);
    bool automaticallyAdjustsVideoMirroring() const { return _automaticMirroring.load(); }
    void setAutomaticallyAdjustsVideoMirroring(bool automatic);

    // The session tells whether its camera faces the user: automatic
    // mirroring mirrors front cameras, as a mirror would.
    void adjustMirroringForFrontCamera(bool isFront);

    // The shortest and longest time between two pictures of a video data
    // output's connection; invalid (the default) leaves the camera's own
    // rate. Pictures that come sooner than the shortest are left out; the
    // longest is kept, since a camera makes no pictures on demand.
    bool isVideoMinFrameDurationSupported() const { return _frameDurationsSupported; }
    bool isVideoMaxFrameDurationSupported() const { return _frameDurationsSupported; }
    MediaTime videoMinFrameDuration() const;
    void setVideoMinFrameDuration(const MediaTime& duration);
    MediaTime videoMaxFrameDuration() const;
    void setVideoMaxFrameDuration(const MediaTime& duration);
    // Set by the outputs whose pictures can be spaced.
    void setFrameDurationsSupported(bool supported) { _frameDurationsSupported = supported; }

private:
    const bool _orientationSupported;
    std::atomic<CaptureVideoOrientation> _orientation;
    std::atomic<bool> _mirrored {false};
    std::atomic<bool> _automaticMirroring {false};
    std::atomic<bool> _frameDurationsSupported {false};
    mutable std::mutex _lock;
    MediaTime _minFrameDuration = MediaTime::invalid();  // guarded by _lock
    MediaTime _maxFrameDuration = MediaTime::invalid();  // guarded by _lock
};

}  // namespace plat
