#pragma once
#include <memory>
#include <vector>

namespace plat {
class Color;
class Image;
class Layer;
class Window;
}  // namespace plat

namespace plat::scripting::detail {

// A layer and the picture it shows as its contents.
struct ShownPicture {
    std::shared_ptr<Layer> layer;
    std::shared_ptr<const Image> picture;
};

// The shown layers whose contents someone gave them (a camera's picture, a
// movie's, a GL drawing, an image view's picture), not drawn by their own
// view. Main thread.
std::vector<ShownPicture> givenPictures(Window& window);
// Of those, what a person films or makes, which may look like anything: not
// the app's own art, opaque, and shown at least kSmallestFilmedPoints a side.
std::vector<ShownPicture> filmedPictures(Window& window);
constexpr double kSmallestFilmedPoints = 24;

// The pictures of now that differ from the ones seen before in the same
// layers, with the ones seen before: what changed by itself in between.
std::vector<ShownPicture> changedPictures(
    const std::vector<ShownPicture>& before, const std::vector<ShownPicture>& now);

// A picture of one colour with the size, scale and orientation of another.
std::shared_ptr<const Image> plainPictureLike(const Image& picture, const Color& color);

// Shows other pictures in the layers for as long as it lives, then puts
// back what they showed: to take a picture of the screen with them. Main
// thread.
class StandInPictures {
public:
    explicit StandInPictures(const std::vector<ShownPicture>& standIns);
    ~StandInPictures();
    StandInPictures(const StandInPictures&) = delete;
    StandInPictures& operator=(const StandInPictures&) = delete;

private:
    std::vector<ShownPicture> _replaced;
};

}  // namespace plat::scripting::detail
