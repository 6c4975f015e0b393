#pragma once
#include <cstdint>
#include <memory>

#include "platform/foundation/Value.h"

namespace plat {
class InputStream;
}

namespace zt {

// The body an entry with media makes for a request that is not chunked: a
// stream with its length in bytes, and the headers that describe it.
struct VSUploadBody {
    std::shared_ptr<plat::InputStream> stream;
    uint64_t length = 0;
    // Header name to value.
    plat::Dictionary headers;
};

}  // namespace zt
