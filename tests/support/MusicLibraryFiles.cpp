#include "support/MusicLibraryFiles.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>

#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "support/MediaTools.h"

namespace plat::test {

namespace {

std::vector<GeneratedSong> songList()
{
    auto album = [](std::vector<std::pair<std::string, std::string>> titles, const std::string& folder,
                     const std::string& artist, const std::string& albumTitle, int year,
                     std::optional<std::string> colour, const std::string& extension, double seconds = 2) {
        std::vector<GeneratedSong> songs;
        int track = 0;
        for (const auto& [title, songArtist] : titles) {
            GeneratedSong song;
            song.title = title;
            song.artist = songArtist.empty() ? artist : songArtist;
            song.album = albumTitle;
            song.albumArtist = artist;
            song.track = ++track;
            song.year = year;
            song.genre = "Pop";
            song.seconds = seconds;
            song.coverColour = colour;
            std::string name = title;
            for (char& c : name)
                c = c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            song.file = folder + "/" + std::to_string(track) + "-" + name + "." + extension;
            songs.push_back(song);
        }
        return songs;
    };
    std::vector<GeneratedSong> all;
    auto add = [&](std::vector<GeneratedSong> more) { all.insert(all.end(), more.begin(), more.end()); };
    add(album({{"Alpha", ""}, {"Bravo", ""}, {"Charlie", ""}}, "aurora-lane/northern-lights", "Aurora Lane",
        "Northern Lights", 2011, "blue", "mp3"));
    add(album({{"Delta", ""}, {"Echo", ""}, {"Foxtrot", ""}, {"Golf", ""}}, "aurora-lane/daybreak", "Aurora Lane",
        "Daybreak", 2013, "orange", "m4a"));
    add(album({{"Hotel", ""}, {"India", ""}, {"Juliet", ""}}, "brass-band-co/marching", "Brass Band Co", "Marching",
        2009, "green", "mp3"));
    add(album({{"Kilo", ""}, {"Lima", ""}, {"Mike", ""}}, "mono-tone/long-player", "Mono Tone", "Long Player", 2015,
        std::nullopt, "mp3", 200));
    add(album(
        {{"November", ""}, {"Oscar", ""}, {"Papa", ""}, {"Quebec", ""}, {"Romeo", ""}, {"Sierra", ""}, {"Tango", ""}},
        "night-owls/after-hours", "Night Owls", "After Hours", 2016, "purple", "m4a"));
    add(album({{"Uniform", "Zed"}, {"Victor", "Yara"}, {"Whiskey", "Zed"}, {"X-ray", "Yara"}, {"Yankee", "Zed"},
                  {"Zulu", "Yara"}},
        "various/mixed-bag", "Various Artists", "Mixed Bag", 2018, "red", "mp3"));
    add(album({{"4 Seasons", ""}, {"Échos", ""}}, "elan-trio/seasons", "Élan Trio", "Seasons", 2010, "yellow", "m4a"));
    add(album(
        {{"Long Road Home", ""}}, "aurora-lane/singles", "Aurora Lane", "Singles", 2019, std::nullopt, "m4a", 75));
    add(album({{"Sixty Seconds", ""}}, "mono-tone/singles", "Mono Tone", "Singles", 2019, std::nullopt, "m4a", 60));
    return all;
}

}  // namespace

bool GeneratedMusicLibrary::writeSong(const std::string& folder, const GeneratedSong& song)
{
    std::string path = appendingPathComponent(folder, song.file);
    if (!createDirectory(deletingLastPathComponent(path), IntermediateDirectories::Yes).ok())
        return false;
    std::vector<std::string> arguments {"-f", "lavfi", "-i",
        "sine=frequency=" + std::to_string(300 + 17 * song.track)
            + ":sample_rate=44100:duration=" + std::to_string(song.seconds)};
    if (song.coverColour) {
        arguments.insert(arguments.end(),
            {"-f", "lavfi", "-i", "color=c=" + *song.coverColour + ":s=120x120:d=1", "-map", "0:a", "-map", "1:v",
                "-frames:v", "1", "-c:v", "png", "-disposition:v", "attached_pic"});
    }
    const std::string extension = pathExtension(path);
    const char* codec = extension == "mp3" ? "libmp3lame" : extension == "wav" ? "pcm_s16le" : "aac";
    arguments.insert(arguments.end(), {"-c:a", codec, "-b:a", "48k", "-ac", "1"});
    auto tag = [&](const std::string& key, const std::string& value) {
        if (!value.empty())
            arguments.insert(arguments.end(), {"-metadata", key + "=" + value});
    };
    tag("title", song.title);
    tag("artist", song.artist);
    tag("album", song.album);
    tag("album_artist", song.albumArtist);
    tag("track", song.track > 0 ? std::to_string(song.track) : "");
    tag("date", song.year > 0 ? std::to_string(song.year) : "");
    tag("genre", song.genre);
    arguments.push_back(path);
    auto made = runFFmpeg(folder, arguments);
    EXPECT_EQ(made.exitCode, 0) << song.file << ": " << made.output;
    return made.exitCode == 0;
}

GeneratedMusicLibrary::GeneratedMusicLibrary()
{
    _folder = _storage.path();
    _songs = songList();
    // One sound per format and length, and one picture per colour, encoded
    // once; every song is a copy of them with its own tags, all made by one
    // ffmpeg run. The scratch folder's name begins with a full stop, so the
    // library skips it.
    std::string scratch = path(".made");
    EXPECT_TRUE(createDirectory(scratch, IntermediateDirectories::Yes).ok());
    std::map<std::string, int> inputs;
    std::vector<std::string> sources;
    auto sourceFor = [&](const std::string& key, const std::string& file, std::vector<std::string> making) {
        if (inputs.count(key) == 0) {
            inputs[key] = static_cast<int>(sources.size());
            sources.push_back(appendingPathComponent(scratch, file));
            making.push_back(sources.back());
            auto made = runFFmpeg(scratch, making);
            EXPECT_EQ(made.exitCode, 0) << file << ": " << made.output;
        }
        return inputs[key];
    };
    auto soundFor = [&](const std::string& extension, double seconds) {
        std::string name = "tone-" + std::to_string(static_cast<int>(seconds * 10)) + "." + extension;
        return sourceFor(name, name,
            {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=11025:duration=" + std::to_string(seconds), "-c:a",
                extension == "mp3" ? "libmp3lame" : "aac", "-b:a", "32k", "-ac", "1"});
    };
    auto coverFor = [&](const std::string& colour) {
        return sourceFor("cover-" + colour, "cover-" + colour + ".png",
            {"-f", "lavfi", "-i", "color=c=" + colour + ":s=120x120:d=1", "-frames:v", "1"});
    };
    std::vector<std::string> outputs;
    auto addOutput = [&](const GeneratedSong& song) {
        std::string target = path(song.file);
        EXPECT_TRUE(createDirectory(deletingLastPathComponent(target), IntermediateDirectories::Yes).ok());
        outputs.insert(outputs.end(), {"-map", std::to_string(soundFor(pathExtension(target), song.seconds)) + ":a"});
        if (song.coverColour)
            outputs.insert(outputs.end(),
                {"-map", std::to_string(coverFor(*song.coverColour)) + ":v", "-disposition:v:0", "attached_pic"});
        outputs.insert(outputs.end(), {"-c", "copy"});
        auto tag = [&](const std::string& key, const std::string& value) {
            if (!value.empty())
                outputs.insert(outputs.end(), {"-metadata", key + "=" + value});
        };
        tag("title", song.title);
        tag("artist", song.artist);
        tag("album", song.album);
        tag("album_artist", song.albumArtist);
        tag("track", song.track > 0 ? std::to_string(song.track) : "");
        tag("date", song.year > 0 ? std::to_string(song.year) : "");
        tag("genre", song.genre);
        outputs.push_back(target);
    };
    for (const auto& song : _songs)
        addOutput(song);
    addOutput(GeneratedSong {"untitled-demo.mp3", "", "", "", "", 0, 0, "", 2, std::nullopt});
    std::vector<std::string> arguments;
    for (const auto& source : sources)
        arguments.insert(arguments.end(), {"-i", source});
    arguments.insert(arguments.end(), outputs.begin(), outputs.end());
    auto copied = runFFmpeg(_folder, arguments);
    EXPECT_EQ(copied.exitCode, 0) << copied.output;
    // Sound encrypted as protected purchases are: the file opens, its sound cannot be had.
    auto locked = runFFmpeg(_folder,
        {"-f", "lavfi", "-i", "sine=frequency=500:duration=2", "-c:a", "aac", "-metadata", "title=Locked Song",
            "-metadata", "artist=Aurora Lane", "-encryption_scheme", "cenc-aes-ctr", "-encryption_key",
            "76a6c65c5ea762046bd749a2e632ccbb", "-encryption_kid", "a7e61c373e219033c21091fa607bf3b8",
            path("protected.m4a")});
    EXPECT_EQ(locked.exitCode, 0) << locked.output;
    EXPECT_TRUE(writeFileAtomically(path("broken.mp3"), std::string_view("ID3 this is no sound at all")).ok());
    std::string roadTrip = "#EXTM3U\r\n#EXTINF:2,Night Owls - Romeo\r\nnight-owls/after-hours/5-romeo.m4a\r\n"
                           "aurora-lane/northern-lights/1-alpha.mp3\r\n\r\n# a comment\r\n"
                           "various/mixed-bag/6-zulu.mp3\r\n./aurora-lane/daybreak/../daybreak/2-echo.m4a\r\n"
                           "../outside.mp3\r\nhttp://example.com/stream.mp3\r\nmono-tone/long-player/1-kilo.mp3\r\n";
    EXPECT_TRUE(writeFileAtomically(path("Road Trip.m3u"), roadTrip).ok());
    std::string favourites = "\xEF\xBB\xBF#EXTM3U\n#PLAYLIST:Best Of\n" + path(song("India").file) + "\n"
        + URL::fileURLWithPath(path(song("Échos").file)).absoluteString() + "\nno/such/song.mp3\n";
    EXPECT_TRUE(writeFileAtomically(path("favourites.m3u8"), favourites).ok());
}

const GeneratedMusicLibrary& GeneratedMusicLibrary::shared()
{
    static GeneratedMusicLibrary library;
    return library;
}

const GeneratedSong& GeneratedMusicLibrary::song(const std::string& title) const
{
    for (const auto& song : _songs)
        if (song.title == title)
            return song;
    ADD_FAILURE() << "no generated song " << title;
    return _songs.front();
}

std::string GeneratedMusicLibrary::path(const std::string& relative) const
{
    return appendingPathComponent(_folder, relative);
}

void GeneratedMusicLibrary::useInCurrentSandbox() const
{
    useMusicLibraryFolder(_folder);
}

void useMusicLibraryFolder(const std::string& folder)
{
    std::string settings = appendingPathComponent(Sandbox::current()->root(), "MusicLibrary/MusicLibrary.plist");
    ASSERT_TRUE(createDirectory(deletingLastPathComponent(settings), IntermediateDirectories::Yes).ok());
    auto data
        = PropertyListSerialization::dataWithPropertyList(Dictionary {{"Folder", folder}}, PropertyListFormat::XML);
    ASSERT_TRUE(data.ok());
    ASSERT_TRUE(writeFileAtomically(settings, data.value()).ok());
}

}  // namespace plat::test
