#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "render/UnreadablePictureFill.h"

namespace zt {

// What the person is told after an export that could not read some of its
// frames' pictures: the frames by their position in the film (ascending,
// from 1), three or more neighbours joined into a run ("2–4"), the first ones
// named and the rest counted, and what the export put in their place. Any thread.
std::string unreadableFramesMessage(const std::vector<int64_t>& positions, UnreadablePictureFill fill);

// What the person is told after a movie made without the sounds that could
// not be read: the sounds by their names, the first ones named and the rest
// counted. Any thread.
std::string unreadableSoundsMessage(const std::vector<std::string>& names);

}  // namespace zt
