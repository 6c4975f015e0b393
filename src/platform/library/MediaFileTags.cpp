#include "platform/library/MediaFileTags.h"

#include <array>
#include <cctype>
#include <limits>
#include <memory>
#include <string_view>

#include "platform/foundation/Error.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"

namespace plat::detail {

namespace {

Error noSound(const std::string& path)
{
    return mediaError(kMediaErrorFileFormatNotRecognized, "no sound in", path);
}

enum class Field { Title, Artist, Album, AlbumArtist, Genre, Composer, Track, TrackTotal, Disc, Date, Count };

struct KnownKey {
    std::string_view name;  // lower case
    Field field;
    int rank;  // among the names of one field, the first wins
};

// The names under which containers keep the tags, as FFmpeg reports them.
constexpr KnownKey kKnownKeys[] = {
    {"title", Field::Title, 0},
    {"artist", Field::Artist, 0},
    {"author", Field::Artist, 1},
    {"album", Field::Album, 0},
    {"album_artist", Field::AlbumArtist, 0},
    {"albumartist", Field::AlbumArtist, 1},
    {"album artist", Field::AlbumArtist, 2},
    {"genre", Field::Genre, 0},
    {"composer", Field::Composer, 0},
    {"track", Field::Track, 0},
    {"tracknumber", Field::Track, 1},
    {"tracktotal", Field::TrackTotal, 0},
    {"totaltracks", Field::TrackTotal, 1},
    {"disc", Field::Disc, 0},
    {"discnumber", Field::Disc, 1},
    {"date", Field::Date, 0},
    {"year", Field::Date, 1},
    {"originaldate", Field::Date, 2},
    {"tdrc", Field::Date, 3},
    {"tyer", Field::Date, 4},
};
constexpr size_t kLongestKnownKey = 12;

// The tags of a file in one pass over its dictionaries: for each field, the
// first non-blank value of its first name, the audio stream's tags (Ogg and
// Opus keep them there) before the container's.
class TagValues {
public:
    TagValues(const AVDictionary* stream, const AVDictionary* container)
    {
        take(stream, 0);
        take(container, 1);
    }
    std::string operator[](Field field) const { return _values[static_cast<size_t>(field)]; }

private:
    void take(const AVDictionary* dictionary, int dictionaryRank)
    {
        const AVDictionaryEntry* entry = nullptr;
        while ((entry = av_dict_get(dictionary, "", entry, AV_DICT_IGNORE_SUFFIX))) {
            if (!entry->key || !entry->value)
                continue;
            std::string_view key(entry->key);
            if (key.size() > kLongestKnownKey)
                continue;
            char lowered[kLongestKnownKey];
            for (size_t i = 0; i < key.size(); ++i)
                lowered[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(key[i])));
            std::string_view name(lowered, key.size());
            for (const KnownKey& known : kKnownKeys) {
                if (known.name != name)
                    continue;
                size_t slot = static_cast<size_t>(known.field);
                int rank = dictionaryRank * 100 + known.rank;
                if (rank >= _ranks[slot])
                    break;
                std::string_view value(entry->value);
                size_t first = value.find_first_not_of(" \t\r\n");
                if (first == std::string_view::npos)
                    break;
                size_t last = value.find_last_not_of(" \t\r\n");
                _values[slot] = std::string(value.substr(first, last - first + 1));
                _ranks[slot] = rank;
                break;
            }
        }
    }

    std::array<std::string, static_cast<size_t>(Field::Count)> _values;
    std::array<int, static_cast<size_t>(Field::Count)> _ranks = filledRanks();

    static std::array<int, static_cast<size_t>(Field::Count)> filledRanks()
    {
        std::array<int, static_cast<size_t>(Field::Count)> ranks;
        ranks.fill(std::numeric_limits<int>::max());
        return ranks;
    }
};

std::optional<int64_t> yearOf(const std::string& date)
{
    // "2012", "2012-05-03", "2012-05-03T10:00:00Z": the year leads.
    if (date.size() < 4)
        return std::nullopt;
    int64_t year = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(date[i])))
            return std::nullopt;
        year = year * 10 + (date[i] - '0');
    }
    if (date.size() > 4 && std::isdigit(static_cast<unsigned char>(date[4])))
        return std::nullopt;
    return year > 0 ? std::optional<int64_t>(year) : std::nullopt;
}

double seconds(int64_t value, AVRational base)
{
    return static_cast<double>(value) * av_q2d(base);
}

// The stated length, from the stream, else the container; the streams are
// probed (which reads some packets) only when neither states one.
double durationOf(AVFormatContext& context, int audioIndex)
{
    const AVStream* audio = context.streams[audioIndex];
    if (audio->duration != AV_NOPTS_VALUE && audio->duration > 0)
        return seconds(audio->duration, audio->time_base);
    if (context.duration != AV_NOPTS_VALUE && context.duration > 0)
        return seconds(context.duration, AVRational {1, AV_TIME_BASE});
    if (avformat_find_stream_info(&context, nullptr) < 0)
        return 0;
    audio = context.streams[audioIndex];
    if (audio->duration != AV_NOPTS_VALUE && audio->duration > 0)
        return seconds(audio->duration, audio->time_base);
    if (context.duration != AV_NOPTS_VALUE && context.duration > 0)
        return seconds(context.duration, AVRational {1, AV_TIME_BASE});
    return 0;
}

enum class FirstSound { Decodes, Encrypted, NotReached, Undecodable };

// Whether FFmpeg decodes the first packet of the sound. Noise under a sound
// file's name often opens, by its name alone, and states a stream and even a
// length; only decoding shows that there is no sound. Encrypted sound (a
// protected purchase) says so on its packets and is not decoded. A file
// whose first packets all belong to other streams is given the benefit of
// the doubt. On Undecodable, ffmpegCode holds FFmpeg's reason.
FirstSound decodeFirstSoundPacket(AVFormatContext& context, int audioIndex, const AVCodec& codec, int& ffmpegCode)
{
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!packet || !frame) {
        ffmpegCode = AVERROR(ENOMEM);
        return FirstSound::Undecodable;
    }
    constexpr int kMostPacketsToLook = 32;
    for (int read = 0; read < kMostPacketsToLook; ++read) {
        if (int got = av_read_frame(&context, packet.get()); got < 0) {
            ffmpegCode = got;
            return FirstSound::Undecodable;
        }
        if (packet->stream_index != audioIndex) {
            av_packet_unref(packet.get());
            continue;
        }
        if (av_packet_get_side_data(packet.get(), AV_PKT_DATA_ENCRYPTION_INFO, nullptr))
            return FirstSound::Encrypted;
        CodecContextPtr decoder(avcodec_alloc_context3(&codec));
        if (!decoder) {
            ffmpegCode = AVERROR(ENOMEM);
            return FirstSound::Undecodable;
        }
        // One thread: a threaded decoder reports a packet's damage only later.
        decoder->thread_count = 1;
        ffmpegCode = avcodec_parameters_to_context(decoder.get(), context.streams[audioIndex]->codecpar);
        if (ffmpegCode >= 0)
            ffmpegCode = avcodec_open2(decoder.get(), &codec, nullptr);
        if (ffmpegCode >= 0)
            ffmpegCode = avcodec_send_packet(decoder.get(), packet.get());
        if (ffmpegCode >= 0)
            ffmpegCode = avcodec_receive_frame(decoder.get(), frame.get());
        // Some decoders (Vorbis) give their first samples only with the second packet.
        return ffmpegCode >= 0 || ffmpegCode == AVERROR(EAGAIN) ? FirstSound::Decodes : FirstSound::Undecodable;
    }
    return FirstSound::NotReached;
}

}  // namespace

int64_t leadingNumber(const std::string& text, int64_t* total)
{
    size_t i = text.find_first_not_of(' ');
    int64_t number = 0;
    bool any = false;
    constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();
    auto readNumber = [&](size_t& at, int64_t& into) {
        bool digits = false;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
            into = std::min(kLargest, into * 10 + (text[at] - '0'));
            ++at;
            digits = true;
        }
        return digits;
    };
    if (i == std::string::npos)
        return 0;
    any = readNumber(i, number);
    if (total) {
        *total = 0;
        if (any && i < text.size() && text[i] == '/') {
            ++i;
            readNumber(i, *total);
        }
    }
    return any ? number : 0;
}

Result<MediaFileTags> readMediaFileTags(const std::string& path)
{
    auto opened = openMediaFileHeaders(path);
    if (!opened.ok())
        return opened.error();
    AVFormatContext& context = *opened.value();
    int audioIndex = -1;
    MediaFileTags tags;
    for (unsigned i = 0; i < context.nb_streams; ++i) {
        const AVStream* stream = context.streams[i];
        if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) {
            if (tags.artworkStreamIndex < 0 && stream->attached_pic.size > 0)
                tags.artworkStreamIndex = static_cast<int>(i);
        } else if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && audioIndex < 0) {
            audioIndex = static_cast<int>(i);
        }
    }
    if (audioIndex < 0)
        return noSound(path);
    const AVStream& audio = *context.streams[audioIndex];
    TagValues values(audio.metadata, context.metadata);
    tags.title = values[Field::Title];
    tags.artist = values[Field::Artist];
    tags.albumTitle = values[Field::Album];
    tags.albumArtist = values[Field::AlbumArtist];
    tags.genre = values[Field::Genre];
    tags.composer = values[Field::Composer];
    tags.trackNumber = leadingNumber(values[Field::Track], &tags.trackCount);
    if (tags.trackCount == 0)
        tags.trackCount = leadingNumber(values[Field::TrackTotal]);
    tags.discNumber = leadingNumber(values[Field::Disc]);
    tags.year = yearOf(values[Field::Date]);
    tags.playbackDuration = durationOf(context, audioIndex);
    // Sound of a codec nothing here decodes is a song that cannot play, as
    // protected sound is; it stays in the library.
    const AVCodec* codec = avcodec_find_decoder(audio.codecpar->codec_id);
    if (!codec) {
        tags.isProtected = true;
        return tags;
    }
    int ffmpegCode = 0;
    switch (decodeFirstSoundPacket(context, audioIndex, *codec, ffmpegCode)) {
    case FirstSound::Decodes:
    case FirstSound::NotReached:
        break;
    case FirstSound::Encrypted:
        tags.isProtected = true;
        break;
    case FirstSound::Undecodable:
        return ffmpegCode == AVERROR_EOF
            ? mediaError(kMediaErrorFileFailedToParse, "no sound packet in", path)
            : mediaError(kMediaErrorFileFailedToParse, "cannot decode the sound of", path, ffmpegCode);
    }
    return tags;
}

std::optional<Data> readAttachedPicture(const std::string& path, int streamIndex)
{
    auto opened = openMediaFileHeaders(path);
    if (!opened.ok() || streamIndex < 0 || static_cast<unsigned>(streamIndex) >= opened.value()->nb_streams)
        return std::nullopt;
    const AVStream* stream = opened.value()->streams[streamIndex];
    if (!(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) || stream->attached_pic.size <= 0)
        return std::nullopt;
    const uint8_t* bytes = stream->attached_pic.data;
    return Data(bytes, bytes + stream->attached_pic.size);
}

}  // namespace plat::detail
