#pragma once
#include "platform/foundation/PropertyList.h"

namespace zt::bench {

// The hand-written XML property-list reader that libxml2 replaced, for
// comparison only.
plat::Result<plat::Value> readXMLPropertyListWithReferenceReader(const plat::Data& data);

}  // namespace zt::bench
