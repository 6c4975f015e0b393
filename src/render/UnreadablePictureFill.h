#pragma once

namespace zt {

// What an export puts where a frame's picture could not be read.
enum class UnreadablePictureFill {
    LeftOut,  // the frame is not in the export
    Black  // a black picture keeps the frame's place, and the sound its timing
};

}  // namespace zt
