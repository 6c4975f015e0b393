#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/foundation/Value.h"

namespace zt {

// The media file of an upload: an open file, shared by the entries that
// refer to it.
using VSFileHandle = std::shared_ptr<std::FILE>;
VSFileHandle openFileHandleForReading(const std::string& path);

// A request body made of segments sent one after the other, so that a large
// payload is referenced, never copied into one buffer.
struct VSUploadBody {
    std::vector<std::shared_ptr<const plat::Data>> segments;
    uint64_t length = 0;
    // Header name to value.
    plat::Dictionary headers;

    // The whole body in one buffer, for tests and small bodies.
    plat::Data joined() const;
};

}  // namespace zt
