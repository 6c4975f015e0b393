// The painter screen's writing: the frame's painter files and picture, the
// preview and thumbnail, the settings and the project's rendering mark.
#include "document/DataManager.h"
#include "document/FailureAlerts.h"
#include "document/FailureReason.h"
#include "document/FrameFilesSnapshot.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "painter/PainterBrush.h"
#include "painter/PainterFiles.h"
#include "painter/PainterLayerManager.h"
#include "painter/PainterSettings.h"
#include "painter/PainterViewController.h"
#include "painter/Stroke.h"
#include "painter/StrokeArchive.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/ui/Application.h"

namespace zt {

namespace {
constexpr double kMergedPictureQuality = 1.0;

std::string framePictureFileName(const std::string& frameID)
{
    return "frame-" + frameID + ".jpg";
}

plat::Result<void> writeFile(ProjectModel& project, const plat::Data& data, const std::string& fileName)
{
    std::optional<plat::Error> failure;
    if (project.updateRegularFileWithContents(data, fileName, &failure))
        return plat::Result<void>::success();
    plat::log("painter: cannot write {}", fileName);
    return errorWithCause("PainterViewController", 1, "cannot write " + fileName, failure);
}

plat::Result<void> removeFile(ProjectModel& project, const std::string& fileName)
{
    std::optional<plat::Error> failure;
    if (project.removeRegularFileWithPreferredFilename(fileName, &failure))
        return plat::Result<void>::success();
    return errorWithCause("PainterViewController", 1, "cannot remove " + fileName, failure);
}
}  // namespace

void PainterViewController::observeBackground()
{
    auto weakSelf = std::weak_ptr<PainterViewController>(sharedAs<PainterViewController>());
    plat::NotificationCenter::defaultCenter().addObserver(
        this, plat::ApplicationDidEnterBackgroundNotification, nullptr, [weakSelf](const plat::Notification&) {
            // The app may never come back: what is painted so far is written now.
            if (auto self = weakSelf.lock(); self && !self->_closed) {
                if (auto stored = self->storePainting(); !stored.ok())
                    plat::log("painter: the painting is not stored: {}", stored.error().description());
            }
        });
}

void PainterViewController::saveAndClose()
{
    if (_closed)
        return;  // the back button is disabled after one tap; a second call changes nothing
    _closed = true;
    auto self = sharedAs<PainterViewController>();
    auto stored = storePainting();
    if (!stored.ok()) {
        // The frame stays as it was on disk, and the editor shows it so; the person hears why.
        plat::log("painter: the painting is not stored: {}", stored.error().description());
        showFailureAlert(
            plat::localized(_isMasking ? "The mask could not be saved." : "The painting could not be saved."),
            stored.error());
    }
    if (auto delegate = _delegate.lock())
        delegate->paintViewDidFinish(*this, _currentFrame);
}

plat::Result<void> PainterViewController::storePainting()
{
    // Strokes still waiting for their delay are the frame's too.
    if (hasPendingStrokes())
        loadPendingStrokes();
    // The tools and colours are the painter's own, not the project's: they are kept whatever becomes of the frame.
    storeSettings();
    auto frame = _project->getFrameList().getFrameAtIndex(_currentFrame);
    const auto& folder = _project->getProjectPath();
    if (!frame || !_painterLayerManager || !folder)
        return plat::Result<void>::success();
    const std::string frameID = frame->frameID();
    // A painting that could not be read back lives on in the frame's
    // pictures only: they stay byte for byte as they are unless something is
    // painted over them.
    if (_paintingUnread && !_painterLayerManager->hasStrokes())
        return plat::Result<void>::success();
    // Nothing was changed since the frame's files were read or written: they
    // stay byte for byte as they are (a picture encoded again never does).
    if (_storedContents && *_storedContents == _painterLayerManager->contents())
        return plat::Result<void>::success();
    // A frame is written whole or not at all: what was written before a
    // failure is put back, and what a run killed on the way wrote is put
    // back by the next start.
    auto before = FrameFilesSnapshot::take(*folder, frameID);
    if (!before.ok())
        return before.error();
    auto stored = storeFrameFiles(frameID);
    if (stored.ok())
        stored = _project->changeMetaData({{"RecordNeedsRendering", true}});
    if (!stored.ok()) {
        auto restored = before.value().restore();
        if (!restored.ok())
            plat::log("painter: frame {} is not put back whole: {}", frameID, restored.failureDescription());
        return stored;
    }
    before.value().release();
    // The picture painted on is the frame's unpainted one now.
    _paintingUnread = false;
    _paintedOnPicture.reset();
    _storedContents = _painterLayerManager->contents();
    return stored;
}

plat::Result<void> PainterViewController::storeFrameFiles(const std::string& frameID)
{
    const auto strokes = _painterLayerManager->encodeLayerInformation();
    const auto merged = _painterLayerManager->mergeDownAllLayer();
    if (!_isMasking) {
        if (auto stored = storePaintModeFiles(frameID, strokes); !stored.ok())
            return stored;
    }
    if (merged) {
        auto jpeg = plat::JPEGRepresentation(*merged, kMergedPictureQuality);
        if (!jpeg)
            return plat::Error("PainterViewController", 1, "the picture of frame " + frameID + " cannot be encoded");
        if (auto written = writeFile(*_project, *jpeg, framePictureFileName(frameID)); !written.ok())
            return written;
        if (_isMasking) {
            if (auto refreshed = refreshPainterFilesAfterMasking(frameID, *merged); !refreshed.ok())
                return refreshed;
        }
    }
    ImageProducer(_project).createThumbNailAndPreviewForFrameAtIndex(_currentFrame);
    return plat::Result<void>::success();
}

plat::Result<void> PainterViewController::storePaintModeFiles(
    const std::string& frameID, const std::optional<plat::Data>& strokes)
{
    // Painting over a painting that could not be read back writes over
    // painter files that are the person's work: each is kept aside first.
    if (_paintingUnread) {
        for (const std::string& replaced : {PainterFiles::unpaintedPictureFileName(frameID),
                 PainterFiles::canvasFileName(frameID), PainterFiles::layersFileName(frameID)}) {
            if (_project->fileDataForFileWithPreferredFilename(replaced)
                && !PainterFiles::keepReplacedFileAside(*_project, replaced))
                return plat::Error("PainterViewController", 1, "cannot keep " + replaced + " aside");
        }
    }
    if (strokes) {
        if (auto written = writeFile(*_project, *strokes, PainterFiles::canvasFileName(frameID)); !written.ok())
            return written;
    }
    // The unpainted picture, kept once before the first painting is merged
    // into the frame's picture. It is copied only when missing, so a failed
    // copy is a failure to keep it. Over a painting that could not be read
    // back, the frame's picture with that painting in it is painted on, and
    // becomes the unpainted picture, so that the next opening shows the
    // painting once, under what is painted now.
    const std::string unpainted = PainterFiles::unpaintedPictureFileName(frameID);
    if (_paintingUnread) {
        if (_paintedOnPicture) {
            if (auto written = writeFile(*_project, *_paintedOnPicture, unpainted); !written.ok())
                return written;
        }
    } else if (std::optional<plat::Error> failure; !_project->fileDataForFileWithPreferredFilename(unpainted)
               && !_project->cloneFileWithPreferredFilename(framePictureFileName(frameID), unpainted, &failure)
               && _project->fileDataForFileWithPreferredFilename(framePictureFileName(frameID)))
        return errorWithCause(
            "PainterViewController", 1, "cannot keep the unpainted picture of frame " + frameID, failure);
    auto stored = _painterLayerManager->storeLayersForFrameID(frameID);
    if (!stored.ok())
        plat::log("painter: the layers of frame {} are not stored: {}", frameID, stored.error().localizedDescription());
    return stored;
}

plat::Result<void> PainterViewController::refreshPainterFilesAfterMasking(
    const std::string& frameID, const plat::Image& merged)
{
    // The masked picture has the painting in it: the frame's earlier
    // unpainted picture and strokes no longer match it, and painting again
    // would show the old picture or the strokes twice. The masked picture
    // becomes the unpainted one, with no strokes of its own over it.
    const std::string unpainted = PainterFiles::unpaintedPictureFileName(frameID);
    const std::string strokes = PainterFiles::canvasFileName(frameID);
    const std::string layers = PainterFiles::layersFileName(frameID);
    const bool painted = _project->fileDataForFileWithPreferredFilename(unpainted)
        || _project->fileDataForFileWithPreferredFilename(strokes);
    if (auto list = _project->fileDataForFileWithPreferredFilename(layers)) {
        if (auto entries = PainterLayerArchive::layersWithData(*list); entries.ok()) {
            for (const auto& entry : entries.value()) {
                const std::string layerID = entry.getString("UUID").value_or("");
                for (const std::string& name : {PainterFiles::layerPictureFileName(frameID, layerID),
                         PainterFiles::layerStrokesFileName(frameID, layerID)}) {
                    if (auto removed = removeFile(*_project, name); !removed.ok())
                        return removed;
                }
            }
        }
        if (auto removed = removeFile(*_project, layers); !removed.ok())
            return removed;
    }
    if (!painted)
        return plat::Result<void>::success();
    auto jpeg = plat::JPEGRepresentation(merged, kMergedPictureQuality);
    auto written = jpeg ? writeFile(*_project, *jpeg, unpainted) : removeFile(*_project, unpainted);
    if (!written.ok())
        return written;
    auto empty = StrokeArchive::archivedDataWithStrokes({});
    return empty.ok() ? writeFile(*_project, empty.value(), strokes) : removeFile(*_project, strokes);
}

void PainterViewController::storeSettings()
{
    PainterSettings settings;
    settings.tool = _currentSelectedTool;
    PainterSettings::ToolColors toolColors = PainterSettings::kDefaultToolColors;
    for (size_t tool = 0; tool < toolColors.size() && tool < _colorToolList.size(); ++tool)
        toolColors[tool] = _colorToolList[tool];
    settings.toolColors = toolColors;
    PainterSettings::Palette palette = PainterSettings::defaultPalette();
    const auto colors = _colorPalette ? _colorPalette->getColors() : std::vector<plat::Color> {};
    for (size_t index = 0; index < palette.size() && index < colors.size(); ++index)
        palette[index] = colors[index];
    settings.palette = palette;
    PainterSettings::Sizes sizes = PainterSettings::kDefaultSizes;
    const int64_t types[] = {kBrushTypeBrush, kBrushTypePen, kBrushTypeFountainPen, kBrushTypeEraser};
    for (size_t index = 0; index < sizes.size(); ++index)
        if (auto found = _brushes.find(types[index]); found != _brushes.end())
            sizes[index] = found->second->size();
    settings.sizes = sizes;
    DataManager::sharedDataManager().setValue(settings.toDictionary(), PainterSettings::kSettingsKey);
    DataManager::saveState();
}

}  // namespace zt
