#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/scripting/HeldMovies.h"
#include "platform/ui/scripting/PictureStandIns.h"
#include "platform/ui/scripting/PixelMask.h"

namespace plat {
class Image;
class View;
class Window;
}  // namespace plat

namespace plat::scripting {
class UIDriver;
}

namespace plat::scripting::detail {

// Lets what the last tap set moving come to its end (a curtain closing), so
// that the next tap starts from a screen at rest; what moves for ever (a
// spinner) is waited on for a while only. True when the screen came to rest.
bool comeToRest(UIDriver& driver, Window& window);

// The files the app stores (settings, projects) by path, each with what
// tells a new write: its size and the time of its last change.
using StoredFiles = std::map<std::string, std::string>;
// Those of the current sandbox's Documents and Library/Preferences.
StoredFiles storedFiles();

// What moves on the screen by itself, learnt by watching the screen
// untouched, so that an outcome of a tap is told from it: the movies shown
// are held still; pictures given to layers (a live camera's) that changed
// meanwhile are held as first seen in the pictures compared; a view that
// drew anew is left out whole when it is small (a progress bar, a clock, a
// countdown) or much of it changed (a picture that came), and other pixels
// that changed are left out where they changed; so are the stored files
// that changed. Main thread, manual clock.
class SelfMotion {
public:
    // A view that moves by itself is left out whole when it takes up to this
    // share of the screen, or this share of it moved.
    static constexpr double kMovingViewShare = 0.25;

    SelfMotion(UIDriver& driver, Window& window);
    SelfMotion(const SelfMotion&) = delete;
    SelfMotion& operator=(const SelfMotion&) = delete;

    // Watches the screen untouched for a while, forgetting what was learnt
    // of it before (it may have been made afresh). The movies shown are
    // held from then on.
    void watch();
    // What changes over one more look of the untouched screen (some of it
    // changes only now and then: a picture that comes as a render goes on),
    // to leave out with the rest.
    PixelMask lookAgain();
    // True when a picture seen moving by itself (a live camera's) is no
    // longer shown where it was: the screen was made afresh.
    bool lostMovingPictures() const;
    // True when something was seen moving by itself while watching.
    bool movesByItself() const { return !_moving.isClear(); }

    // The screen with what moves by itself held, without the view given (a
    // control whose own drawing does not count).
    std::shared_ptr<Image> picture(View* leftOut = nullptr) const;
    // The pixels that differ between two such pictures where nothing moves
    // by itself (nor, when given, where the other mask is set).
    int64_t changedPixels(const Image& before, const Image& after, const PixelMask& alsoMoving = {}) const;
    // What the movies held are doing (see HeldMovies::state).
    std::string movies() const { return _movies.state(); }
    // How the moving pictures held still are shown now: each one's size and
    // which way it is turned. Held, another camera's picture would look the
    // same; a camera switched to the other side turns it the other way.
    std::string heldPictureShapes() const;
    // True when a file was stored anew, one that does not change by itself.
    bool storedAnew(const StoredFiles& before, const StoredFiles& after) const;

private:
    // The pixels that changed between two pictures, and their neighbours,
    // with the whole of the views that drew them where such views are left
    // out whole.
    PixelMask changesBetween(const Image& earlier, const Image& later) const;
    void leaveOutMovingViews(const View& view, const PixelMask& changed, PixelMask& views) const;

    UIDriver& _driver;
    Window& _window;
    HeldMovies _movies;
    std::vector<ShownPicture> _held;
    PixelMask _moving;
    std::vector<std::string> _movingFiles;
};

}  // namespace plat::scripting::detail
