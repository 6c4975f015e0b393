#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/media/MediaTime.h"
#include "render/MovieRenderer.h"

namespace plat {
class AssetReader;
class AssetReaderAudioMixOutput;
class AssetWriter;
class AssetWriterInput;
class AssetWriterInputPixelBufferAdaptor;
class DispatchQueue;
class Image;
class PixelBuffer;
class PixelBufferPool;
class SampleBuffer;
}  // namespace plat

namespace zt {
class AudioClip;
class RenderImageProducer;

// Writes the project as a QuickTime movie: H.264 pictures of the export
// size, one per movie frame at the project's frame rate (the first picture
// twice, at 0 and after one frame), and the mixed sound of the project's
// clips as linear PCM (a clip whose sound file is damaged or missing is left
// out and named in unreadableSounds). It starts on the calling (main) thread; the writer
// then pulls pictures on "assetVideoWriterQueue" and sound on
// "assetAudioWriterQueue", and the export ends when both are written. The
// completion runs once, on the main queue (at once on the calling thread
// when the export cannot begin). After a finished movie the project's
// "RecordNeedsRendering" is set to NO and saved, on the main queue; a save
// that fails leaves the movie whole and is kept as noteError.
class ZantropeMovieRenderer : public MovieRenderer {
public:
    explicit ZantropeMovieRenderer(std::shared_ptr<ProjectModel> project);
    ~ZantropeMovieRenderer() override;

    // A clip can be mixed: its anchor frame exists, its duration is not
    // zero, its times and its range in the movie are valid, and its first
    // frame index is not after its last.
    bool isClipValid(const AudioClip& clip);
    // Creates the writer with both inputs and starts it; false (with the
    // error set) when the writer cannot be made or started. The export
    // writes at a fresh temporary name beside its file, which the finished
    // movie then replaces: a failed or cancelled export leaves the last one.
    bool openWriterAt(const plat::URL& url, plat::Size frameSize);
    bool setupAssetWriterAudioInput();
    bool setupAssetWriterVideoInputWithVideoSize(plat::Size size);
    // Ends the export, once: finishes the movie, or cancels reader and writer
    // after a failure or a cancel.
    void closeWriter();
    // A last step for each picture; the picture unchanged.
    std::shared_ptr<plat::Image> applyPostRenderStep(std::shared_ptr<plat::Image> image, int64_t frameIndex);
    // A pixel buffer of the export size (from a reused pool) holding the
    // picture at its own pixel size, as the platform draws it from the
    // bottom-left corner; black where there is no picture. nullptr only when
    // no buffer can be had.
    std::shared_ptr<plat::PixelBuffer> pixelBufferFromCGImage(const plat::Image* image);
    void renderMovie() override;
    // After a failed append: fails the export when the writer has failed.
    void handleErrorDuringRendering();
    // Closes the writer once both inputs are finished.
    void checkStatus();
    void cancelExport() override;
    // Renders on the calling thread (the main queue) without a render queue.
    void exportProjectWithExportType(
        std::shared_ptr<MovieExportType> type, std::function<void()> completionHandler) override;
    uint64_t getEstimatedFileSizeAfterExportforType(const MovieExportType& type) override;
    std::vector<std::shared_ptr<MovieExportType>> getSupportedExportTypes() override;
    std::optional<std::string> getSupportedUTI() const override;
    // The last movie of the type when it plays as it is and the project has
    // not changed since ("RecordNeedsRendering" NO). Main queue.
    std::optional<plat::URL> getPreparedMovieForExportType(const MovieExportType& type) override;
    // A frame whose picture cannot be read stays in the film, black, so that the sound keeps its place.
    UnreadablePictureFill unreadablePictureFill() const override;
    // Why the finished movie could not be noted in the project's folder. Main queue.
    std::optional<plat::Error> noteError() const override;

    static constexpr const char* kErrorDomain = "MovieRenderer";
    static constexpr int64_t kNoFramesErrorCode = 238;
    static constexpr int64_t kNoExportTypeErrorCode = 392;
    static constexpr int64_t kInvalidSizeErrorCode = 403;
    static constexpr const char* kWriterErrorDomain = "ZantropeMovieRenderer";
    static constexpr int64_t kWriterErrorCode = 510;

private:
    void writePictures();
    void writeSound();
    // The mix's sample one frame later, after a frame of silence before the first.
    bool appendDelayedByOneFrame(const std::shared_ptr<const plat::SampleBuffer>& sample);
    RenderImageProducer& imageProducer();
    void failWithWriterError(const std::optional<plat::Error>& writerError);
    void finishWriting();
    void removeUnfinishedMovie();

    std::shared_ptr<plat::AssetWriter> _writer;
    std::shared_ptr<plat::AssetWriterInput> _videoWriterInput;
    std::shared_ptr<plat::AssetWriterInputPixelBufferAdaptor> _adaptor;
    std::shared_ptr<plat::PixelBufferPool> _pixelBuffers;
    std::shared_ptr<plat::AssetReader> _audioReader;
    std::shared_ptr<plat::AssetWriterInput> _audioWriterInput;
    std::shared_ptr<plat::AssetReaderAudioMixOutput> _readerOutput;
    std::shared_ptr<plat::DispatchQueue> _audioQueue;
    std::shared_ptr<plat::DispatchQueue> _videoQueue;
    std::shared_ptr<RenderImageProducer> _imageProducer;
    int64_t _totalFrames = 0;
    int64_t _fps = 0;
    plat::Size _frameSize;
    std::string _unfinishedPath;  // set before the writer's queues start
    int32_t _frameCounter = 0;  // on the video queue while writing
    std::atomic<bool> _audioWritingFinished {false};
    std::optional<plat::MediaTime> _soundDelay;  // on the audio queue: set once the silence is written
    std::atomic<bool> _videoWritingFinished {false};
    std::atomic<bool> _writerClosed {false};
    std::optional<plat::Error> _noteError;  // main queue
};

namespace detail {

// The movie export types by the 4K test and the platform's presets, in list order.
std::vector<std::shared_ptr<MovieExportType>> movieExportTypes(
    bool canRender4K, const std::vector<std::string>& presets);
// KiB for a movie of entryCount frame-list entries (placeholder included) at fps.
uint64_t estimatedMovieFileSize(plat::Size size, int64_t entryCount, int64_t fps);
// Bits per second of the H.264 stream by the picture height.
int64_t averageBitRateForHeight(double height);

}  // namespace detail

}  // namespace zt
