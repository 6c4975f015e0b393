#include "platform/ui/web/WebResourceLocator.h"

#include <filesystem>
#include <system_error>

namespace plat {

namespace {

std::string canonicalFolder(const std::string& folder)
{
    if (folder.empty())
        return {};
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::canonical(folder, error);
    if (error || !std::filesystem::is_directory(canonical, error))
        return {};
    std::string text = canonical.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

}  // namespace

WebResourceLocator::WebResourceLocator(std::string folder)
    : _folder(canonicalFolder(folder))
{
}

URL WebResourceLocator::folderURL() const
{
    return URL::fileURLWithPath(_folder.empty() ? std::string("/") : _folder + "/");
}

bool WebResourceLocator::contains(const URL& url) const
{
    if (_folder.empty() || !url.isFileURL() || (!url.host().empty() && url.host() != "localhost"))
        return false;
    std::error_code error;
    std::filesystem::path place = std::filesystem::weakly_canonical(url.path(), error);
    if (error)
        return false;
    std::string text = place.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text == _folder || text.starts_with(_folder + "/");
}

std::optional<URL> WebResourceLocator::resolve(
    std::string_view reference, const std::optional<URL>& base, const URL& fallback)
{
    // Spaces around an attribute's value are no part of the address.
    while (!reference.empty() && (reference.front() == ' ' || reference.front() == '\t' || reference.front() == '\n'))
        reference.remove_prefix(1);
    while (!reference.empty() && (reference.back() == ' ' || reference.back() == '\t' || reference.back() == '\n'))
        reference.remove_suffix(1);
    if (reference.empty())
        return std::nullopt;
    return URL::URLWithString(reference, base ? *base : fallback);
}

std::optional<std::string> WebResourceLocator::pathForReference(
    std::string_view reference, const std::optional<URL>& base) const
{
    auto url = resolve(reference, base, folderURL());
    if (!url)
        return std::nullopt;
    return pathWithinFolder(*url);
}

std::optional<std::string> WebResourceLocator::pathWithinFolder(const URL& url) const
{
    if (!contains(url))
        return std::nullopt;
    std::error_code error;
    // Links are followed before the test, so one inside that points out is refused too.
    std::filesystem::path file = std::filesystem::canonical(url.path(), error);
    if (error)
        return std::nullopt;
    std::string text = file.string();
    if (!text.starts_with(_folder + "/") || !std::filesystem::is_regular_file(file, error))
        return std::nullopt;
    return text;
}

}  // namespace plat
