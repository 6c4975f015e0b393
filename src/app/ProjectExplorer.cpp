#include "app/ProjectExplorer.h"

#include <algorithm>

#include "document/DataManager.h"
#include "document/FailureAlerts.h"
#include "document/FailureReason.h"
#include "document/FilledText.h"
#include "document/FormatterUtil.h"
#include "document/MainViewControllerDelegate.h"
#include "document/ProjectModel.h"
#include "document/ProjectTexts.h"
#include "document/ProjectsList.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/BasicAnimation.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "share/ShareNotifications.h"
#include "uikit/Carousel.h"
#include "uikit/TransparentToolbar.h"

namespace zt {

namespace {

// Posted when an archive import added a project (start-up, opened files).
constexpr const char* kDidImportProjectNotification = "PROJECTIMPORTPROCESSOR_DID_IMPORT_PROJECT";
constexpr double kMinimumProductVersion = 4.0;
constexpr double kSelectSeconds = 0.25;
constexpr double kDeselectSeconds = 0.1;
constexpr double kOpenZoomSeconds = 0.25;
constexpr double kOpenMoveSeconds = 0.3;
// Where an opening item moves (and where a returning one comes from), in points.
constexpr double kOpenCentreY = 20.0;
constexpr double kReturnStartCentreY = -20.0;
// The item frame's outer corner radius, as a share of the item's width.
constexpr double kThumbnailCornerShare = 2.0 / 53.0;

bool isTablet()
{
    return plat::Device::currentDevice().isTablet();
}

bool hasFolder(const std::shared_ptr<ProjectModel>& project)
{
    return project && project->getProjectPath().has_value();
}

}  // namespace

ProjectExplorer::ProjectExplorer(std::string nibName)
    : plat::ViewController(std::move(nibName))
{
}

ProjectExplorer::~ProjectExplorer()
{
    plat::NotificationCenter::defaultCenter().removeObserver(this);
    plat::RunLoop::main().cancelPreviousPerformRequests(this);
}

bool ProjectExplorer::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return plat::isLandscape(orientation);
}

double ProjectExplorer::openScale() const
{
    return isTablet() ? kOpenScaleTablet : kOpenScalePhone;
}

void ProjectExplorer::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    plat::Application::sharedApplication().setStatusBarHidden(true);
    if (_outlets.btnInfo)
        _outlets.btnInfo->setImage(plat::Image::imageNamed("explorer_icon_help_ios7"));
    if (_outlets.galleryBtn)
        _outlets.galleryBtn->setImage(plat::Image::imageNamed("explorer_icon_galery_ios7"));
    if (_outlets.playBtn)
        _outlets.playBtn->setImage(plat::Image::imageNamed("explorer_icon_play_ios7"));
    if (_outlets.toolBar) {
        _outlets.toolBar->setTintColor(plat::Color::whiteColor());
        _outlets.toolBar->setTransparent(true);
    }
    if (_outlets.carousel)
        _outlets.carousel->setType(CarouselTypeLinear);
    if (_outlets.textFieldName)
        _outlets.textFieldName->setDelegate(sharedAs<ProjectExplorer>());
    if (_outlets.labelNewProjectInfo)
        _outlets.labelNewProjectInfo->setText(plat::localized("Tap + to start a new project"));
    if (auto logo = std::move(_outlets.imageViewExplorerLogo)) {
        logo->setHidden(true);
        logo->removeFromSuperview();
    }
    switchState();

    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    auto& center = plat::NotificationCenter::defaultCenter();
    center.addObserver(this, kDidImportProjectNotification, nullptr, [weakSelf](const plat::Notification&) {
        if (auto self = weakSelf.lock())
            self->receiveProjectImportProcessorDidImportProject();
    });
    center.addObserver(this, DoDuplicateProjectNotification, nullptr, [weakSelf](const plat::Notification&) {
        if (auto self = weakSelf.lock())
            self->receiveDuplicateProjectNotification();
    });
    center.addObserver(
        this, plat::ApplicationDidBecomeActiveNotification, nullptr, [weakSelf](const plat::Notification&) {
            if (auto self = weakSelf.lock())
                self->validateRestrictionsSettings();
        });
}

void ProjectExplorer::viewWillAppear(bool animated)
{
    plat::ViewController::viewWillAppear(animated);
    const int64_t start = readProjectsList();
    _outlets.carousel->scrollToItemAtIndex(start, /*animated=*/start == 0);
    updateCurrentProjectView(start);
    if (_outlets.viewWait)
        _outlets.viewWait->setHidden(true);
}

int64_t ProjectExplorer::readProjectsList()
{
    auto& carousel = _outlets.carousel;
    carousel->setUserInteractionEnabled(true);
    _projects.assign(1, std::make_shared<ProjectModel>(std::nullopt));
    if (auto names = ProjectsList::projectNames()) {
        _projects.reserve(names->size() + 1);
        for (const std::string& name : *names) {
            _projects.push_back(std::make_shared<ProjectModel>(ProjectsList::folderPathForName(name)));
            _knownProjectNames.insert(name);
        }
    }
    // A name being typed goes on for its project as read again, so that no
    // older reading of the project is left to save the old name over it.
    if (hasFolder(_renamedProject)) {
        auto same = std::find_if(_projects.begin(), _projects.end(),
            [&](const auto& project) { return project->getProjectPath() == _renamedProject->getProjectPath(); });
        if (same != _projects.end())
            _renamedProject = *same;
    }
    carousel->reloadData();
    const int64_t start = startIndex();
    _projectPathToCentre.reset();
    return start;
}

void ProjectExplorer::viewDidAppear(bool animated)
{
    plat::ViewController::viewDidAppear(animated);
    validateRestrictionsSettings();
    checkLowStorage();
    if (_shouldDisplayPorjectScaleAnimation) {
        _shouldDisplayPorjectScaleAnimation = false;
        playFrameEditorToProjectExplorerAnimation();
    }
    if (_outlets.toolBar)
        _outlets.toolBar->setAlpha(1.0);
    showWelcome();
}

// The carousel.

uint64_t ProjectExplorer::numberOfItemsInCarousel(Carousel&)
{
    return _projects.size();
}

std::shared_ptr<plat::Image> ProjectExplorer::getThumbImageForProjectAtIndex(int64_t index)
{
    if (index == 0)
        return plat::Image::imageNamed("explorer_icon_new_ios7");
    if (index < 0 || static_cast<size_t>(index) >= _projects.size())
        return nullptr;
    return _projects[static_cast<size_t>(index)]->getThumbImageForProject();
}

std::shared_ptr<plat::View> ProjectExplorer::carouselViewForItemAtIndexReusingView(
    Carousel&, int64_t index, std::shared_ptr<plat::View> reusingView)
{
    const bool isNewProjectSlot = index == 0;
    const auto mode = isNewProjectSlot ? plat::ContentMode::Center : plat::ContentMode::ScaleAspectFill;
    if (reusingView) {
        if (auto thumbnail = std::dynamic_pointer_cast<plat::ImageView>(reusingView->viewWithTag(kThumbnailTag))) {
            thumbnail->setImage(getThumbImageForProjectAtIndex(index));
            thumbnail->setContentMode(mode);
        }
        if (auto foreground = reusingView->viewWithTag(kForegroundTag))
            foreground->setHidden(isNewProjectSlot);
        return reusingView;
    }
    const plat::Size size = isTablet() ? kItemSizeTablet : kItemSizePhone;
    auto item = std::make_shared<plat::View>(plat::Rect {{0, 0}, size});
    item->setBounds(plat::Rect {{0, 0}, size});
    auto thumbnail = std::make_shared<plat::ImageView>(getThumbImageForProjectAtIndex(index));
    thumbnail->setClipsToBounds(true);
    // Rounded like the frame over it, so no corner of the picture shows outside.
    thumbnail->layer()->setCornerRadius(size.width * kThumbnailCornerShare);
    thumbnail->setTag(kThumbnailTag);
    thumbnail->setFrame(item->frame());
    thumbnail->setContentMode(mode);
    item->addSubview(thumbnail);
    auto foreground = std::make_shared<plat::ImageView>(
        plat::Image::imageNamed(isTablet() ? "explorer_frame_fg_iPad" : "explorer_frame_fg"));
    foreground->setTag(kForegroundTag);
    foreground->setCenter({size.width / 2, size.height / 2});
    foreground->setHidden(isNewProjectSlot);
    item->addSubview(foreground);
    item->layer()->setDoubleSided(false);
    return item;
}

std::optional<double> ProjectExplorer::carouselItemWidth(Carousel&)
{
    return isTablet() ? kItemWidthTablet : kItemWidthPhone;
}

void ProjectExplorer::carouselDidSelectItemAtIndex(Carousel& carousel, int64_t index)
{
    // Only the centred item opens; a tap on another scrolls it to the centre.
    if (index != indexOfProject(_selectedProject.get()))
        return;
    carousel.setUserInteractionEnabled(false);
    actionAddImagesToRecord();
}

void ProjectExplorer::carouselWillBeginDragging(Carousel&)
{
    hideCurrentSelectedViewAndInfo();
}

void ProjectExplorer::carouselWillBeginScrollingAnimation(Carousel&)
{
    hideCurrentSelectedViewAndInfo();
}

void ProjectExplorer::carouselDidEndScrollingAnimation(Carousel& carousel)
{
    updateCurrentProjectView(carousel.currentItemIndex());
    _selectedCarouselView = carousel.currentItemView();
    if (_selectedCarouselView)
        addScaleAnimation(*_selectedCarouselView, 1.0, kCarouselMaximumScale, kSelectSeconds);
}

void ProjectExplorer::addScaleAnimation(plat::View& view, double from, double to, double seconds)
{
    plat::BasicAnimation scale("transform.scale");
    scale.setFromValue(plat::AnimationValue(from));
    scale.setToValue(plat::AnimationValue(to));
    scale.setDuration(seconds);
    // It stays at its end: the item keeps the size it was animated to.
    scale.setRemovedOnCompletion(false);
    scale.setFillMode(plat::FillMode::Forwards);
    view.layer()->addAnimation(scale, "scale");
}

// Selection and details.

int64_t ProjectExplorer::indexOfProject(const ProjectModel* project) const
{
    for (size_t i = 0; i < _projects.size(); ++i)
        if (_projects[i].get() == project)
            return static_cast<int64_t>(i);
    return plat::kNotFound;
}

int64_t ProjectExplorer::startIndex() const
{
    if (_projectPathToCentre) {
        for (size_t i = 1; i < _projects.size(); ++i)
            if (_projects[i]->getProjectPath() == _projectPathToCentre)
                return static_cast<int64_t>(i);
    }
    if (auto last = DataManager::sharedDataManager().lastSelection();
        last && static_cast<uint64_t>(*last) < _projects.size())
        return *last;
    return 0;
}

void ProjectExplorer::fadeDetails(double alpha)
{
    if (!_outlets.viewProjectDetails)
        return;
    // The platform's default duration.
    plat::View::beginAnimations("", {});
    _outlets.viewProjectDetails->setAlpha(alpha);
    plat::View::commitAnimations();
}

void ProjectExplorer::updateCurrentProjectView(int64_t index)
{
    const bool isValid = index >= 0 && static_cast<size_t>(index) < _projects.size();
    // A name being typed belongs to the project shown so far: it is stored
    // before the field shows another's.
    if (isNameBeingTyped() && !(isValid && _projects[static_cast<size_t>(index)] == _renamedProject))
        _outlets.textFieldName->resignFirstResponder();
    if (!isValid)
        return;
    if (index == 0)
        fadeDetails(0);
    _selectedProject = _projects[static_cast<size_t>(index)];
    DataManager::sharedDataManager().setLastSelection(index);
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    plat::RunLoop::main().performAfterDelay(this, kDetailsDelaySeconds, [weakSelf] {
        if (auto self = weakSelf.lock())
            self->setMetaDescription();
    });
    switchState();
}

void ProjectExplorer::switchState()
{
    const bool projectWithFolder = hasFolder(_selectedProject);
    if (_outlets.labelNewProjectInfo)
        _outlets.labelNewProjectInfo->setHidden(projectWithFolder);
    for (const auto& button :
        {_outlets.playBtn, _outlets.trashBtn, _outlets.addBtn, _outlets.editorBtn, _outlets.shareBtn}) {
        if (button)
            button->setEnabled(projectWithFolder);
    }
}

void ProjectExplorer::hideCurrentSelectedViewAndInfo()
{
    fadeDetails(0);
    if (auto view = std::move(_selectedCarouselView))
        addScaleAnimation(*view, kCarouselMaximumScale, 1.0, kDeselectSeconds);
}

void ProjectExplorer::setMetaDescription()
{
    if (!hasFolder(_selectedProject))
        return;
    ProjectModel& project = *_selectedProject;
    plat::Dictionary metadata = project.getMetaData().value_or(plat::Dictionary());
    // What the person is typing stays until the edit ends.
    if (_outlets.textFieldName && !isNameBeingTyped())
        _outlets.textFieldName->setText(shownNameOf(project));

    std::string dateText;
    auto seconds = metadata.getDouble("RecordLastChange");
    if (!seconds)
        seconds = metadata.getDouble("RecordDateCreated");
    if (seconds)
        dateText = FormatterUtil::getFormatedDate(plat::Date::withTimeIntervalSince1970(*seconds));
    std::string details = dateText;
    if (auto version = metadata.getDouble("ProductVersion"); version && *version >= kMinimumProductVersion) {
        const int64_t frames = project.getFrameList().count() - 1;  // less the capture placeholder
        const double duration = static_cast<double>(frames) / static_cast<double>(project.recordFPS());
        std::string framesText;
        if (frames == 1)
            framesText = plat::formatLine("({} {}) ", frames, plat::localized("Frame"));
        else if (frames >= 2)
            framesText = plat::formatLine("({} {}) ", frames, plat::localized("Frames"));
        details = plat::formatLine("{} - {} {}- {}", dateText, FormatterUtil::getFormatedDuration(duration), framesText,
            FormatterUtil::getFormatedFileSize(project.getUsedStorageSpace()));
    }
    if (_outlets.labelDate)
        _outlets.labelDate->setText(details);
    reportRepairOf(project);
    if (_outlets.viewProjectDetails) {
        plat::View::beginAnimations("viewProjectDetails", {});
        plat::View::setAnimationDuration(kDetailsFadeSeconds);
        plat::View::setAnimationDelay(0);
        _outlets.viewProjectDetails->setAlpha(1.0);
        plat::View::commitAnimations();
    }
}

// Rename.

bool ProjectExplorer::textFieldShouldReturn(plat::TextField& textField)
{
    textField.resignFirstResponder();
    return false;
}

bool ProjectExplorer::isNameBeingTyped() const
{
    return _outlets.textFieldName && _outlets.textFieldName->isEditing();
}

void ProjectExplorer::textFieldDidBeginEditing(plat::TextField&)
{
    _renamedProject = _selectedProject;
}

void ProjectExplorer::textFieldDidEndEditing(plat::TextField& textField)
{
    auto project = std::move(_renamedProject);
    if (!hasFolder(project))
        return;
    auto metadata = project->getMetaData();
    if (!metadata) {
        plat::log("explorer: the project's metadata cannot be read; the name is not changed");
        showNameAgain(*project);
        showAlert(plat::localized("The project could not be renamed."),
            plat::localized("The project's details cannot be read."));
        return;
    }
    const std::string name = textField.text();
    if (metadata->getString("RecordName") == name)
        return;
    // The movie may show the name (on its cards): the next one is made anew.
    auto saved = project->changeMetaData({{"RecordName", name}, {"RecordNeedsRendering", true}});
    if (saved.ok()) {
        if (_cardsRedraw.redrawCardsShowingName(project))
            showPictureOnceCardsAreDrawn(project);
        return;
    }
    // Only a stored name is shown.
    showNameAgain(*project);
    showFailureAlert(plat::localized("The project could not be renamed."), saved.error());
}

void ProjectExplorer::showPictureOnceCardsAreDrawn(const std::shared_ptr<ProjectModel>& project)
{
    // Its picture in the carousel is its first frame's: the title card.
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    _cardsRedraw.whenCardsAreDrawn([weakSelf, project] {
        auto self = weakSelf.lock();
        const int64_t index = self ? self->indexOfProject(project.get()) : plat::kNotFound;
        auto item = index != plat::kNotFound ? self->_outlets.carousel->itemViewAtIndex(index) : nullptr;
        if (auto picture
            = item ? std::dynamic_pointer_cast<plat::ImageView>(item->viewWithTag(kThumbnailTag)) : nullptr)
            picture->setImage(self->getThumbImageForProjectAtIndex(index));
    });
}

void ProjectExplorer::showNameAgain(ProjectModel& project)
{
    if (_outlets.textFieldName && _selectedProject.get() == &project)
        _outlets.textFieldName->setText(shownNameOf(project));
}

void ProjectExplorer::reportRepairOf(ProjectModel& project)
{
    auto repair = project.takeFrameListRepair();
    if (!repair)
        return;
    // The repair is kept at once, so it is neither made nor told again.
    auto saved = project.saveFramelistToDisk();
    std::string message = filledText(plat::localized("The frame list of “%@” was damaged. %d frames were recovered; "
                                                     "the damaged list is kept in the project as %@."),
        {nameInMessage(project), std::to_string(repair->recoveredFrames()),
            project.frameListKeptAside().value_or(ProjectDataWrapper::kFrameListFileName)});
    if (!saved.ok())
        message
            += " " + filledText(plat::localized("The repair could not be saved: %@"), {failureReason(saved.error())});
    showAlert(plat::localized("Project Repaired"), message);
}

// Open.

void ProjectExplorer::actionAddImagesToRecord()
{
    if (!checkIfProjectNeedsConversionAnConvertIt() || !checkIfFrameListCanBeRead()) {
        // A refused project leaves the carousel usable.
        _outlets.carousel->setUserInteractionEnabled(true);
        return;
    }
    if (_outlets.viewWait)
        _outlets.viewWait->setHidden(false);
    _openingProject = _selectedProject;
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    plat::RunLoop::main().performAfterDelay(this, kOpenDelaySeconds, [weakSelf] {
        auto self = weakSelf.lock();
        if (!self)
            return;
        // The editor shows the cards as they are drawn for the name just typed.
        self->_cardsRedraw.whenCardsAreDrawn([weakSelf] {
            if (auto owner = weakSelf.lock())
                owner->openProject();
        });
    });
}

bool ProjectExplorer::checkIfProjectNeedsConversionAnConvertIt()
{
    auto metadata = _selectedProject ? _selectedProject->getMetaData() : std::nullopt;
    auto version = metadata ? metadata->getDouble("ProductVersion") : std::nullopt;
    if (version && *version >= kMinimumProductVersion)
        return true;
    showAlert("", plat::localized("This project cannot be read by this version of the app."));
    return false;
}

bool ProjectExplorer::checkIfFrameListCanBeRead()
{
    auto why = _selectedProject ? unreadableFrameListText(*_selectedProject) : std::nullopt;
    if (!why)
        return true;
    showAlert(plat::localized("The project could not be opened."), *why);
    return false;
}

void ProjectExplorer::openProject()
{
    auto& carousel = _outlets.carousel;
    const int64_t index = carousel->currentItemIndex();
    _selectedCarouselView = carousel->currentItemView();
    auto item = _selectedCarouselView;
    if (item)
        addScaleAnimation(*item, kCarouselMaximumScale, openScale(), kOpenZoomSeconds);
    auto toolBar = _outlets.toolBar;
    // An import may have read the list again since the tap: the tapped project opens.
    std::shared_ptr<ProjectModel> project = _openingProject ? std::move(_openingProject) : _selectedProject;
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    plat::View::animateWithDuration(
        kOpenMoveSeconds,
        [&] {
            if (item) {
                if (index != 0)
                    item->setCenter({item->center().x, kOpenCentreY});
                if (auto foreground = item->viewWithTag(kForegroundTag))
                    foreground->setHidden(true);
            }
            if (toolBar)
                toolBar->setAlpha(0);
        },
        [weakSelf, project](bool) {
            // The root container replaces this screen: keep it alive through the call.
            auto self = weakSelf.lock();
            if (!self)
                return;
            if (auto delegate = self->_delegate.lock())
                delegate->didFinishProjectExplorer(*self, project);
        });
}

void ProjectExplorer::playFrameEditorToProjectExplorerAnimation()
{
    auto item = _outlets.carousel->currentItemView();
    if (!item)
        return;
    addScaleAnimation(*item, openScale(), 1.0, kOpenZoomSeconds);
    const plat::Point centre = item->center();
    item->setCenter({centre.x, kReturnStartCentreY});
    plat::View::animateWithDuration(kOpenMoveSeconds, [&] { item->setCenter(centre); });
}

// Notifications.

void ProjectExplorer::receiveProjectImportProcessorDidImportProject()
{
    Carousel& carousel = *_outlets.carousel;
    // A row still moving (after a tap on another item, a swipe) stays with
    // the project the person moved it to, not the one it left.
    const bool isMoving = carousel.scrolling() || carousel.decelerating() || carousel.dragging();
    const int64_t resting = carousel.restingItemIndex();
    const auto chosen = isMoving && static_cast<size_t>(resting) < _projects.size()
        ? _projects[static_cast<size_t>(resting)]
        : _selectedProject;
    // The imported project comes first in the list: the one chosen stays
    // centred, and so does the new-project slot, which stays first.
    if (hasFolder(chosen))
        _projectPathToCentre = chosen->getProjectPath();
    else
        DataManager::sharedDataManager().setLastSelection(0);
    if (!isMoving) {
        viewWillAppear(/*animated=*/false);
        return;
    }
    const double offsetFromResting = carousel.scrollOffset() - static_cast<double>(resting);
    const int64_t start = readProjectsList();
    // The row keeps its place beside the chosen project and goes on to its
    // rest; a finger holding it moves it on itself.
    carousel.setScrollOffset(static_cast<double>(start) + offsetFromResting);
    if (!carousel.dragging())
        carousel.scrollToItemAtIndex(start, /*animated=*/true);
    updateCurrentProjectView(start);
}

void ProjectExplorer::receiveDuplicateProjectNotification()
{
    actionDuplicate();
}

}  // namespace zt
