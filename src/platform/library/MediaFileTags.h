#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace plat::detail {

// What the music library knows of one audio file, read through FFmpeg's
// metadata (container and audio stream tags, as FFmpeg names them); of the
// sound only the first packet is decoded. Empty strings and zero numbers
// mean "not tagged".
struct MediaFileTags {
    std::string title;
    std::string artist;
    std::string albumTitle;
    std::string albumArtist;
    std::string genre;
    std::string composer;
    int64_t trackNumber = 0;
    int64_t trackCount = 0;
    int64_t discNumber = 0;
    std::optional<int64_t> year;
    double playbackDuration = 0;  // seconds
    // The stream of the attached picture (cover art), or -1 for none.
    int artworkStreamIndex = -1;
    // No sound can be had from the file: its sound is encrypted (protected
    // purchases), or of a codec nothing here decodes.
    bool isProtected = false;
};

// Reads the tags of the audio file. A file FFmpeg cannot open, one without a
// sound stream, and one whose first sound packet FFmpeg cannot decode are
// errors. Any thread.
Result<MediaFileTags> readMediaFileTags(const std::string& path);

// The encoded attached picture of the stream (JPEG or PNG bytes as the file
// keeps them), or none when the file or stream no longer holds one. Any thread.
std::optional<Data> readAttachedPicture(const std::string& path, int streamIndex);

// "3/12" -> 3 (and the count 12), "07" -> 7; 0 for text without a leading number.
int64_t leadingNumber(const std::string& text, int64_t* total = nullptr);

}  // namespace plat::detail
