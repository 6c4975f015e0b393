#include "platform/foundation/XMLParser.h"

#include <algorithm>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <mutex>

#include "platform/foundation/PropertyListDetail.h"

namespace plat::detail {

namespace {
void silenceLibxmlErrors(void*, const char*, ...) { }
}  // namespace

void initializeXMLParser()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetGenericErrorFunc(nullptr, silenceLibxmlErrors);
        // libxml2's default is 256 levels without XML_PARSE_HUGE, which stays
        // off for its other limits. A list element, 512 containers and a
        // scalar are 514; a few more leave our check the first to fire.
        constexpr unsigned kDepthCap = kMaxPropertyListDepth + 8;
        xmlParserMaxDepth = std::max(xmlParserMaxDepth, kDepthCap);
    });
}

}  // namespace plat::detail
