#include "platform/media/AssetExportSession.h"

#include <algorithm>
#include <unistd.h>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/media/Asset.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"

namespace plat {

namespace {

struct OutputKind {
    const char* fileType;
    const char* formatName;
};

constexpr OutputKind kOutputKinds[] = {
    {kFileTypeAppleM4A, "ipod"},
    {kFileTypeWAVE, "wav"},
    {kFileTypeAIFF, "aiff"},
};

// PCM codecs of the same samples in both byte orders.
struct ByteOrderPair {
    AVCodecID little;
    AVCodecID big;
    int width;
};

constexpr ByteOrderPair kByteOrderPairs[] = {
    {AV_CODEC_ID_PCM_S16LE, AV_CODEC_ID_PCM_S16BE, 2},
    {AV_CODEC_ID_PCM_S24LE, AV_CODEC_ID_PCM_S24BE, 3},
    {AV_CODEC_ID_PCM_S32LE, AV_CODEC_ID_PCM_S32BE, 4},
    {AV_CODEC_ID_PCM_F32LE, AV_CODEC_ID_PCM_F32BE, 4},
    {AV_CODEC_ID_PCM_F64LE, AV_CODEC_ID_PCM_F64BE, 8},
};

// How a source codec goes into a file type: the codec written and the bytes
// per sample to turn around (0: copied as they are); none when it cannot.
struct Conversion {
    AVCodecID codec;
    int swapWidth;
};

std::optional<Conversion> conversionFor(AVCodecID source, const std::string& fileType)
{
    if (fileType == kFileTypeAppleM4A) {
        if (source == AV_CODEC_ID_AAC || source == AV_CODEC_ID_ALAC)
            return Conversion {source, 0};
        return std::nullopt;
    }
    bool wantsBigEndian = fileType == kFileTypeAIFF;
    if (source == AV_CODEC_ID_PCM_U8 && !wantsBigEndian)
        return Conversion {source, 0};
    if (source == AV_CODEC_ID_PCM_S8 && wantsBigEndian)
        return Conversion {source, 0};
    for (const ByteOrderPair& pair : kByteOrderPairs) {
        if (source == pair.little)
            return Conversion {wantsBigEndian ? pair.big : pair.little, wantsBigEndian ? pair.width : 0};
        if (source == pair.big)
            return Conversion {wantsBigEndian ? pair.big : pair.little, wantsBigEndian ? 0 : pair.width};
    }
    return std::nullopt;
}

void swapSampleBytes(uint8_t* data, int size, int width)
{
    for (int i = 0; i + width <= size; i += width)
        std::reverse(data + i, data + i + width);
}

int firstAudioStream(const AVFormatContext& context)
{
    for (unsigned i = 0; i < context.nb_streams; ++i) {
        if (context.streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            return static_cast<int>(i);
    }
    return -1;
}

Error exportError(const std::string& text, const std::string& path = {}, int ffmpegCode = 0)
{
    return detail::mediaError(kMediaErrorExportFailed, text, path, ffmpegCode);
}

}  // namespace

std::vector<std::string> AssetExportSession::allExportPresets()
{
    return {kAssetExportPresetLowQuality, kAssetExportPresetMediumQuality, kAssetExportPresetHighestQuality,
        kAssetExportPreset640x480, kAssetExportPreset960x540, kAssetExportPreset1280x720, kAssetExportPreset1920x1080,
        kAssetExportPreset3840x2160, kAssetExportPresetAppleM4A, kAssetExportPresetPassthrough};
}

AssetExportSession::AssetExportSession(
    std::shared_ptr<const Asset> asset, std::string presetName, std::string sourcePath)
    : _asset(std::move(asset))
    , _presetName(std::move(presetName))
    , _sourcePath(std::move(sourcePath))
    , _queue(DispatchQueue::create("plat.media.exportsession"))
{
}

std::shared_ptr<AssetExportSession> AssetExportSession::exportSessionWithAsset(
    std::shared_ptr<const Asset> asset, const std::string& presetName)
{
    auto file = std::dynamic_pointer_cast<const URLAsset>(asset);
    if (presetName != kAssetExportPresetPassthrough || !file || file->error())
        return nullptr;
    std::string path = file->url().path();
    return std::make_shared<AssetExportSession>(std::move(asset), presetName, std::move(path));
}

std::vector<std::string> AssetExportSession::supportedFileTypes() const
{
    std::vector<std::string> types;
    auto audio = _asset->tracksWithMediaType(kMediaTypeAudio);
    if (audio.empty() || audio.front()->segments().empty())
        return types;
    auto opened = detail::openMediaFile(_sourcePath);
    if (!opened.ok())
        return types;
    int stream = firstAudioStream(*opened.value());
    if (stream < 0)
        return types;
    AVCodecID codec = opened.value()->streams[stream]->codecpar->codec_id;
    for (const OutputKind& kind : kOutputKinds) {
        if (conversionFor(codec, kind.fileType))
            types.emplace_back(kind.fileType);
    }
    return types;
}

std::optional<URL> AssetExportSession::outputURL() const
{
    std::lock_guard lock(_lock);
    return _outputURL;
}

void AssetExportSession::setOutputURL(const URL& url)
{
    std::lock_guard lock(_lock);
    _outputURL = url;
}

std::string AssetExportSession::outputFileType() const
{
    std::lock_guard lock(_lock);
    return _outputFileType;
}

void AssetExportSession::setOutputFileType(const std::string& fileType)
{
    std::lock_guard lock(_lock);
    _outputFileType = fileType;
}

std::optional<Error> AssetExportSession::error() const
{
    std::lock_guard lock(_lock);
    return _error;
}

void AssetExportSession::cancelExport()
{
    AssetExportSessionStatus current = status();
    while ((current == AssetExportSessionStatus::Unknown || current == AssetExportSessionStatus::Waiting
               || current == AssetExportSessionStatus::Exporting)
        && !_status.compare_exchange_weak(current, AssetExportSessionStatus::Cancelled)) { }
}

void AssetExportSession::exportAsynchronouslyWithCompletionHandler(std::function<void()> handler)
{
    AssetExportSessionStatus expected = AssetExportSessionStatus::Unknown;
    if (!_status.compare_exchange_strong(expected, AssetExportSessionStatus::Waiting)) {
        if (handler)
            _queue->async(std::move(handler));
        return;
    }
    _queue->async([self = shared_from_this(), handler = std::move(handler)] {
        AssetExportSessionStatus waiting = AssetExportSessionStatus::Waiting;
        if (self->_status.compare_exchange_strong(waiting, AssetExportSessionStatus::Exporting)) {
            auto url = self->outputURL();
            std::string fileType = self->outputFileType();
            Result<void> exported = url && url->isFileURL()
                ? self->runExport(url->path(), fileType)
                : Result<void>(exportError("an export needs a file URL to write to"));
            if (exported.ok()) {
                AssetExportSessionStatus exporting = AssetExportSessionStatus::Exporting;
                if (self->_status.compare_exchange_strong(exporting, AssetExportSessionStatus::Completed))
                    self->_progress = 1.0f;
            } else {
                {
                    std::lock_guard lock(self->_lock);
                    self->_error = exported.error();
                }
                AssetExportSessionStatus exporting = AssetExportSessionStatus::Exporting;
                self->_status.compare_exchange_strong(exporting, AssetExportSessionStatus::Failed);
            }
        }
        if (handler)
            handler();
    });
}

Result<void> AssetExportSession::runExport(const std::string& outputPath, const std::string& fileType)
{
    auto kind = std::find_if(
        std::begin(kOutputKinds), std::end(kOutputKinds), [&](const OutputKind& k) { return fileType == k.fileType; });
    if (kind == std::end(kOutputKinds))
        return exportError("the pass-through export cannot write the file type " + fileType);
    if (fileExists(outputPath))
        return detail::mediaError(kMediaErrorFileAlreadyExists, "a file exists at", outputPath);
    auto opened = detail::openMediaFile(_sourcePath);
    if (!opened.ok())
        return opened.error();
    AVFormatContext& input = *opened.value();
    int streamIndex = firstAudioStream(input);
    if (streamIndex < 0)
        return exportError("no sound to export in", _sourcePath);
    AVStream* source = input.streams[streamIndex];
    auto conversion = conversionFor(source->codecpar->codec_id, fileType);
    if (!conversion)
        return detail::mediaError(kMediaErrorOperationNotSupportedForAsset,
            "the sound cannot be copied without re-encoding into this file type:", _sourcePath);

    AVFormatContext* raw = nullptr;
    int allocated = avformat_alloc_output_context2(&raw, nullptr, kind->formatName, outputPath.c_str());
    if (allocated < 0 || !raw)
        return exportError("cannot write", outputPath, allocated);
    detail::OutputFormatContextPtr output(raw);
    AVStream* stream = avformat_new_stream(raw, nullptr);
    if (!stream || avcodec_parameters_copy(stream->codecpar, source->codecpar) < 0)
        return exportError("cannot describe the sound of", outputPath);
    stream->codecpar->codec_id = conversion->codec;
    stream->codecpar->codec_tag = 0;
    stream->time_base = source->time_base;
    int created = avio_open(&raw->pb, ("file:" + outputPath).c_str(), AVIO_FLAG_WRITE);
    if (created < 0)
        return detail::mediaError(kMediaErrorInvalidOutputURL, "cannot create", outputPath, created);
    // From here on a failure leaves no half-written file behind.
    struct RemoveOnFailure {
        const std::string& path;
        bool keep = false;
        ~RemoveOnFailure()
        {
            if (keep)
                return;
            if (auto removed = removeItemIfExists(path); !removed.ok())
                log("export: cannot remove the unfinished {}: {}", path, removed.error().localizedDescription());
        }
    } cleanup {outputPath};

    int header = avformat_write_header(raw, nullptr);
    if (header < 0)
        return exportError("cannot write the header of", outputPath, header);
    for (unsigned i = 0; i < input.nb_streams; ++i)
        input.streams[i]->discard = static_cast<int>(i) == streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    detail::PacketPtr packet(av_packet_alloc());
    if (!packet)
        return exportError("out of memory exporting", outputPath);
    double duration = source->duration > 0 ? static_cast<double>(source->duration) * av_q2d(source->time_base) : 0;
    while (true) {
        if (status() == AssetExportSessionStatus::Cancelled)
            return exportError("the export was cancelled:", outputPath);
        int read = av_read_frame(&input, packet.get());
        if (read == AVERROR_EOF)
            break;
        if (read < 0)
            return detail::mediaError(kMediaErrorFileFailedToParse, "cannot read", _sourcePath, read);
        if (packet->stream_index != streamIndex) {
            av_packet_unref(packet.get());
            continue;
        }
        if (conversion->swapWidth > 0) {
            int writable = av_packet_make_writable(packet.get());
            if (writable < 0)
                return exportError("out of memory exporting", outputPath, writable);
            swapSampleBytes(packet->data, packet->size, conversion->swapWidth);
        }
        if (duration > 0 && packet->pts != AV_NOPTS_VALUE)
            _progress = static_cast<float>(
                std::clamp(static_cast<double>(packet->pts) * av_q2d(source->time_base) / duration, 0.0, 1.0));
        packet->stream_index = 0;
        av_packet_rescale_ts(packet.get(), source->time_base, stream->time_base);
        int written = av_interleaved_write_frame(raw, packet.get());
        if (written < 0)
            return detail::mediaError(kMediaErrorDiskFull, "cannot write", outputPath, written);
    }
    int trailer = av_write_trailer(raw);
    if (trailer < 0)
        return detail::mediaError(kMediaErrorDiskFull, "cannot finish", outputPath, trailer);
    int closed = avio_closep(&raw->pb);
    if (closed < 0)
        return detail::mediaError(kMediaErrorDiskFull, "cannot write", outputPath, closed);
    cleanup.keep = true;
    return {};
}

}  // namespace plat
