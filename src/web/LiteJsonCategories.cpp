#include "web/LiteJsonCategories.h"

#include "platform/foundation/Log.h"
#include "web/LiteJsonParser.h"
#include "web/LiteJsonWriter.h"

namespace zt {

std::optional<plat::Value> JSONValue(std::string_view string)
{
    LiteJsonParser parser;
    auto value = parser.objectWithString(string);
    if (!value)
        plat::log("-JSONValue failed. Error trace is: {}", describeErrorTrace(parser.errorTrace()));
    return value;
}

std::optional<plat::Value> JSONFragmentValue(std::string_view string)
{
    LiteJsonParser parser;
    auto value = parser.fragmentWithString(string);
    if (!value)
        plat::log("-JSONFragmentValue failed. Error trace is: {}", describeErrorTrace(parser.errorTrace()));
    return value;
}

std::optional<std::string> JSONRepresentation(const plat::Value& object)
{
    LiteJsonWriter writer;
    auto text = writer.stringWithObject(object);
    if (!text)
        plat::log("-JSONRepresentation failed. Error trace is: {}", describeErrorTrace(writer.errorTrace()));
    return text;
}

std::optional<std::string> JSONFragment(const plat::Value& object)
{
    LiteJsonWriter writer;
    auto text = writer.stringWithFragment(object);
    if (!text)
        plat::log("-JSONFragment failed. Error trace is: {}", describeErrorTrace(writer.errorTrace()));
    return text;
}

}  // namespace zt
