#include "videoservice/VSKindMaps.h"

namespace zt::detail {

void registerStandardEntryClasses();
void registerStandardFeedClasses();

// The maps are made empty first and filled right after, so that registration
// (which looks classes up in the same map) finds them.
VSClassMap& entryClassMap()
{
    static VSClassMap map;
    static const bool filled = [] {
        registerStandardEntryClasses();
        return true;
    }();
    (void)filled;
    return map;
}

VSClassMap& feedClassMap()
{
    static VSClassMap map;
    static const bool filled = [] {
        registerStandardFeedClasses();
        return true;
    }();
    (void)filled;
    return map;
}

}  // namespace zt::detail
