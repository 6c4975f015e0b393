#include "document/FileUtil.h"

#include <string_view>

#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UUID.h"

namespace zt {

namespace {

// The platform file manager's code for a URL scheme it cannot write to.
constexpr int64_t kUnsupportedSchemeError = 518;
constexpr std::string_view kUnsafeFileNameCharacters = "./\\?%*|\"<>:;'[]{}@#$^`~,";

bool report(const plat::Result<void>& result, std::optional<plat::Error>* error)
{
    if (result.ok())
        return true;
    if (error)
        *error = result.error();
    return false;
}

}  // namespace

std::string FileUtil::createUUID()
{
    return plat::UUID().UUIDString();
}

uint64_t FileUtil::freeDiskspace()
{
    auto free = plat::freeSpace(plat::Sandbox::current()->documentsDirectory());
    return free.ok() ? free.value() : 0;
}

int64_t FileUtil::folderSize(const std::string& folder)
{
    auto subpaths = plat::subpathsOfDirectory(folder);
    if (!subpaths.ok())
        return 0;
    int64_t total = 0;
    for (const std::string& subpath : subpaths.value()) {
        auto attributes = plat::attributesOfItem(plat::appendingPathComponent(folder, subpath));
        if (attributes.ok())
            total += attributes.value().size;
    }
    return total;
}

plat::Dictionary FileUtil::getDictionaryFromUIColor(const plat::Color& color)
{
    return plat::Dictionary {
        {"red", static_cast<float>(color.red())},
        {"green", static_cast<float>(color.green())},
        {"blue", static_cast<float>(color.blue())},
        {"alpha", static_cast<float>(color.alpha())},
    };
}

std::optional<plat::Color> FileUtil::getColorFromDictonary(const std::optional<plat::Dictionary>& dictionary)
{
    if (!dictionary)
        return std::nullopt;
    auto component = [&](const char* key) { return dictionary->getDouble(key).value_or(0.0); };
    return plat::Color::colorWithRed(component("red"), component("green"), component("blue"), component("alpha"));
}

std::string FileUtil::sanitizeFileNameString(const std::string& name)
{
    // A control character or a direction mark in a file name breaks or turns
    // around every listing that shows it; it stands apart like a space.
    const std::string visible = plat::replacingControlCharacters(name, " ");
    std::string sanitized;
    sanitized.reserve(visible.size());
    for (char c : visible) {
        if (kUnsafeFileNameCharacters.find(c) != std::string_view::npos)
            continue;
        sanitized += c == ' ' ? '_' : c;
    }
    return sanitized;
}

bool FileUtil::removeItemAtPath(const std::string& path, std::optional<plat::Error>* error)
{
    auto attributes = plat::attributesOfItem(path);
    if (!attributes.ok())
        return true;  // nothing there
    if (attributes.value().isDirectory)
        return false;
    return report(plat::removeItem(path), error);
}

bool FileUtil::removeItemAtURL(const plat::URL& url, std::optional<plat::Error>* error)
{
    if (url.isFileURL())
        return removeItemAtPath(url.path(), error);
    if (error) {
        *error = plat::Error(plat::kCocoaErrorDomain, kUnsupportedSchemeError,
            "Cannot remove \"" + url.absoluteString() + "\": not a file URL.");
    }
    return false;
}

bool FileUtil::removeFolderAtPath(const std::string& path, std::optional<plat::Error>* error)
{
    return report(plat::removeItem(path), error);
}

}  // namespace zt
