#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/URL.h"

namespace plat {

// Finds the files a page refers to (pictures, style sheets) within one
// folder, the only one a page may read from. References are resolved
// against the page's base address; whatever lands outside the folder
// ("../" steps, absolute paths, links that lead out, file:// and web
// addresses elsewhere) or is no regular file is refused. Any thread (value type).
class WebResourceLocator {
public:
    // An empty folder refuses everything.
    explicit WebResourceLocator(std::string folder);

    const std::string& folder() const { return _folder; }
    // The base address of a page in the folder itself.
    URL folderURL() const;
    // True when the address is a file URL of the folder or a place in it.
    bool contains(const URL& url) const;
    // The path of the file that reference names, resolved against base
    // (against the folder when there is none); empty when refused.
    std::optional<std::string> pathForReference(std::string_view reference, const std::optional<URL>& base) const;
    // The resolved address of reference, whether or not it may be read.
    static std::optional<URL> resolve(std::string_view reference, const std::optional<URL>& base, const URL& fallback);

private:
    std::optional<std::string> pathWithinFolder(const URL& url) const;

    std::string _folder;  // canonical, without a trailing slash
};

}  // namespace plat
