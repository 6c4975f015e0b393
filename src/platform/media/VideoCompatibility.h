#pragma once
#include <string>

namespace plat {

// Whether the file is a movie the photo album can keep: a QuickTime or
// MPEG-4 file with a video track in H.264, HEVC, MPEG-4 or JPEG, and sound
// (if any) in AAC, Apple Lossless or linear PCM. Any thread.
bool videoAtPathIsCompatibleWithSavedPhotosAlbum(const std::string& path);

}  // namespace plat
