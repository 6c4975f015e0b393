#include "painter/LinePoint.h"

#include "platform/foundation/KeyedArchive.h"

namespace zt {

void LinePoint::encodeWithCoder(plat::KeyedArchiver& coder) const
{
    coder.encodePoint(_pos, "pos");
    coder.encodeFloat(_width, "width");
}

LinePoint LinePoint::initWithCoder(const plat::KeyedUnarchiver& coder)
{
    return LinePoint(coder.decodePointForKey("pos"), coder.decodeFloatForKey("width"));
}

}  // namespace zt
