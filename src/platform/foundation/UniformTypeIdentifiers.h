#pragma once

// The platform's uniform type identifiers that name file types across the
// frameworks (renderers are chosen by them, image destinations write them).
namespace plat {

inline constexpr const char* kUTTypeQuickTimeMovie = "com.apple.quicktime-movie";
inline constexpr const char* kUTTypeGIF = "com.compuserve.gif";

}  // namespace plat
