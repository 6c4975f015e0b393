#pragma once
#include <memory>
#include <string>

namespace zt {
class GLImagePicture;

namespace detail {
// A colour table picture from an image of the app; a missing image is a
// packaging error and stops the program with message.
std::shared_ptr<GLImagePicture> lookupTablePicture(const std::string& imageName, const char* message);
}  // namespace detail

}  // namespace zt
