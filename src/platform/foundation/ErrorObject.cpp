#include "platform/foundation/ErrorObject.h"

#include "platform/foundation/KeyedArchiver.h"

namespace plat {

namespace {

constexpr const char* kLocalizedDescriptionKey = "NSLocalizedDescription";

}  // namespace

void ErrorObject::encodeWithCoder(KeyedArchiver& coder) const
{
    Dictionary userInfo = _error.userInfo().deepCopy();
    userInfo.set(kLocalizedDescriptionKey, _error.localizedDescription());
    coder.encodeObject(_error.domain(), "NSDomain");
    coder.encodeInt64(_error.code(), "NSCode");
    coder.encodeObject(userInfo, "NSUserInfo");
}

}  // namespace plat
