#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/URL.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "render/ThemeCardsRedraw.h"
#include "share/ConnectHandler.h"
#include "share/InfoCenterViewController.h"
#include "uikit/CarouselProtocols.h"
#include "uikit/HelpManagerDelegate.h"

namespace plat {
class BarButtonItem;
class PopoverController;
class Image;
class ImageView;
class Label;
}  // namespace plat

namespace zt {
class Carousel;
class HelpManager;
class Hudy;
class MainViewControllerDelegate;
class MessagesAfterWelcome;
class MovieExportType;
class MovieRenderer;
class ProjectModel;
class QVNavigationController;
class RenderProgressViewController;
class TransparentToolbar;

// The start screen: every project of the projects list as an item of a
// horizontal carousel, after a "new project" slot, with the name and a
// details line of the centred project below. A tap on the centred item
// opens it (the root container hands it to the frame editor); the toolbar
// duplicates and deletes; the name is renamed in place. The projects list
// file follows every change. Made afresh each time the screen is shown.
// Main thread, except the folder copy of a duplicate.
class ProjectExplorer : public plat::ViewController,
                        public CarouselDataSource,
                        public CarouselDelegate,
                        public plat::TextFieldDelegate,
                        public InfoCenterDelegate,
                        public HelpManagerDelegate {
public:
    static constexpr double kItemWidthTablet = 504.0;
    static constexpr double kItemWidthPhone = 262.0;
    static constexpr plat::Size kItemSizeTablet {424, 240};
    static constexpr plat::Size kItemSizePhone {212, 120};
    static constexpr double kCarouselMaximumScale = 1.2;
    static constexpr int64_t kThumbnailTag = 333;
    static constexpr int64_t kForegroundTag = 99;
    static constexpr double kOpenScaleTablet = 2.5;
    static constexpr double kOpenScalePhone = 1.9;
    static constexpr double kOpenDelaySeconds = 0.2;
    static constexpr double kDetailsDelaySeconds = 0.5;
    static constexpr double kDeleteDelaySeconds = 0.25;
    static constexpr double kDetailsFadeSeconds = 0.5;
    // Frame-list entries (the capture placeholder counted) above which a delete asks first.
    static constexpr int64_t kEntriesDeletedWithoutAsking = 4;

    // The views the layout connects.
    struct Outlets {
        std::shared_ptr<TransparentToolbar> toolBar;
        std::shared_ptr<plat::BarButtonItem> playBtn;
        std::shared_ptr<plat::BarButtonItem> shareBtn;
        std::shared_ptr<plat::BarButtonItem> trashBtn;
        std::shared_ptr<plat::BarButtonItem> addBtn;  // duplicate
        std::shared_ptr<plat::BarButtonItem> editorBtn;  // open
        std::shared_ptr<plat::BarButtonItem> btnInfo;
        std::shared_ptr<plat::BarButtonItem> galleryBtn;
        std::shared_ptr<Carousel> carousel;
        std::shared_ptr<plat::ImageView> imageViewExplorerBG;
        std::shared_ptr<plat::Label> labelNewProjectInfo;
        std::shared_ptr<plat::View> viewProjectDetails;
        std::shared_ptr<plat::Label> labelDate;
        std::shared_ptr<plat::TextField> textFieldName;
        std::shared_ptr<plat::View> viewWait;
        std::shared_ptr<plat::ImageView> imageViewExplorerLogo;  // optional
    };

    explicit ProjectExplorer(std::string nibName);  // initWithNibName:bundle:
    ~ProjectExplorer() override;

    void setOutlets(Outlets outlets) { _outlets = std::move(outlets); }
    const Outlets& outlets() const { return _outlets; }
    std::shared_ptr<MainViewControllerDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(std::weak_ptr<MainViewControllerDelegate> delegate) { _delegate = std::move(delegate); }
    bool shouldDisplayPorjectScaleAnimation() const { return _shouldDisplayPorjectScaleAnimation; }
    void setShouldDisplayPorjectScaleAnimation(bool display) { _shouldDisplayPorjectScaleAnimation = display; }
    // The project in that folder comes centred when the list is next read
    // (the one just edited), wherever it stands in the list then.
    void setProjectPathToCentre(std::optional<std::string> path) { _projectPathToCentre = std::move(path); }
    // Its warnings on entry wait there, with the app's start-up messages, for the first start's welcome to
    // close; without one they show at once.
    void setMessagesAfterWelcome(std::shared_ptr<MessagesAfterWelcome> messages)
    {
        _messagesAfterWelcome = std::move(messages);
    }

    // Index 0 is the new-project slot (a project without a folder).
    const std::vector<std::shared_ptr<ProjectModel>>& projects() const { return _projects; }
    const std::shared_ptr<ProjectModel>& selectedProject() const { return _selectedProject; }
    const std::shared_ptr<plat::View>& selectedCarouselView() const { return _selectedCarouselView; }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;

    // The carousel's data source and delegate.
    uint64_t numberOfItemsInCarousel(Carousel& carousel) override;
    std::shared_ptr<plat::View> carouselViewForItemAtIndexReusingView(
        Carousel& carousel, int64_t index, std::shared_ptr<plat::View> reusingView) override;
    std::optional<double> carouselItemWidth(Carousel& carousel) override;
    void carouselDidSelectItemAtIndex(Carousel& carousel, int64_t index) override;
    void carouselWillBeginDragging(Carousel& carousel) override;
    void carouselWillBeginScrollingAnimation(Carousel& carousel) override;
    void carouselDidEndScrollingAnimation(Carousel& carousel) override;
    double carouselMaximumScale() const { return kCarouselMaximumScale; }
    std::shared_ptr<plat::Image> getThumbImageForProjectAtIndex(int64_t index);

    void updateCurrentProjectView(int64_t index);
    void setMetaDescription();
    void switchState();
    void hideCurrentSelectedViewAndInfo();

    // Opening the centred project.
    void actionAddImagesToRecord();
    bool checkIfProjectNeedsConversionAnConvertIt();
    // A project whose frame list cannot be read does not open: the person hears why.
    bool checkIfFrameListCanBeRead();
    void openProject();

    void actionTrash();
    void deleteProject(const std::shared_ptr<ProjectModel>& project);
    void actionDuplicate();
    // Writes the list file from the carousel's projects; false, and why, when it cannot.
    bool updateProjectListFile(std::optional<plat::Error>* error = nullptr);

    bool textFieldShouldReturn(plat::TextField& textField) override;
    void textFieldDidBeginEditing(plat::TextField& textField) override;
    void textFieldDidEndEditing(plat::TextField& textField) override;

    // The preview: plays the selected project's movie, rendering it first
    // (after asking) with the progress screen.
    void actionPlay();
    void prepareMovieWithResolution(plat::Size size);
    // Any export of the selected project (movie, GIF, single images, archive)
    // with the progress screen: rendered on the renderer's queue, polled
    // each second, the screen closed when done (then afterExport runs with
    // the renderer, status finished), kept with the reason when it failed.
    using AfterExport = std::function<void(MovieRenderer& renderer)>;
    void prepareExportWithType(std::shared_ptr<MovieExportType> type, AfterExport afterExport);
    // The same for a share target: once finished, the screen stays and goes
    // to handOff with the renderer, with a block that closes it.
    void prepareExportWithType(std::shared_ptr<MovieExportType> type, ShareHandOff handOff);
    void checkStatusForExporter(const std::shared_ptr<MovieRenderer>& renderer);
    void cancelMovieRenderer();
    // Hands a rendered movie to the movie player.
    void playVideoInMovieView(const plat::URL& movieURL);
    // The size the preview is rendered at on this device.
    static plat::Size previewResolution();
    const std::shared_ptr<RenderProgressViewController>& renderProgressViewController() const
    {
        return _renderProgressViewController;
    }
    const std::shared_ptr<MovieRenderer>& movieRenderer() const { return _movieRenderer; }

    // The toolbar's other actions and the checks on entry.
    // Free bytes below this (25 units of 4 MiB) warn once a run.
    static constexpr uint64_t kLowStorageBytes = uint64_t(25) << 22;
    static bool isStorageNearlyFull(uint64_t freeBytes) { return freeBytes < kLowStorageBytes; }
    void validateRestrictionsSettings();
    void actionShare();
    void actionHelp();
    void infoCenterDidFinish(InfoCenterViewController& infoCenter) override;
    void helpManangerDidFinish(HelpManager& helpManager) override;
    void actionYoutubeGalery();
    void openGalleryHandler();

    void receiveProjectImportProcessorDidImportProject();
    void receiveDuplicateProjectNotification();
    void playFrameEditorToProjectExplorerAnimation();

private:
    void askToDelete(std::shared_ptr<ProjectModel> project);
    void startExport(std::shared_ptr<MovieExportType> type, AfterExport afterExport, ShareHandOff handOff);
    void renderExport(const std::shared_ptr<RenderProgressViewController>& screen,
        const std::shared_ptr<ProjectModel>& project, const std::shared_ptr<MovieExportType>& type,
        AfterExport afterExport, ShareHandOff handOff);
    void finishExport(MovieRenderer& renderer, const std::shared_ptr<RenderProgressViewController>& screen,
        AfterExport afterExport, ShareHandOff handOff);
    // An alert naming the frames whose pictures and the sounds the export
    // could not read, then then (at once when none).
    static void tellUnreadableFramesAndSounds(const MovieRenderer& renderer, std::function<void()> then);
    // After a finished (or cancelled) export: the share target, or the screen closed and afterExport.
    void continueAfterExport(int64_t status, const std::shared_ptr<MovieRenderer>& renderer,
        const std::shared_ptr<RenderProgressViewController>& screen, AfterExport afterExport, ShareHandOff handOff);
    void closeRenderProgressScreen(const std::shared_ptr<RenderProgressViewController>& screen);
    // Plays the project's preview, or asks to render it first.
    void playPreviewOfProject(const std::shared_ptr<ProjectModel>& project);
    // A preview whose project could not note it: told why, kept for this
    // screen's Play, then played.
    void keepUnnotedMovie(
        const std::shared_ptr<ProjectModel>& project, MovieRenderer& renderer, const plat::Error& why);
    std::optional<plat::URL> unnotedPreparedMovie(const ProjectModel& project, const MovieExportType& type);
    void finishDuplicate(const std::shared_ptr<ProjectModel>& source, const plat::Result<std::string>& copied,
        const std::shared_ptr<Hudy>& display);
    void showNameAgain(ProjectModel& project);
    void showPictureOnceCardsAreDrawn(const std::shared_ptr<ProjectModel>& project);
    bool isNameBeingTyped() const;
    // Tells of a frame list that was repaired as the project was read, and keeps the repair.
    void reportRepairOf(ProjectModel& project);
    int64_t indexOfProject(const ProjectModel* project) const;
    // Reads the projects list into the carousel; gives where it starts.
    int64_t readProjectsList();
    // Where the list read anew starts: the project to centre, else the last selection.
    int64_t startIndex() const;
    double openScale() const;
    void addScaleAnimation(plat::View& view, double from, double to, double seconds);
    void fadeDetails(double alpha);
    std::shared_ptr<MovieExportType> previewExportType(plat::Size size) const;
    void checkLowStorage();
    void showWelcome();

    Outlets _outlets;
    std::vector<std::shared_ptr<ProjectModel>> _projects;
    // Every folder name this screen listed or added: names in the list file
    // beyond these were added meanwhile by someone else (an import).
    std::set<std::string> _knownProjectNames;
    std::shared_ptr<plat::View> _selectedCarouselView;
    std::shared_ptr<ProjectModel> _selectedProject;
    // The project whose name is being typed: the selection may move meanwhile.
    std::shared_ptr<ProjectModel> _renamedProject;
    // The cards of a renamed project, drawn again before it opens or exports.
    ThemeCardsRedraw _cardsRedraw;
    // The project tapped to open: the selection may move before it opens.
    std::shared_ptr<ProjectModel> _openingProject;
    // By folder: an import read while it was edited or played puts another
    // project at its place in the list.
    std::optional<std::string> _projectPathToCentre;
    bool _shouldDisplayPorjectScaleAnimation = false;
    std::shared_ptr<MovieRenderer> _movieRenderer;
    std::shared_ptr<RenderProgressViewController> _renderProgressViewController;
    std::shared_ptr<QVNavigationController> _renderProgressNavigation;
    // Previews rendered on this screen whose projects could not note them,
    // by project folder: their renderers still know them as prepared.
    std::map<std::string, std::shared_ptr<MovieRenderer>> _unnotedMovies;
    std::weak_ptr<MainViewControllerDelegate> _delegate;
    std::shared_ptr<plat::PopoverController> _popover;
    std::shared_ptr<HelpManager> _helpManager;
    // The passcode screen while it is shown: asked for again meanwhile, it is not shown twice.
    std::weak_ptr<plat::ViewController> _passCodeScreen;
    std::shared_ptr<MessagesAfterWelcome> _messagesAfterWelcome;
};

}  // namespace zt
