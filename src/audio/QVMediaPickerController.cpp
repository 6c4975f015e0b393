#include "audio/QVMediaPickerController.h"

#include "audio/QVMediaPickerItem.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"

namespace zt {

QVMediaPickerController::QVMediaPickerController(Passkey key, std::shared_ptr<ProjectModel> project)
    : MQMediaPickerController(key)
    , _project(std::move(project))
{
}

std::shared_ptr<QVMediaPickerController> QVMediaPickerController::initWithProject(std::shared_ptr<ProjectModel> project)
{
    auto picker = std::make_shared<QVMediaPickerController>(Passkey(), std::move(project));
    picker->init();
    return picker;
}

void QVMediaPickerController::setupViewControllers()
{
    setAllowsSelectionOfNonPlayableItem(false);
    MQMediaPickerController::setupViewControllers();
    setupAdditionalViewControllers();
}

std::shared_ptr<QVMediaQueryViewController> QVMediaPickerController::makeList(
    std::shared_ptr<QVMediaQueryViewController> list, std::optional<std::string> folder)
{
    list->setDelegate(
        std::static_pointer_cast<QVMediaQueryViewControllerDelegate>(sharedAs<QVMediaPickerController>()));
    list->setShowsCancelButton(true);
    list->setQueryFolder(std::move(folder));
    return list;
}

void QVMediaPickerController::setupAdditionalViewControllers()
{
    auto bundleFolder = [](const char* name) {
        auto path = plat::Bundle::mainBundle().pathForResource(name, "bundle");
        if (!path)
            plat::log("sound lists: the app has no {}.bundle", name);
        return path;
    };
    _projectAudioViewController = std::static_pointer_cast<QVRecordQueryViewController>(makeList(
        std::make_shared<QVRecordQueryViewController>(), _project ? _project->getProjectPath() : std::nullopt));
    _themeMusicViewController = makeList(std::make_shared<QVMediaQueryViewController>(), bundleFolder("theme_music"));
    _soundEffectsViewController
        = makeList(std::make_shared<QVMediaQueryViewController>(), bundleFolder("theme_effects"));
    std::vector<std::shared_ptr<plat::ViewController>> tabs {
        wrapInTab(_projectAudioViewController, plat::localized("Recordings"), "qvmediapicker_tab_theme_records"),
        wrapInTab(_themeMusicViewController, plat::localized("Theme Music"), "qvmediapicker_tab_theme_music"),
        wrapInTab(_soundEffectsViewController, plat::localized("Sound Effects"), "qvmediapicker_tab_theme_effects"),
    };
    tabs.insert(tabs.end(), libraryTabs().begin(), libraryTabs().end());
    tabBarController()->setViewControllers(std::move(tabs));
    setSelectedTabIndex(kSoundEffectsTab);
    updateTabBarControllerIndex();
}

std::shared_ptr<QVMediaPickerControllerDelegate> QVMediaPickerController::appDelegate() const
{
    return std::dynamic_pointer_cast<QVMediaPickerControllerDelegate>(delegate().lock());
}

void QVMediaPickerController::qvMediaQueryViewController(QVMediaQueryViewController&,
    const std::vector<std::shared_ptr<QVMediaPickerItem>>& mediaItems,
    const std::shared_ptr<QVMediaPickerItem>& selectedItem)
{
    auto self = sharedAs<QVMediaPickerController>();  // the delegate may let go of the picker
    if (auto target = appDelegate())
        target->qvMediaPicker(*this, mediaItems, selectedItem);
}

void QVMediaPickerController::qvMediaQueryViewControllerDidSelectRemoveItem(
    QVMediaQueryViewController&, const std::shared_ptr<QVMediaPickerItem>& item)
{
    auto self = sharedAs<QVMediaPickerController>();
    if (auto target = appDelegate())
        target->qvMediaPickerDidSelectRemoveItem(*this, item);
}

void QVMediaPickerController::cleanUp()
{
    for (const auto& list : std::initializer_list<std::shared_ptr<QVMediaQueryViewController>> {
             _projectAudioViewController, _themeMusicViewController, _soundEffectsViewController})
        if (list)
            list->setDelegate(std::weak_ptr<QVMediaQueryViewControllerDelegate>());
    MQMediaPickerController::cleanUp();
}

}  // namespace zt
