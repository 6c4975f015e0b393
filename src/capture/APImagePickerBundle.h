#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace plat {
class Image;
}

namespace zt {

// The photo picker's own resources: the folder "APImagePicker.bundle" among
// the app's resources, opened once and kept. Its string table
// "APImagePicker" holds the picker's texts; "Overlay.png" is the mark of a
// selected tile. Any thread.
class APImagePickerBundle {
public:
    // The text of key in the table; the key itself when it is missing.
    static std::string localizedString(const std::string& key);
    // The text of key, a format with one integer, filled with count.
    static std::string localizedCount(const std::string& key, int64_t count);
    // The selection mark, stretched with caps of 1 and 1 (only one column and
    // one row of it grow); nullptr when the picture is missing.
    static std::shared_ptr<plat::Image> overlayImage();
};

}  // namespace zt
