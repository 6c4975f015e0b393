#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"

namespace zt {

// What can be saved of a "frames.meta" that cannot be read whole: the
// entries that can still be read, in their order, then a picture entry for
// each frame picture of the folder that no entry names, oldest file first
// (the order in which they were most likely made). Any thread (files only).
struct FrameListRepair {
    std::vector<plat::Dictionary> records;
    int64_t readEntries = 0;  // picture, card and placeholder entries read from the damaged list
    int64_t foundPictures = 0;  // entries made for pictures the list no longer named

    // The frames the user gets back: every entry but the capture placeholder.
    int64_t recoveredFrames() const;

    static FrameListRepair repair(const plat::Data& damaged, const std::string& projectFolder);
};

}  // namespace zt
