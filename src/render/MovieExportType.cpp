#include "render/MovieExportType.h"

namespace zt {

MovieExportType::MovieExportType(
    std::string title, std::optional<std::string> preset, plat::Size size, std::string UTI, std::string extension)
    : _title(std::move(title))
    , _preset(std::move(preset))
    , _size(size)
    , _UTI(std::move(UTI))
    , _extension(std::move(extension))
{
}

}  // namespace zt
