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

bool isMovieFamily(const AVFormatContext& context)
{
    return context.iformat && context.iformat->name && std::string(context.iformat->name).starts_with("mov,");
}

// Encrypted MPEG-4 sound says so on its packets only, so the first packet is
// looked at; other containers carry no encryption that FFmpeg reads.
bool firstSoundPacketIsEncrypted(AVFormatContext& context, int audioIndex)
{
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return false;
    constexpr int kMostPacketsToLook = 8;
    for (int read = 0; read < kMostPacketsToLook; ++read) {
        if (av_read_frame(&context, packet.get()) < 0)
            return false;
        bool ours = packet->stream_index == audioIndex;
        bool encrypted = ours && av_packet_get_side_data(packet.get(), AV_PKT_DATA_ENCRYPTION_INFO, nullptr);
        av_packet_unref(packet.get());
        if (ours)
            return encrypted;
    }
    return false;
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
    bool decodable = avcodec_find_decoder(audio.codecpar->codec_id) != nullptr;
    tags.playbackDuration = durationOf(context, audioIndex);
    tags.isProtected = !decodable;
    tags.mayHoldEncryptedSound = isMovieFamily(context);
    return tags;
}

bool hasEncryptedSound(const std::string& path)
{
    auto opened = openMediaFileHeaders(path);
    if (!opened.ok())
        return false;
    AVFormatContext& context = *opened.value();
    for (unsigned i = 0; i < context.nb_streams; ++i) {
        const AVStream* stream = context.streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return firstSoundPacketIsEncrypted(context, static_cast<int>(i));
    }
    return false;
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
