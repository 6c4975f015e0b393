#include "audio/AudioController.h"
#include "audio/QVMediaPickerItem.h"
#include "audio/QVMediaQueryViewController.h"
#include "document/FormatterUtil.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace zt {

namespace {

constexpr const char* kRecordingPrefix = "record-";
constexpr const char* kRecordingExtension = ".caf";
constexpr const char* kRecordingDateFormat = "yyyy-MM-dd-HH-mm-ss";

void eraseEvery(std::string& text, const std::string& part)
{
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at))
        text.erase(at, part.size());
}

// The folder's entries in its listing order; none when it cannot be read.
std::vector<std::string> entriesOf(const std::string& folder)
{
    auto names = plat::contentsOfDirectory(folder);
    if (!names.ok()) {
        plat::log("recordings: cannot read {}: {}", folder, names.error().localizedDescription());
        return {};
    }
    return names.value();
}

}  // namespace

std::string QVRecordQueryViewController::titleForRecording(const std::string& fileName)
{
    std::string title = plat::deletingPathExtension(fileName);
    if (!title.starts_with(kRecordingPrefix))
        return title;
    std::string stamp = title;
    eraseEvery(stamp, kRecordingPrefix);
    eraseEvery(stamp, kRecordingExtension);
    plat::DateFormatter formatter;
    formatter.setDateFormat(kRecordingDateFormat);
    auto date = formatter.dateFromString(stamp);
    // A recording whose name holds no date keeps its name rather than an empty date.
    if (!date)
        return title;
    return plat::localized("Record") + ": " + FormatterUtil::getFormatedDate(*date);
}

void QVRecordQueryViewController::updateLibraryFromFolderAtPath(const std::optional<std::string>& folder)
{
    if (!folder)
        return;
    _directoryPath = folder;
    std::vector<std::string> candidates;
    for (const auto& name : entriesOf(*folder))
        if (name.starts_with(kRecordingPrefix))
            candidates.push_back(plat::appendingPathComponent(*folder, name));
    std::string inbox = AudioController::sharedAudioInboxPath();
    if (plat::isDirectory(inbox))
        for (const auto& name : entriesOf(inbox))
            candidates.push_back(plat::appendingPathComponent(inbox, name));
    std::vector<std::shared_ptr<QVMediaPickerItem>> items;
    for (const auto& path : candidates) {
        // The inbox's sounds came in by what they hold, whatever their names say.
        if (!AudioController::isAudioFileAtURL(plat::URL::fileURLWithPath(path)))
            continue;
        auto item = QVMediaPickerItem::initWithURL(
            plat::URL::fileURLWithPath(path), titleForRecording(plat::lastPathComponent(path)));
        if (!item)
            continue;
        item->setIsRecord(true);
        items.push_back(std::move(item));
    }
    _mediaItems = std::move(items);
}

void QVRecordQueryViewController::tableViewCommitEditingStyleForRowAtIndexPath(
    plat::TableView& tableView, plat::TableViewCellEditingStyle style, plat::IndexPath path)
{
    if (style != plat::TableViewCellEditingStyle::Delete)
        return;
    auto item = itemAt(path.row);
    if (!item)
        return;
    stopPreview();
    size_t before = _mediaItems.size();
    if (auto delegate = _delegate.lock())
        delegate->qvMediaQueryViewControllerDidSelectRemoveItem(*this, item);
    updateLibraryFromFolderAtPath(_directoryPath);
    // The row goes only when its file went; otherwise the table shows the list as it is.
    if (_mediaItems.size() + 1 == before)
        tableView.deleteRowsAtIndexPaths({path}, plat::TableViewRowAnimation::Fade);
    else
        tableView.reloadData();
}

}  // namespace zt
