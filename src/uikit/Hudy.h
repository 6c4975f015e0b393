#pragma once
#include <memory>
#include <string>

#include "platform/foundation/Geometry.h"
#include "platform/ui/ViewController.h"

namespace plat {
class ActivityIndicatorView;
class Label;
class ProgressView;
class View;
}  // namespace plat

namespace zt {

// The heads-up display: a short message, a spinner or a progress bar over a
// screen's own view. A caller sets the caption and options, shows it in a
// host view, and lets it go after a delay or dismisses it. The four views
// come from the layout "Hudy", which owns their look; the code only sizes,
// places and shows or hides them. Main thread.
class Hudy : public plat::ViewController {
public:
    // A dismissAfterTime of exactly this keeps the display up until dismiss.
    static constexpr double kStaysUntilDismissed = -1.0;
    static constexpr double kFadeSeconds = 0.25;

    Hudy();
    explicit Hudy(std::string nibName);
    ~Hudy() override;

    // The options take effect at the next show.
    const std::string& caption() const { return _caption; }
    void setCaption(std::string caption) { _caption = std::move(caption); }
    bool isActivity() const { return _isActivity; }
    void setIsActivity(bool activity) { _isActivity = activity; }
    double dismissAfterTime() const { return _dismissAfterTime; }
    void setDismissAfterTime(double seconds) { _dismissAfterTime = seconds; }
    // Below 0 the bar stays hidden at the next show. The value goes to the
    // bar at once, without animation, whether it shows or not.
    float progress() const { return _progress; }
    void setProgress(float progress);

    // Adds the display, transparent, as the host's front subview, then shows it.
    void showInView(const std::shared_ptr<plat::View>& host);
    // Lays the display out in its host, fades it in and schedules its dismissal.
    void show();
    // Cancels a scheduled dismissal, fades out and leaves the host.
    void dismiss();

    // The rectangle with its sides arranged as the interface is turned: the
    // longer side across in landscape, down in portrait.
    plat::Rect getOrientationCorrectedRectFromRect(plat::Rect rect) const;

    // Outlets the layout connects.
    const std::shared_ptr<plat::View>& viewBGView() const { return _viewBGView; }
    void setViewBGView(std::shared_ptr<plat::View> view) { _viewBGView = std::move(view); }
    const std::shared_ptr<plat::Label>& captionView() const { return _captionView; }
    void setCaptionView(std::shared_ptr<plat::Label> view) { _captionView = std::move(view); }
    const std::shared_ptr<plat::ActivityIndicatorView>& activityView() const { return _activityView; }
    void setActivityView(std::shared_ptr<plat::ActivityIndicatorView> view) { _activityView = std::move(view); }
    const std::shared_ptr<plat::ProgressView>& progressView() const { return _progressView; }
    void setProgressView(std::shared_ptr<plat::ProgressView> view) { _progressView = std::move(view); }

    void loadView() override;

private:
    std::string _caption;
    bool _isActivity = false;
    float _progress = -1.0f;
    double _dismissAfterTime = 1.0;
    std::shared_ptr<plat::View> _viewBGView;
    std::shared_ptr<plat::Label> _captionView;
    std::shared_ptr<plat::ActivityIndicatorView> _activityView;
    std::shared_ptr<plat::ProgressView> _progressView;
};

}  // namespace zt
