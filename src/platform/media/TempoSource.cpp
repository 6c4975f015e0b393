#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SoundSource.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace plat::detail {

namespace {

constexpr double kSlowestTempo = 0.5;
constexpr double kFastestTempo = 2.0;
constexpr int64_t kFramesPerPull = 1024;

struct FilterGraphDeleter {
    void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;

Error tempoError(const std::string& text, int code = 0)
{
    return mediaError(kMediaErrorUnknown, "cannot change the tempo of a sound: " + text, {}, code);
}

}  // namespace

struct TempoSource::Impl {
    std::unique_ptr<SoundSource> inner;
    int rate = 0;
    int channels = 0;
    FilterGraphPtr graph;
    AVFilterContext* source = nullptr;  // owned by the graph
    AVFilterContext* sink = nullptr;  // owned by the graph
    FramePtr frame {av_frame_alloc()};
    std::vector<float> pending;  // filtered samples not yet read, interleaved
    size_t pendingOffset = 0;  // in floats
    int64_t pushedFrames = 0;
    bool innerEnded = false;
    bool drained = false;

    Result<void> build(double tempo)
    {
        graph.reset(avfilter_graph_alloc());
        if (!graph || !frame)
            return tempoError("out of memory");
        char layout[64] = {};
        AVChannelLayout channelLayout {};
        av_channel_layout_default(&channelLayout, channels);
        av_channel_layout_describe(&channelLayout, layout, sizeof layout);
        av_channel_layout_uninit(&channelLayout);
        std::string sourceArguments = "sample_rate=" + std::to_string(rate) + ":sample_fmt=flt:time_base=1/"
            + std::to_string(rate) + ":channel_layout=" + layout;
        int made = avfilter_graph_create_filter(
            &source, avfilter_get_by_name("abuffer"), "in", sourceArguments.c_str(), nullptr, graph.get());
        if (made < 0)
            return tempoError("no sound input", made);
        made = avfilter_graph_create_filter(
            &sink, avfilter_get_by_name("abuffersink"), "out", nullptr, nullptr, graph.get());
        if (made < 0)
            return tempoError("no sound output", made);
        const AVSampleFormat formats[] = {AV_SAMPLE_FMT_FLT, AV_SAMPLE_FMT_NONE};
        made = av_opt_set_int_list(sink, "sample_fmts", formats, AV_SAMPLE_FMT_NONE, AV_OPT_SEARCH_CHILDREN);
        if (made < 0)
            return tempoError("cannot ask for float samples", made);
        AVFilterContext* stretch = nullptr;
        std::string tempoArguments = "tempo=" + std::to_string(tempo);
        made = avfilter_graph_create_filter(
            &stretch, avfilter_get_by_name("atempo"), "tempo", tempoArguments.c_str(), nullptr, graph.get());
        if (made < 0)
            return tempoError("no tempo filter", made);
        if ((made = avfilter_link(source, 0, stretch, 0)) < 0 || (made = avfilter_link(stretch, 0, sink, 0)) < 0)
            return tempoError("cannot link the filters", made);
        made = avfilter_graph_config(graph.get(), nullptr);
        if (made < 0)
            return tempoError("cannot configure the filters", made);
        return {};
    }

    size_t pendingFrames() const { return (pending.size() - pendingOffset) / static_cast<size_t>(channels); }

    // Feeds the filter one pull of the inner source, or its end.
    Result<void> push()
    {
        if (innerEnded) {
            drained = true;
            return {};
        }
        FramePtr input(av_frame_alloc());
        if (!input)
            return tempoError("out of memory");
        input->format = AV_SAMPLE_FMT_FLT;
        input->sample_rate = rate;
        input->nb_samples = static_cast<int>(kFramesPerPull);
        av_channel_layout_default(&input->ch_layout, channels);
        int allocated = av_frame_get_buffer(input.get(), 0);
        if (allocated < 0)
            return tempoError("out of memory", allocated);
        auto read = inner->read(reinterpret_cast<float*>(input->data[0]), kFramesPerPull);
        if (!read.ok())
            return read.error();
        int added;
        if (read.value() == 0) {
            innerEnded = true;
            added = av_buffersrc_add_frame_flags(source, nullptr, 0);
        } else {
            input->nb_samples = static_cast<int>(read.value());
            input->pts = pushedFrames;
            pushedFrames += read.value();
            added = av_buffersrc_add_frame_flags(source, input.get(), AV_BUFFERSRC_FLAG_KEEP_REF);
        }
        if (added < 0)
            return tempoError("cannot feed the filter", added);
        return {};
    }

    // Moves what the filter has made into pending.
    Result<void> collect()
    {
        while (true) {
            int got = av_buffersink_get_frame(sink, frame.get());
            if (got == AVERROR(EAGAIN))
                return {};
            if (got == AVERROR_EOF) {
                drained = true;
                return {};
            }
            if (got < 0)
                return tempoError("cannot take filtered sound", got);
            const float* samples = reinterpret_cast<const float*>(frame->data[0]);
            pending.insert(pending.end(), samples, samples + static_cast<size_t>(frame->nb_samples) * channels);
            av_frame_unref(frame.get());
        }
    }
};

TempoSource::TempoSource(std::unique_ptr<Impl> impl)
    : _impl(std::move(impl))
{
}

TempoSource::~TempoSource() = default;

Result<std::unique_ptr<TempoSource>> TempoSource::make(
    std::unique_ptr<SoundSource> inner, double tempo, int rate, int channels)
{
    configureFFmpegLogging();
    if (!inner || rate <= 0 || channels <= 0 || !(tempo >= kSlowestTempo && tempo <= kFastestTempo))
        return tempoError("unsupported tempo or format");
    auto impl = std::make_unique<Impl>();
    impl->inner = std::move(inner);
    impl->rate = rate;
    impl->channels = channels;
    auto built = impl->build(tempo);
    if (!built.ok())
        return built.error();
    return std::unique_ptr<TempoSource>(new TempoSource(std::move(impl)));
}

Result<int64_t> TempoSource::read(float* destination, int64_t frames)
{
    Impl& d = *_impl;
    int64_t done = 0;
    while (done < frames) {
        if (d.pendingFrames() == 0) {
            d.pending.clear();
            d.pendingOffset = 0;
            if (d.drained)
                break;
            auto pushed = d.push();
            if (!pushed.ok())
                return pushed.error();
            auto collected = d.collect();
            if (!collected.ok())
                return collected.error();
            continue;
        }
        int64_t take = std::min<int64_t>(frames - done, static_cast<int64_t>(d.pendingFrames()));
        size_t floats = static_cast<size_t>(take) * static_cast<size_t>(d.channels);
        std::memcpy(destination + done * d.channels, d.pending.data() + d.pendingOffset, floats * sizeof(float));
        d.pendingOffset += floats;
        done += take;
    }
    return done;
}

}  // namespace plat::detail
