// The painter screen's writing: the frame's painter files and picture, the
// preview and thumbnail, the settings and the project's rendering mark.
#include "document/DataManager.h"
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

void writeOrLog(ProjectModel& project, const plat::Data& data, const std::string& fileName)
{
    if (!project.updateRegularFileWithContents(data, fileName))
        plat::log("painter: cannot write {}", fileName);
}
}  // namespace

void PainterViewController::observeBackground()
{
    auto weakSelf = std::weak_ptr<PainterViewController>(sharedAs<PainterViewController>());
    plat::NotificationCenter::defaultCenter().addObserver(
        this, plat::ApplicationDidEnterBackgroundNotification, nullptr, [weakSelf](const plat::Notification&) {
            // The app may never come back: what is painted so far is written now.
            if (auto self = weakSelf.lock(); self && !self->_closed)
                self->storePainting();
        });
}

void PainterViewController::saveAndClose()
{
    if (_closed)
        return;  // the back button is disabled after one tap; a second call changes nothing
    _closed = true;
    storePainting();
    if (auto delegate = _delegate.lock())
        delegate->paintViewDidFinish(*this, _currentFrame);
}

void PainterViewController::storePainting()
{
    // Strokes still waiting for their delay are the frame's too.
    if (hasPendingStrokes())
        loadPendingStrokes();
    auto frame = _project->getFrameList().getFrameAtIndex(_currentFrame);
    if (frame && _painterLayerManager) {
        const std::string frameID = frame->frameID();
        const auto strokes = _painterLayerManager->encodeLayerInformation();
        const auto merged = _painterLayerManager->mergeDownAllLayer();
        if (!_isMasking)
            storePaintModeFiles(frameID, strokes);
        if (merged) {
            if (auto jpeg = plat::JPEGRepresentation(*merged, kMergedPictureQuality))
                writeOrLog(*_project, *jpeg, framePictureFileName(frameID));
            else
                plat::log("painter: the picture of frame {} cannot be encoded", frameID);
            if (_isMasking)
                refreshPainterFilesAfterMasking(frameID, *merged);
        }
        ImageProducer(_project).createThumbNailAndPreviewForFrameAtIndex(_currentFrame);
    }
    storeSettings();
    if (auto metadata = _project->getMetaData()) {
        metadata->set("RecordNeedsRendering", true);
        auto saved = _project->saveMetaDataToDisk();
        if (!saved.ok())
            plat::log("painter: cannot save the project's metadata: {}", saved.error().localizedDescription());
    }
}

void PainterViewController::storePaintModeFiles(const std::string& frameID, const std::optional<plat::Data>& strokes)
{
    if (strokes)
        writeOrLog(*_project, *strokes, PainterFiles::canvasFileName(frameID));
    // The unpainted picture, kept once before the first painting is merged
    // into the frame's picture (the copy fails harmlessly when it exists).
    _project->cloneFileWithPreferredFilename(
        framePictureFileName(frameID), PainterFiles::unpaintedPictureFileName(frameID));
    auto stored = _painterLayerManager->storeLayersForFrameID(frameID);
    if (!stored.ok())
        plat::log("painter: the layers of frame {} are not stored: {}", frameID, stored.error().localizedDescription());
}

void PainterViewController::refreshPainterFilesAfterMasking(const std::string& frameID, const plat::Image& merged)
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
                _project->removeRegularFileWithPreferredFilename(PainterFiles::layerPictureFileName(frameID, layerID));
                _project->removeRegularFileWithPreferredFilename(PainterFiles::layerStrokesFileName(frameID, layerID));
            }
        }
        _project->removeRegularFileWithPreferredFilename(layers);
    }
    if (!painted)
        return;
    if (auto jpeg = plat::JPEGRepresentation(merged, kMergedPictureQuality))
        writeOrLog(*_project, *jpeg, unpainted);
    else
        _project->removeRegularFileWithPreferredFilename(unpainted);
    if (auto empty = StrokeArchive::archivedDataWithStrokes({}); empty.ok())
        writeOrLog(*_project, empty.value(), strokes);
    else
        _project->removeRegularFileWithPreferredFilename(strokes);
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
