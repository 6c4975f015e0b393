#pragma once
#include "videoservice/VSObject.h"

// The process-wide kind maps of entries and feeds. Both are filled with the
// standard classes on first use, before any lookup, and only read afterwards;
// that first use is thread-safe.
namespace zt::detail {

VSClassMap& entryClassMap();
VSClassMap& feedClassMap();

}  // namespace zt::detail
