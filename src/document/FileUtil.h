#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Color.h"

namespace plat {
class URL;
}

namespace zt {

// Identifiers, file and folder chores, free space, colours as dictionaries
// and safe file names, shared by the whole app. Any thread (stateless).
class FileUtil {
public:
    // A new random UUID: 36 upper-case hexadecimal characters in 8-4-4-4-12 groups.
    static std::string createUUID();

    // A frame's files are removed and copied by FrameFiles, which finds them
    // by their exact names and reports each file that failed.

    // Free bytes of the file system that holds Documents; 0 when unknown.
    static uint64_t freeDiskspace();
    // Sum of the sizes of every file below the folder, at any depth; folders
    // themselves count 0, links count their own size.
    static int64_t folderSize(const std::string& folder);

    // {"red", "green", "blue", "alpha"} as single-precision reals.
    static plat::Dictionary getDictionaryFromUIColor(const plat::Color& color);
    // A missing or non-number component counts as 0; no dictionary, no colour.
    static std::optional<plat::Color> getColorFromDictonary(const std::optional<plat::Dictionary>& dictionary);

    // Deletes the characters . / \ ? % * | " < > : ; ' [ ] { } @ # $ ^ ` ~ ,
    // then turns every space into "_", and so every control character and
    // direction mark (those plat::escapedForMessage escapes). Invalid UTF-8
    // becomes U+FFFD.
    static std::string sanitizeFileNameString(const std::string& name);

    // True when nothing exists at path. False, without an error, for a folder.
    // Otherwise removes the file and reports the result.
    static bool removeItemAtPath(const std::string& path, std::optional<plat::Error>* error = nullptr);
    // A file URL goes through removeItemAtPath (so folders are refused); any
    // other scheme cannot be removed here and fails with an error.
    static bool removeItemAtURL(const plat::URL& url, std::optional<plat::Error>* error = nullptr);
    // Removes whatever is at path, folders with their contents.
    static bool removeFolderAtPath(const std::string& path, std::optional<plat::Error>* error = nullptr);
};

}  // namespace zt
