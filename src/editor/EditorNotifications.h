#pragma once

namespace zt {

// Posted on the main thread by the effect chooser after it stored a colour
// effect ("RecordMovieFilter"); the object is the chooser, no payload. The
// frame editor shows its frames again with the effect.
inline constexpr const char* MovieEffectDidChangeNotification = "MovieEffectDidChangeNotification";

}  // namespace zt
