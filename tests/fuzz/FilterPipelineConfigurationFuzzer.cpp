// Filter pipeline configurations on any bytes, read as a property list: a
// configuration that is taken names every filter and holds only finite
// numbers, within the reader's limits. The bytes are also read as one typed
// argument, whose parts must lie within the text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "glimage/GLImageFilterPipelineConfiguration.h"

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "FilterPipelineConfigurationFuzzer: %s\n", what);
        std::abort();
    }
}

void checkNumber(double value)
{
    require(std::isfinite(value), "a number that is not finite");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (auto match = zt::detail::matchTypedArgument(text)) {
        require(match->first.size() <= size, "a first argument longer than the text");
        require(!match->last || match->last->size() <= size, "a last argument longer than the text");
        (void)zt::detail::floatValueOfText(match->first);
    }

    auto configuration = zt::GLImageFilterPipelineConfiguration::configurationWithData(plat::Data(data, data + size));
    if (!configuration.ok())
        return 0;
    require(configuration.value().filters().size() <= 256, "more filters than the limit");
    for (const auto& filter : configuration.value().filters()) {
        require(!filter.filterName.empty() || filter.calls.size() <= 256, "too many attributes");
        for (const auto& call : filter.calls) {
            const bool takesArgument = !call.operation.empty() && call.operation.back() == ':';
            require(takesArgument == call.argument.has_value(), "an argument for an operation without one");
            if (!call.argument)
                continue;
            if (const auto* number = std::get_if<double>(&*call.argument))
                checkNumber(*number);
            else if (const auto* point = std::get_if<plat::Point>(&*call.argument))
                checkNumber(point->x), checkNumber(point->y);
            else if (const auto* list = std::get_if<std::vector<zt::GLImageFilterListElement>>(&*call.argument)) {
                require(list->size() <= 4096, "a list past the limit");
                for (const auto& element : *list) {
                    if (const auto* n = std::get_if<double>(&element))
                        checkNumber(*n);
                    else
                        checkNumber(std::get<plat::Point>(element).x), checkNumber(std::get<plat::Point>(element).y);
                }
            }
        }
    }
    return 0;
}
