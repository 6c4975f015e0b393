#pragma once
#include <memory>
#include <string>
#include <vector>

namespace plat {
class MoviePlayer;
class Window;
}  // namespace plat

namespace plat::scripting::detail {

// Holds still the movies that the screen's player layers show, for as long
// as it lives, so that a playing movie's picture, time and scrubber stay
// where they are unless a control moves them; then lets them play on. Main
// thread.
class HeldMovies {
public:
    HeldMovies() = default;
    ~HeldMovies();
    HeldMovies(const HeldMovies&) = delete;
    HeldMovies& operator=(const HeldMovies&) = delete;

    // Holds the movies shown now that are not held yet.
    void holdShown(Window& window);
    // What a person sees of the held movies that still live: how fast each
    // plays (backwards, paused, fast) and where it stands.
    std::string state() const;

private:
    std::vector<std::weak_ptr<MoviePlayer>> _held;
};

}  // namespace plat::scripting::detail
