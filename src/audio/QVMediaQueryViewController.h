#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/media/AudioPlayer.h"
#include "platform/ui/TableViewController.h"

namespace plat {
class BarButtonItem;
class Button;
}  // namespace plat

namespace zt {
class QVMediaPickerItem;
class QVMediaQueryViewController;

// Both optional: the defaults do nothing.
class QVMediaQueryViewControllerDelegate {
public:
    virtual ~QVMediaQueryViewControllerDelegate() = default;
    virtual void qvMediaQueryViewController(QVMediaQueryViewController& list,
        const std::vector<std::shared_ptr<QVMediaPickerItem>>& mediaItems,
        const std::shared_ptr<QVMediaPickerItem>& selectedItem)
    {
        (void)list;
        (void)mediaItems;
        (void)selectedItem;
    }
    virtual void qvMediaQueryViewControllerDidSelectRemoveItem(
        QVMediaQueryViewController& list, const std::shared_ptr<QVMediaPickerItem>& item)
    {
        (void)list;
        (void)item;
    }
};

// A list of the sound files of one folder (read once, when the view
// loads), by title without regard to case, each row with a button that
// plays it as a preview; a tapped row is picked. Main thread.
class QVMediaQueryViewController : public plat::TableViewController, public plat::AudioPlayerDelegate {
public:
    QVMediaQueryViewController();
    ~QVMediaQueryViewController() override;

    const std::optional<std::string>& queryFolder() const { return _queryFolder; }
    void setQueryFolder(std::optional<std::string> folder) { _queryFolder = std::move(folder); }
    std::weak_ptr<QVMediaQueryViewControllerDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<QVMediaQueryViewControllerDelegate> delegate) { _delegate = std::move(delegate); }
    bool showsCancelButton() const { return _showsCancelButton; }
    void setShowsCancelButton(bool shows) { _showsCancelButton = shows; }
    const std::vector<std::shared_ptr<QVMediaPickerItem>>& mediaItems() const { return _mediaItems; }
    int64_t currentPlayedIndex() const { return _currentPlayedIndex; }
    const std::shared_ptr<plat::AudioPlayer>& audioPlayer() const { return _audioPlayer; }

    // The folder's sound files become the rows; nothing changes without a folder.
    virtual void updateLibraryFromFolderAtPath(const std::optional<std::string>& folder);
    void actionPlayButton(plat::Button& sender);
    void audioPlayerDidFinishPlaying(plat::AudioPlayer& player, bool successfully) override;

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const override;
    unsigned supportedInterfaceOrientations() const override;

    int64_t tableViewNumberOfRowsInSection(plat::TableView&, int64_t section) override;
    std::shared_ptr<plat::TableViewCell> tableViewCellForRowAtIndexPath(
        plat::TableView& tableView, plat::IndexPath path) override;
    void tableViewDidSelectRowAtIndexPath(plat::TableView&, plat::IndexPath path) override;

    // Whether the file's extension names a sound type.
    static bool isAudioFile(const std::string& path);

protected:
    std::shared_ptr<QVMediaPickerItem> itemAt(int64_t row) const;
    void stopPreview();

    std::vector<std::shared_ptr<QVMediaPickerItem>> _mediaItems;
    std::weak_ptr<QVMediaQueryViewControllerDelegate> _delegate;

private:
    std::optional<std::string> _queryFolder;
    bool _showsCancelButton = false;
    int64_t _currentPlayedIndex = -1;
    std::shared_ptr<plat::AudioPlayer> _audioPlayer;
};

// The recordings list: the project folder's recordings ("record-..."
// files, titled by their date) and then the files of the shared audio inbox,
// every entry a recording; any row can be deleted. Main thread.
class QVRecordQueryViewController : public QVMediaQueryViewController {
public:
    void updateLibraryFromFolderAtPath(const std::optional<std::string>& folder) override;
    const std::optional<std::string>& directoryPath() const { return _directoryPath; }

    bool tableViewCanEditRowAtIndexPath(plat::TableView&, plat::IndexPath) override { return true; }
    bool commitsEditingStyles() const override { return true; }
    void tableViewCommitEditingStyleForRowAtIndexPath(
        plat::TableView& tableView, plat::TableViewCellEditingStyle style, plat::IndexPath path) override;

    // "Record: <date>" for a recording named by its date, else the file name without extension.
    static std::string titleForRecording(const std::string& fileName);

private:
    std::optional<std::string> _directoryPath;
};

}  // namespace zt
