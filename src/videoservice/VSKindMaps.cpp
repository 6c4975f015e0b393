#include "videoservice/VSKindMaps.h"

namespace zt::detail {

void registerStandardEntryClasses(VSClassMap& map);
void registerStandardFeedClasses(VSClassMap& map);

VSClassMap& entryClassMap()
{
    static VSClassMap map = [] {
        VSClassMap standard;
        registerStandardEntryClasses(standard);
        return standard;
    }();
    return map;
}

VSClassMap& feedClassMap()
{
    static VSClassMap map = [] {
        VSClassMap standard;
        registerStandardFeedClasses(standard);
        return standard;
    }();
    return map;
}

}  // namespace zt::detail
