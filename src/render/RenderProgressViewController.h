#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "platform/ui/TableViewController.h"

namespace plat {
class Color;
class Image;
class ProgressView;
}  // namespace plat

namespace zt {
class ImageProducer;
class ProjectModel;
class VerticallyAlignedLabel;

// The screen shown while a project renders (and uploads): a bar over a
// panel in which the project's pictures fade in as the progress passes
// thresholds, one text line below, and optional Cancel and Done buttons
// whose handlers run at most once. Texts and progress given before the rows
// exist are kept and shown when the screen appears. Landscape only. Main
// thread.
class RenderProgressViewController : public plat::TableViewController {
public:
    static constexpr const char* kReuseIdentifier = "Cell";
    static constexpr const char* kAnimationName = "Progress";
    static constexpr double kPictureFadeSeconds = 1.5;
    static constexpr double kTextFadeOutSeconds = 0.25;
    static constexpr double kTextFadeInSeconds = 0.5;
    // The pictures' shape: 212:120.
    static constexpr double kPictureWidthPerHeight = 212.0 / 120.0;

    RenderProgressViewController(std::string nibName, std::shared_ptr<ProjectModel> project);
    ~RenderProgressViewController() override;

    float progress() const { return _progress; }
    void setProgress(float progress);
    void showInfo(const std::string& text);
    void showError(const std::string& text);
    void showText(const std::string& text, const plat::Color& color);
    // The work failed: the text in the error colour and no bar; the buttons
    // stay as they are (a Cancel given before still closes the screen).
    void showFailed(const std::string& text);
    enum class Outcome { Succeeded, Failed };
    // The work is over: the text tells how it ended (a failure without the
    // bar), and the only button is Done, which runs done.
    using Handler = std::function<void()>;
    void showFinished(const std::string& text, Outcome outcome, Handler done);
    // Fades one picture into the panel.
    void showThumbImage(const std::shared_ptr<const plat::Image>& picture);

    const Handler& cancelHandler() const { return _cancelHandler; }
    void setCancelHandler(Handler handler);
    const Handler& doneHandler() const { return _doneHandler; }
    void setDoneHandler(Handler handler);
    void actionCancel();
    void actionDone();

    // The parts, once the rows made them.
    const std::shared_ptr<plat::ProgressView>& progressBar() const { return _progressBar; }
    const std::shared_ptr<plat::View>& progressPanel() const { return _progressPanel; }
    const std::shared_ptr<VerticallyAlignedLabel>& infoLabel() const { return _infoLabel; }
    const std::string& infoText() const { return _infoText; }
    // The thresholds still to pass (made on the first picture update).
    const std::deque<double>& progressThresholds() const { return _progressThresholds; }

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    // An update skipped while the panel had no size runs once it has one.
    void viewDidLayoutSubviews() override;
    unsigned supportedInterfaceOrientations() const override;

    int64_t numberOfSectionsInTableView(plat::TableView&) override { return 2; }
    int64_t tableViewNumberOfRowsInSection(plat::TableView&, int64_t) override { return 1; }
    std::optional<double> tableViewHeightForRowAtIndexPath(plat::TableView&, plat::IndexPath path) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;

private:
    // On appearing: the stored text, then a picture update.
    void showAppearanceWork();
    void updatePictures();
    plat::Rect pictureArea() const;
    void addPicture(const std::shared_ptr<const plat::Image>& picture);
    void makeProgressRow(plat::TableViewCell& cell);
    void makeInfoRow(plat::TableViewCell& cell);
    ImageProducer& imageProducer();

    std::shared_ptr<ProjectModel> _project;
    std::shared_ptr<plat::ProgressView> _progressBar;
    std::shared_ptr<plat::View> _progressPanel;
    std::shared_ptr<plat::View> _contentPanel;
    std::deque<double> _progressThresholds;
    bool _thresholdsMade = false;
    bool _pictureUpdatePending = false;
    bool _appearanceWorkPending = false;
    bool _appearanceWorkWaitsForRows = false;
    std::unique_ptr<ImageProducer> _imageProducer;
    std::shared_ptr<VerticallyAlignedLabel> _infoLabel;
    std::string _infoText;
    float _progress = 0;
    Handler _cancelHandler;
    Handler _doneHandler;
    bool _finishedWithoutResult = false;
};

}  // namespace zt
