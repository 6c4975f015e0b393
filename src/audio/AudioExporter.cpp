#include "audio/AudioExporter.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "document/FileUtil.h"
#include "document/SoundFileInspection.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/media/Asset.h"
#include "platform/media/AssetExportSession.h"
#include "platform/media/AssetReader.h"
#include "platform/media/AssetReaderTrackOutput.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"

namespace zt {

namespace {

// How much shorter than its stated length a copy of MP3 frames may come out:
// without a table of contents the length is estimated from a bit rate.
constexpr double kCopyShortfallSeconds = 0.5;
constexpr double kCopyShortfallShare = 0.1;

plat::Error exporterError(int64_t code, const std::string& text, const std::optional<plat::Error>& cause = {})
{
    plat::Dictionary userInfo;
    if (cause)
        userInfo.set(plat::kLocalizedFailureReasonErrorKey, cause->localizedDescription());
    return plat::Error(AudioExporter::kErrorDomain, code, text, std::move(userInfo),
        cause ? std::make_shared<const plat::Error>(*cause) : nullptr);
}

std::optional<std::string> fileTypeForExtension(const std::string& extension)
{
    // Compared exactly, as the item's URL gives it.
    if (extension == "m4a")
        return plat::kFileTypeAppleM4A;
    if (extension == "wav")
        return plat::kFileTypeWAVE;
    if (extension == "aif")
        return plat::kFileTypeAIFF;
    return std::nullopt;
}

}  // namespace

std::optional<plat::Error> AudioExporter::error() const
{
    std::lock_guard lock(_lock);
    return _error;
}

void AudioExporter::finish(const CompletionHandler& completion, std::optional<plat::URL> file)
{
    _status = Finished;
    plat::DispatchQueue::mainQueue().async([self = shared_from_this(), completion, file = std::move(file)] {
        if (completion)
            completion(file);
    });
}

void AudioExporter::fail(const CompletionHandler& completion, plat::Error error)
{
    plat::log("audio export: {}", error.description());
    {
        std::lock_guard lock(_lock);
        _error = std::move(error);
    }
    _status = Failed;
    plat::DispatchQueue::mainQueue().async([self = shared_from_this(), completion] {
        if (completion)
            completion(std::nullopt);
    });
}

void AudioExporter::exportFileAtAssetURL(
    const plat::URL& assetURL, const std::string& folder, CompletionHandler completion)
{
    _status = Exporting;
    plat::DispatchQueue::globalQueue(plat::DispatchQueue::Priority::Background)
        .async([self = shared_from_this(), assetURL, folder, completion = std::move(completion)] {
            self->dispatchExport(assetURL, folder, completion);
        });
}

void AudioExporter::dispatchExport(
    const plat::URL& assetURL, const std::string& folder, const CompletionHandler& completion)
{
    auto asset = plat::URLAsset::URLAssetWithURL(assetURL);
    auto tracks = asset->tracks();
    if (tracks.empty())
        return fail(completion,
            exporterError(kNotValidMediaError, plat::localized("The file is not valid media."), asset->error()));
    // The first track decides; an item without a format is unsupported rather than never answered.
    const auto& formats = tracks.front()->formatDescriptions();
    if (formats.empty())
        return fail(
            completion, exporterError(kUnsupportedFormatError, plat::localized("The media format is unsupported.")));
    uint32_t subtype = 0;
    for (const auto& format : formats) {
        if (format.mediaType != plat::kMediaTypeAudio)
            return fail(completion,
                exporterError(kUnsupportedFormatError, plat::localized("The media format is unsupported.")));
        if (subtype == 0)
            subtype = format.mediaSubType;
    }
    if (subtype != plat::kAudioFormatMPEGLayer3 && subtype != plat::kAudioFormatMPEG4AAC)
        return fail(
            completion, exporterError(kUnsupportedFormatError, plat::localized("The media format is unsupported.")));
    // A damaged item would become a clip of silence: refused before anything is written.
    if (assetURL.isFileURL()) {
        auto inspected = SoundFileInspection::inspect(assetURL.path());
        if (!inspected.ok())
            return fail(completion,
                exporterError(kNotValidMediaError, plat::localized("The file is not valid media."), inspected.error()));
    }
    if (subtype == plat::kAudioFormatMPEGLayer3) {
        std::string path = plat::appendingPathComponent(folder, "audio-" + FileUtil::createUUID() + ".mp3");
        auto copied = exportMP3(assetURL, path);
        if (!copied.ok())
            return fail(completion, copied.error());
        return finish(completion, plat::URL::fileURLWithPath(path));
    }
    exportAAC(assetURL, folder, completion);
}

plat::Result<void> AudioExporter::exportMP3(const plat::URL& assetURL, const std::string& outputPath)
{
    auto asset = plat::URLAsset::URLAssetWithURL(assetURL);
    auto reader = plat::AssetReader::assetReaderWithAsset(asset);
    if (!reader.ok())
        return exporterError(kNotValidMediaError, plat::localized("The file is not valid media."), reader.error());
    auto tracks = asset->tracksWithMediaType(plat::kMediaTypeAudio);
    if (tracks.empty())
        return exporterError(kNotValidMediaError, plat::localized("The file is not valid media."));
    // Without settings the track output hands out the stored frames.
    auto output = plat::AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(tracks.front(), std::nullopt);
    if (!reader.value()->canAddOutput(output))
        return exporterError(kNotValidMediaError, plat::localized("The file is not valid media."));
    reader.value()->addOutput(output);
    if (!reader.value()->startReading())
        return exporterError(
            kNotValidMediaError, plat::localized("The file is not valid media."), reader.value()->error());

    // Written beside the destination and renamed at the end: a failed copy leaves nothing behind.
    std::string partial = outputPath + ".partial";
    plat::FileDescriptor file(::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file.isValid())
        return plat::Error::posix(errno, "create", partial);
    auto discard = [&](plat::Error error) -> plat::Result<void> {
        reader.value()->cancelReading();
        file = plat::FileDescriptor();
        (void)plat::removeItem(partial);
        return error;
    };
    int64_t buffers = 0;
    plat::MediaTime copied = plat::MediaTime::zero();
    while (auto buffer = output->copyNextSampleBuffer()) {
        const plat::Data& bytes = buffer->dataBuffer();
        auto wrote = plat::writeAll(file.get(), bytes.data(), bytes.size(), partial);
        if (!wrote.ok())
            return discard(wrote.error());
        ++buffers;
        if (buffer->duration().isNumeric())
            copied = copied + buffer->duration();
    }
    if (reader.value()->status() != plat::AssetReaderStatus::Completed)
        return discard(exporterError(
            kNotValidMediaError, plat::localized("The file could not be read to its end."), reader.value()->error()));
    if (buffers == 0)
        return discard(exporterError(kNotValidMediaError, plat::localized("The file is not valid media.")));
    // Frames that ended early (a file cut short while it was read) are a failed copy, not a shorter song.
    plat::MediaTime stated = tracks.front()->timeRange().duration;
    double allowed = std::max(kCopyShortfallSeconds, stated.seconds() * kCopyShortfallShare);
    if (stated.isNumeric() && copied + plat::MediaTime::makeWithSeconds(allowed, 1000) < stated)
        return discard(exporterError(kNotValidMediaError, plat::localized("The file could not be read to its end.")));
    if (::fsync(file.get()) != 0)
        return discard(plat::Error::posix(errno, "fsync", partial));
    if (file.close() != 0)
        return discard(plat::Error::posix(errno, "close", partial));
    if (::rename(partial.c_str(), outputPath.c_str()) != 0)
        return discard(plat::Error::posix(errno, "rename", outputPath));
    return {};
}

void AudioExporter::exportAAC(const plat::URL& assetURL, const std::string& folder, CompletionHandler completion)
{
    std::string extension = assetURL.pathExtension();
    auto fileType = fileTypeForExtension(extension);
    if (!fileType)
        return fail(
            completion, exporterError(kUnsupportedExtensionError, plat::localized("The media format is unsupported.")));
    auto asset = plat::URLAsset::URLAssetWithURL(assetURL);
    auto session = plat::AssetExportSession::exportSessionWithAsset(asset, plat::kAssetExportPresetPassthrough);
    if (!session)
        return fail(completion,
            exporterError(kNotValidMediaError, plat::localized("The file is not valid media."), asset->error()));
    auto output = plat::URL::fileURLWithPath(
        plat::appendingPathComponent(folder, "audio-" + FileUtil::createUUID() + "." + extension));
    session->setOutputURL(output);
    session->setOutputFileType(*fileType);
    _status = Exporting;
    session->exportAsynchronouslyWithCompletionHandler(
        [self = shared_from_this(), session, output, completion = std::move(completion)] {
            // Runs on the session's queue; the completion goes to the main queue.
            if (session->status() != plat::AssetExportSessionStatus::Completed)
                return self->fail(completion,
                    session->error().value_or(
                        exporterError(kNotValidMediaError, plat::localized("The file could not be copied."))));
            self->finish(completion, output);
        });
}

}  // namespace zt
