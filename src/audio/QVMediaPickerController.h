#pragma once
#include <memory>
#include <vector>

#include "audio/MQMediaPickerController.h"
#include "audio/QVMediaQueryViewController.h"

namespace zt {
class ProjectModel;
class QVMediaPickerController;
class QVMediaPickerItem;

// What the app audio picker asks of its delegate beyond the music-library
// picker's: the pick from one of its own lists (optional) and the removal
// of a recording (which the delegate must carry out).
class QVMediaPickerControllerDelegate : public MQMediaPickerControllerDelegate {
public:
    virtual void qvMediaPicker(QVMediaPickerController& picker,
        const std::vector<std::shared_ptr<QVMediaPickerItem>>& mediaItems,
        const std::shared_ptr<QVMediaPickerItem>& selectedItem)
    {
        (void)picker;
        (void)mediaItems;
        (void)selectedItem;
    }
    virtual void qvMediaPickerDidSelectRemoveItem(
        QVMediaPickerController& picker, const std::shared_ptr<QVMediaPickerItem>& item)
        = 0;
};

// The picker the audio controller opens to add sound at a frame: the
// project's recordings (and the sounds other apps handed over), the app's
// theme music and its sound effects, in front of the four music-library
// tabs; it opens on Sound Effects. Its delegate (set with setDelegate) is
// told of picks from the app's lists when it is a
// QVMediaPickerControllerDelegate. Main thread.
class QVMediaPickerController : public MQMediaPickerController, public QVMediaQueryViewControllerDelegate {
public:
    static constexpr int32_t kSoundEffectsTab = 2;

    QVMediaPickerController(Passkey, std::shared_ptr<ProjectModel> project);

    static std::shared_ptr<QVMediaPickerController> initWithProject(std::shared_ptr<ProjectModel> project);

    void setupViewControllers() override;
    void setupAdditionalViewControllers();
    void cleanUp() override;

    const std::shared_ptr<QVRecordQueryViewController>& projectAudioViewController() const
    {
        return _projectAudioViewController;
    }
    const std::shared_ptr<QVMediaQueryViewController>& themeMusicViewController() const
    {
        return _themeMusicViewController;
    }
    const std::shared_ptr<QVMediaQueryViewController>& soundEffectsViewController() const
    {
        return _soundEffectsViewController;
    }

    void qvMediaQueryViewController(QVMediaQueryViewController& list,
        const std::vector<std::shared_ptr<QVMediaPickerItem>>& mediaItems,
        const std::shared_ptr<QVMediaPickerItem>& selectedItem) override;
    void qvMediaQueryViewControllerDidSelectRemoveItem(
        QVMediaQueryViewController& list, const std::shared_ptr<QVMediaPickerItem>& item) override;

private:
    std::shared_ptr<QVMediaQueryViewController> makeList(
        std::shared_ptr<QVMediaQueryViewController> list, std::optional<std::string> folder);
    std::shared_ptr<QVMediaPickerControllerDelegate> appDelegate() const;

    std::shared_ptr<ProjectModel> _project;
    std::shared_ptr<QVRecordQueryViewController> _projectAudioViewController;
    std::shared_ptr<QVMediaQueryViewController> _themeMusicViewController;
    std::shared_ptr<QVMediaQueryViewController> _soundEffectsViewController;
};

}  // namespace zt
