#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace zt {

// One element of a list argument: a number or a point.
using GLImageFilterListElement = std::variant<double, plat::Point>;
// The argument of a setter: a number (float(...)), a point (CGPoint(...)),
// a string (NSString(...)) or a list of numbers and points (an array).
using GLImageFilterArgument = std::variant<double, plat::Point, std::string, std::vector<GLImageFilterListElement>>;

// One entry of a filter's "Attributes": an operation, and for a setter
// (a name ending in ":") its argument and the last string read for it.
struct GLImageFilterAttributeCall {
    std::string operation;
    std::optional<GLImageFilterArgument> argument;
    std::optional<std::string> stringValue;
};

struct GLImageFilterDescription {
    std::string filterName;
    std::vector<GLImageFilterAttributeCall> calls;  // in the attributes' key order
};

// A filter pipeline's configuration read from a property list:
// {"Filters": [{"FilterName": name, "Attributes": {operation: value}}]}.
// Configurations are outside input: a missing or wrong-typed entry, or an
// argument that is not a well-formed float(...), CGPoint(x, y) or
// NSString(...), gives an error naming what is wrong. Which names exist is
// the catalog's business (GLImageFilterCatalog). Any thread (a value).
class GLImageFilterPipelineConfiguration {
public:
    static constexpr int64_t kErrorUnreadable = 1;
    static constexpr int64_t kErrorMissingFilters = 2;
    static constexpr int64_t kErrorWrongType = 3;
    static constexpr int64_t kErrorBadArgument = 4;
    static constexpr int64_t kErrorUnknownFilter = 5;
    static constexpr int64_t kErrorUnknownOperation = 6;
    static constexpr int64_t kErrorArgumentMismatch = 7;
    static constexpr const char* kErrorDomain = "GLImageFilterPipeline";

    static plat::Result<GLImageFilterPipelineConfiguration> configurationWithDictionary(
        const plat::Dictionary& configuration);
    // A property list in any format the platform reads.
    static plat::Result<GLImageFilterPipelineConfiguration> configurationWithData(const plat::Data& data);
    static plat::Result<GLImageFilterPipelineConfiguration> configurationWithContentsOfFile(const std::string& path);

    const std::vector<GLImageFilterDescription>& filters() const { return _filters; }

private:
    std::vector<GLImageFilterDescription> _filters;
};

namespace detail {

// The first match in text of (float|CGPoint|NSString)\((.*?)(?:,\s*(.*?))*\):
// the type, the first argument text and the last further one.
struct TypedArgumentText {
    std::string type;
    std::string first;
    std::optional<std::string> last;
};
std::optional<TypedArgumentText> matchTypedArgument(std::string_view text);
// The number at the start of text as a 32-bit float (after white space),
// 0 when there is none; as the platform reads a string's float value.
float floatValueOfText(std::string_view text);

}  // namespace detail

}  // namespace zt
