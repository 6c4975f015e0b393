#pragma once
#include <optional>
#include <string>

#include "platform/foundation/Geometry.h"

namespace zt {

// One export a user can choose: a title for the list, the platform export
// preset of its size (none for other than movies), the picture size (0 x 0
// where the renderer chooses), the type identifier that selects the renderer
// and the file extension. Any thread (immutable).
class MovieExportType {
public:
    MovieExportType(std::string title, std::optional<std::string> preset, plat::Size size, std::string UTI,
        std::string extension);  // initWithTitle:preset:size:UTI:extension:

    const std::string& title() const { return _title; }
    const std::optional<std::string>& preset() const { return _preset; }
    plat::Size size() const { return _size; }
    const std::string& UTI() const { return _UTI; }
    const std::string& extension() const { return _extension; }

private:
    std::string _title;
    std::optional<std::string> _preset;
    plat::Size _size;
    std::string _UTI;
    std::string _extension;
};

}  // namespace zt
