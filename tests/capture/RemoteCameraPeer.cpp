#include "RemoteCameraPeer.h"

#include <cstdlib>
#include <map>

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/net/NetServiceRegistry.h"
#include "support/Pixels.h"
#include "support/QuadrantPictures.h"
#include "web/LiteJsonCategories.h"

namespace zt::test {

namespace {

constexpr const char* kType = "_QUORVANE_REMOTE_CAMERA._tcp.";
constexpr int kPreviewWidth = 320;
constexpr int kPreviewHeight = 180;
constexpr size_t kOversizedBytes = 5 * 1024 * 1024;

std::map<std::string, std::string> queryOf(const std::string& target)
{
    std::map<std::string, std::string> values;
    auto mark = target.find('?');
    if (mark == std::string::npos)
        return values;
    std::string rest = target.substr(mark + 1);
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('&', start);
        std::string pair = rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
        auto equals = pair.find('=');
        if (equals != std::string::npos)
            values[pair.substr(0, equals)] = pair.substr(equals + 1);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return values;
}

std::string pathOf(const std::string& target)
{
    std::string path = target.substr(0, target.find('?'));
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

struct RemoteCameraPeer::State {
    mutable std::mutex lock;
    Behaviour behaviour = Behaviour::Normal;
    std::map<std::string, Behaviour> behaviourByPath;
    std::vector<std::string> requests;
    int64_t position = 1;
    int64_t focusMode = 2;
    int64_t exposureMode = 2;
    int64_t whiteBalanceMode = 2;
    bool focusLocked = true;
    bool focusContinuous = true;
    int red = 200;
    int green = 40;
    int blue = 40;
    bool quadrants = false;
};

RemoteCameraPeer::RemoteCameraPeer()
    : _state(std::make_shared<State>())
    , _server(std::make_unique<plat::test::HTTPTestServer>(
          [this](const plat::test::HTTPTestRequest& request) { return answer(request); }))
{
}

RemoteCameraPeer::~RemoteCameraPeer()
{
    withdraw();
}

std::string RemoteCameraPeer::baseURL() const
{
    return "http://127.0.0.1:" + std::to_string(port());
}

int RemoteCameraPeer::port() const
{
    return _server ? _server->port() : 0;
}

void RemoteCameraPeer::announce(const std::string& name, const std::string& hostName)
{
    plat::NetServiceRegistry::shared().announce({name, kType, "local.", hostName, port(), true});
    _announcedName = name;
}

void RemoteCameraPeer::withdraw()
{
    if (_announcedName)
        plat::NetServiceRegistry::shared().withdraw(*_announcedName, kType);
    _announcedName.reset();
}

void RemoteCameraPeer::vanish()
{
    _server.reset();
}

void RemoteCameraPeer::release()
{
    if (_server)
        _server->release();
}

void RemoteCameraPeer::setBehaviour(Behaviour behaviour)
{
    std::lock_guard lock(_state->lock);
    _state->behaviour = behaviour;
    _state->behaviourByPath.clear();
}

void RemoteCameraPeer::setBehaviourFor(const std::string& path, Behaviour behaviour)
{
    std::lock_guard lock(_state->lock);
    _state->behaviourByPath[path] = behaviour;
}

std::vector<std::string> RemoteCameraPeer::requests() const
{
    std::lock_guard lock(_state->lock);
    return _state->requests;
}

size_t RemoteCameraPeer::countOf(const std::string& path) const
{
    std::lock_guard lock(_state->lock);
    size_t count = 0;
    for (const std::string& request : _state->requests)
        count += pathOf("/" + request) == path;
    return count;
}

int64_t RemoteCameraPeer::position() const
{
    std::lock_guard lock(_state->lock);
    return _state->position;
}
int64_t RemoteCameraPeer::focusMode() const
{
    std::lock_guard lock(_state->lock);
    return _state->focusMode;
}
int64_t RemoteCameraPeer::exposureMode() const
{
    std::lock_guard lock(_state->lock);
    return _state->exposureMode;
}
int64_t RemoteCameraPeer::whiteBalanceMode() const
{
    std::lock_guard lock(_state->lock);
    return _state->whiteBalanceMode;
}

void RemoteCameraPeer::setSupportsFocus(bool locked, bool continuous)
{
    std::lock_guard lock(_state->lock);
    _state->focusLocked = locked;
    _state->focusContinuous = continuous;
}

void RemoteCameraPeer::setPictureColour(int red, int green, int blue)
{
    std::lock_guard lock(_state->lock);
    _state->red = red;
    _state->green = green;
    _state->blue = blue;
}

void RemoteCameraPeer::setServesQuadrants(bool quadrants)
{
    std::lock_guard lock(_state->lock);
    _state->quadrants = quadrants;
}

void RemoteCameraPeer::setPosition(int64_t position)
{
    std::lock_guard lock(_state->lock);
    _state->position = position;
}

plat::test::HTTPTestReply RemoteCameraPeer::answer(const plat::test::HTTPTestRequest& request)
{
    const std::string path = pathOf(request.target);
    const auto query = queryOf(request.target);
    std::unique_lock lock(_state->lock);
    State& state = *_state;
    const std::string target = request.target.substr(1);
    state.requests.push_back(target);
    Behaviour behaviour = state.behaviour;
    if (auto special = state.behaviourByPath.find(path); special != state.behaviourByPath.end())
        behaviour = special->second;
    if (behaviour == Behaviour::Slow) {
        plat::test::HTTPTestReply reply;
        reply.delivery = plat::test::HTTPTestReply::Delivery::StallBeforeHead;
        return reply;
    }
    if (behaviour == Behaviour::Garbage)
        return plat::test::HTTPTestReply::withBody(200, "<html>not what you asked for</html>", "text/html");

    auto number = [&](const char* key) { return std::atoll(query.count(key) ? query.at(key).c_str() : "0"); };
    if (path == "switchcamera")
        state.position = state.position == 1 ? 2 : 1;
    else if (path == "focusmode")
        state.focusMode = number("AVCaptureFocusMode");
    else if (path == "exposuremode")
        state.exposureMode = number("AVCaptureExposureMode");
    else if (path == "whitebalancemode")
        state.whiteBalanceMode = number("AVCaptureWhiteBalanceMode");

    if (path == "preview" || path == "capture") {
        if (behaviour == Behaviour::Oversized)
            return plat::test::HTTPTestReply::withBody(200, std::string(kOversizedBytes, 'x'), "image/jpeg");
        int width = kPreviewWidth, height = kPreviewHeight;
        if (path == "capture") {
            width = static_cast<int>(std::atof(query.count("Width") ? query.at("Width").c_str() : "0"));
            height = static_cast<int>(std::atof(query.count("Height") ? query.at("Height").c_str() : "0"));
        }
        const plat::test::Rgba colour {state.red, state.green, state.blue, 255};
        const bool quadrants = state.quadrants;
        const auto orientation = state.position == 2 ? plat::ImageOrientation::Down : plat::ImageOrientation::Up;
        lock.unlock();
        width = std::max(width, 16);
        height = std::max(height, 16);
        auto picture = quadrants ? plat::test::makeQuadrantPicture(width, height, orientation)
                                 : plat::test::makeFlatImage(width, height, colour);
        auto jpeg = plat::JPEGRepresentation(*picture, 0.8);
        return plat::test::HTTPTestReply::withBody(200, std::string(jpeg->begin(), jpeg->end()), "image/jpeg");
    }

    plat::Dictionary status;
    status.set("AVCaptureDevicePosition", state.position);
    status.set("AVCaptureFocusMode", state.focusMode);
    status.set("AVCaptureExposureMode", state.exposureMode);
    status.set("AVCaptureWhiteBalanceMode", state.whiteBalanceMode);
    status.set("MULTIPLE_CAPTURE_DEVICE_AVAILABLE", true);
    status.set("AVCaptureFocusModeLocked", state.focusLocked);
    status.set("AVCaptureFocusModeContinuousAutoFocus", state.focusContinuous);
    status.set("AVCaptureExposureModeLocked", true);
    status.set("AVCaptureExposureModeContinuousAutoExposure", true);
    status.set("AVCaptureWhiteBalanceModeLocked", true);
    status.set("AVCaptureWhiteBalanceModeContinuousAutoWhiteBalance", true);
    if (behaviour == Behaviour::WrongTypes)
        status.set("AVCaptureDevicePosition", "back");
    auto text = zt::JSONRepresentation(status);
    return plat::test::HTTPTestReply::withBody(200, text.value_or("{}"), "application/json");
}

}  // namespace zt::test
