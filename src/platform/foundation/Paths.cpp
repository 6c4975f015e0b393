#include "platform/foundation/Paths.h"

#include "platform/foundation/Text.h"

namespace plat {

namespace {

std::string_view withoutTrailingSlashes(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

// Position of the "." that starts the extension of the last component, or npos.
size_t extensionDot(std::string_view path)
{
    size_t slash = path.rfind('/');
    size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot <= nameStart || dot + 1 == path.size())
        return std::string_view::npos;
    return dot;
}

}  // namespace

std::string appendingPathComponent(std::string_view path, std::string_view component)
{
    path = withoutTrailingSlashes(path);
    while (!component.empty() && component.front() == '/')
        component.remove_prefix(1);
    if (path.empty())
        return std::string(component);
    std::string result(path);
    if (result.back() != '/')
        result += '/';
    result += component;
    return std::string(withoutTrailingSlashes(result));
}

std::string lastPathComponent(std::string_view path)
{
    path = withoutTrailingSlashes(path);
    if (path == "/")
        return "/";
    size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string deletingLastPathComponent(std::string_view path)
{
    path = withoutTrailingSlashes(path);
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    if (slash == 0)
        return "/";
    return std::string(path.substr(0, slash));
}

std::string pathExtension(std::string_view path)
{
    path = withoutTrailingSlashes(path);
    size_t dot = extensionDot(path);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot + 1));
}

std::string deletingPathExtension(std::string_view path)
{
    path = withoutTrailingSlashes(path);
    size_t dot = extensionDot(path);
    return std::string(dot == std::string_view::npos ? path : path.substr(0, dot));
}

std::string appendingPathExtension(std::string_view path, std::string_view extension)
{
    std::string result(withoutTrailingSlashes(path));
    if (extension.empty())
        return result;
    result += '.';
    result += extension;
    return result;
}

bool isPlainFileName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::string fileNameFitting(std::string_view base, std::string_view tail)
{
    const size_t room = kMaximumFileNameBytes > tail.size() ? kMaximumFileNameBytes - tail.size() : 0;
    return prefixWithinBytes(base, room) + std::string(tail);
}

}  // namespace plat
