#pragma once
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "support/HTTPTestServer.h"

namespace zt::test {

// A remote-camera peer for tests: an HTTP server on 127.0.0.1 answering the
// protocol's requests from a camera it keeps in memory (position, modes,
// focus point, pictures), announced to the in-process discovery registry.
// It can misbehave on request: answer garbage, answer slowly (until
// released), answer with an oversized picture, or go away altogether.
class RemoteCameraPeer {
public:
    enum class Behaviour { Normal, Garbage, WrongTypes, Slow, Oversized };

    RemoteCameraPeer();
    ~RemoteCameraPeer();

    // "http://127.0.0.1:<port>".
    std::string baseURL() const;
    int port() const;
    // Announces the service under the name, on the host given.
    void announce(const std::string& name, const std::string& hostName = "127.0.0.1");
    void withdraw();
    // Stops answering: every connection is refused from now on.
    void vanish();
    void release();

    void setBehaviour(Behaviour behaviour);
    // Applies to one request path only ("status", "preview", "capture"...).
    void setBehaviourFor(const std::string& path, Behaviour behaviour);

    // Requests received, as path and query ("capture?Width=...").
    std::vector<std::string> requests() const;
    size_t countOf(const std::string& path) const;

    int64_t position() const;
    int64_t focusMode() const;
    int64_t exposureMode() const;
    int64_t whiteBalanceMode() const;
    void setSupportsFocus(bool locked, bool continuous);

    // The colour of the pictures it serves (red, green, blue).
    void setPictureColour(int red, int green, int blue);
    // Serves the four quadrants of support/QuadrantPictures.h instead: from
    // the back camera stored upright, from the front one stored half-turned
    // with the orientation that stands them upright, as a phone's front
    // camera stores its photos.
    void setServesQuadrants(bool quadrants);
    void setPosition(int64_t position);

private:
    struct State;
    plat::test::HTTPTestReply answer(const plat::test::HTTPTestRequest& request);

    std::shared_ptr<State> _state;
    std::unique_ptr<plat::test::HTTPTestServer> _server;
    std::optional<std::string> _announcedName;
};

}  // namespace zt::test
