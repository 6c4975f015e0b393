#include "platform/ui/scripting/SelfMotion.h"

#include <algorithm>
#include <filesystem>

#include "platform/foundation/Log.h"
#include "platform/foundation/Sandbox.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Layer.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/scripting/ControlsCheck.h"
#include "platform/ui/scripting/UIDriver.h"
#include "platform/ui/scripting/ViewDescription.h"

namespace plat::scripting::detail {

namespace {

// The screen is compared at one pixel a point.
constexpr double kPixelsPerPoint = 1;
// The screen is watched untouched this many times, ControlsCheck::kSettleSeconds apart.
constexpr int kLooks = 3;

// Animations are waited for in steps of this, up to the longest wait.
constexpr double kAnimationStepSeconds = 0.1;
constexpr double kLongestAnimationWaitSeconds = 2;

bool isAnimating(const Layer& layer)
{
    if (!isShown(layer))
        return false;
    if (layer.hasRunningAnimations())
        return true;
    return std::any_of(layer.sublayers().begin(), layer.sublayers().end(),
        [](const std::shared_ptr<Layer>& sublayer) { return isAnimating(*sublayer); });
}

void addStoredFiles(const std::string& folder, StoredFiles& out)
{
    namespace fs = std::filesystem;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code unreadable;
        if (!it->is_regular_file(unreadable))
            continue;
        const auto size = it->file_size(unreadable);
        const auto changed = it->last_write_time(unreadable);
        if (!unreadable)
            out[it->path().string()] = std::to_string(size) + " " + std::to_string(changed.time_since_epoch().count());
    }
}

// The paths whose files came, went or were written between the two.
std::vector<std::string> changedFiles(const StoredFiles& before, const StoredFiles& after)
{
    std::vector<std::string> changed;
    for (const auto& [path, stamp] : after)
        if (auto earlier = before.find(path); earlier == before.end() || earlier->second != stamp)
            changed.push_back(path);
    for (const auto& [path, stamp] : before)
        if (!after.contains(path))
            changed.push_back(path);
    return changed;
}

double area(Rect rect)
{
    return rect.size.width * rect.size.height;
}

// Hides a view while it lives.
class LeftOut {
public:
    explicit LeftOut(View* view)
        : _view(view)
        , _wasHidden(view && view->isHidden())
    {
        if (_view)
            _view->setHidden(true);
    }
    ~LeftOut()
    {
        if (_view)
            _view->setHidden(_wasHidden);
    }
    LeftOut(const LeftOut&) = delete;
    LeftOut& operator=(const LeftOut&) = delete;

private:
    View* _view;
    bool _wasHidden;
};

}  // namespace

bool comeToRest(UIDriver& driver, Window& window)
{
    for (double waited = 0; waited < kLongestAnimationWaitSeconds && isAnimating(*window.layer());
         waited += kAnimationStepSeconds)
        driver.wait(kAnimationStepSeconds);
    settle();
    return !isAnimating(*window.layer());
}

StoredFiles storedFiles()
{
    StoredFiles files;
    const auto sandbox = Sandbox::current();
    addStoredFiles(sandbox->documentsDirectory(), files);
    addStoredFiles(sandbox->preferencesDirectory(), files);
    return files;
}

SelfMotion::SelfMotion(UIDriver& driver, Window& window)
    : _driver(driver)
    , _window(window)
{
}

void SelfMotion::watch()
{
    _movies.holdShown(_window);
    // Pictures given to layers are held as first seen while the screen is
    // watched; those that changed meanwhile stay held afterwards, so that a
    // moving picture hides no tap's outcome elsewhere.
    const std::vector<ShownPicture> firstSeen = givenPictures(_window);
    _held = firstSeen;
    _moving = PixelMask();
    const StoredFiles filesBefore = storedFiles();
    auto previous = picture();
    for (int look = 1; look < kLooks && previous; ++look) {
        _driver.wait(ControlsCheck::kSettleSeconds);
        auto next = picture();
        if (!next)
            break;
        _moving.addGrown(changesBetween(*previous, *next));
        previous = next;
    }
    _held = changedPictures(firstSeen, givenPictures(_window));
    _movingFiles = changedFiles(filesBefore, storedFiles());
}

bool SelfMotion::lostMovingPictures() const
{
    const std::vector<ShownPicture> shown = givenPictures(_window);
    return std::any_of(_held.begin(), _held.end(), [&](const ShownPicture& held) {
        return std::none_of(
            shown.begin(), shown.end(), [&](const ShownPicture& now) { return now.layer == held.layer; });
    });
}

PixelMask SelfMotion::lookAgain()
{
    auto earlier = picture();
    _driver.wait(ControlsCheck::kSettleSeconds);
    auto later = picture();
    return earlier && later ? changesBetween(*earlier, *later) : PixelMask();
}

PixelMask SelfMotion::changesBetween(const Image& earlier, const Image& later) const
{
    const PixelMask changed(earlier, later);
    PixelMask views(earlier.bitmap()->width(), earlier.bitmap()->height());
    leaveOutMovingViews(_window, changed, views);
    PixelMask moving = views;
    moving.addGrown(changed);
    return moving;
}

void SelfMotion::leaveOutMovingViews(const View& view, const PixelMask& changed, PixelMask& views) const
{
    if (!isShown(view))
        return;
    // The innermost views that drew what changed: a view is left out when
    // changes lie within it beyond the views inside it already left out, and
    // it is small (a progress bar, a clock) or much of it changed (a picture
    // that came).
    for (const auto& subview : view.subviews())
        leaveOutMovingViews(*subview, changed, views);
    const Rect frame = visiblePartOf(view);
    if (frame.isEmpty() || !drawsItself(view))
        return;
    const Rect pixels = makeRect(frame.minX() * kPixelsPerPoint, frame.minY() * kPixelsPerPoint,
        frame.size.width * kPixelsPerPoint, frame.size.height * kPixelsPerPoint);
    const double screenArea = area(_window.bounds()) * kPixelsPerPoint * kPixelsPerPoint;
    const auto changedWithin = static_cast<double>(changed.countWithin(pixels, views));
    if (changedWithin > 0
        && (area(pixels) <= kMovingViewShare * screenArea || changedWithin >= kMovingViewShare * area(pixels)))
        views.addArea(pixels);
}

std::string SelfMotion::heldPictureShapes() const
{
    std::string shapes;
    for (const ShownPicture& held : _held) {
        const auto shown = held.layer->contents();
        if (!shown || !shown->bitmap() || !isShown(*held.layer)) {
            shapes += "none; ";
            continue;
        }
        shapes += formatLine("{}x{} turned {}; ", shown->bitmap()->width(), shown->bitmap()->height(),
            static_cast<int>(shown->imageOrientation()));
    }
    return shapes;
}

std::shared_ptr<Image> SelfMotion::picture(View* leftOut) const
{
    StandInPictures still(_held);
    LeftOut hidden(leftOut);
    return snapshotWindow(_window, kPixelsPerPoint);
}

int64_t SelfMotion::changedPixels(const Image& before, const Image& after, const PixelMask& alsoMoving) const
{
    PixelMask moving = _moving;
    moving.addGrown(alsoMoving);
    return PixelMask(before, after).countOutside(moving);
}

bool SelfMotion::storedAnew(const StoredFiles& before, const StoredFiles& after) const
{
    for (const std::string& path : changedFiles(before, after))
        if (std::find(_movingFiles.begin(), _movingFiles.end(), path) == _movingFiles.end())
            return true;
    return false;
}

}  // namespace plat::scripting::detail
