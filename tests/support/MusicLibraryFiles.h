#pragma once
#include <optional>
#include <string>
#include <vector>

#include "support/TemporarySandbox.h"

namespace plat::test {

// One song of the generated music library, as its tags say.
struct GeneratedSong {
    std::string file;  // relative to the library folder
    std::string title;
    std::string artist;
    std::string album;
    std::string albumArtist;
    int track = 0;
    int year = 0;
    std::string genre;
    double seconds = 2;
    std::optional<std::string> coverColour;  // an attached picture of that colour
};

// A music library made once per test program with ffmpeg, in folders by
// artist and album: 30 tagged songs (MP3 and AAC in MPEG-4, most with a
// cover picture; the letters of their titles cover A to Z), one song
// without tags ("untitled-demo.mp3"), one with encrypted sound
// ("protected.m4a"), one file that is no sound at all ("broken.mp3"), and
// two playlists ("Road Trip.m3u" and "favourites.m3u8", which names itself
// "Best Of"). Read only: tests that change a library make their own.
class GeneratedMusicLibrary {
public:
    static const GeneratedMusicLibrary& shared();

    const std::string& folder() const { return _folder; }
    const std::vector<GeneratedSong>& songs() const { return _songs; }
    const GeneratedSong& song(const std::string& title) const;
    std::string path(const std::string& relative) const;

    // Makes the current device folder's music library this one (its settings file names the folder).
    void useInCurrentSandbox() const;
    // Writes a tagged song with ffmpeg (MP3, WAVE, else AAC, by the file's
    // extension); false when ffmpeg fails.
    static bool writeSong(const std::string& folder, const GeneratedSong& song);

    GeneratedMusicLibrary();

private:
    TemporaryFolder _storage;
    std::string _folder;
    std::vector<GeneratedSong> _songs;
};

// Points the current device folder's music library at folder.
void useMusicLibraryFolder(const std::string& folder);

}  // namespace plat::test
