#pragma once
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

// The console log: one plain line per message on standard error, with the
// time and process, as the platform's log prints it. Any thread.
namespace plat {

namespace detail {
inline std::string logArgument(std::string_view text)
{
    return std::string(text);
}
inline std::string logArgument(const char* text)
{
    return text ? std::string(text) : std::string("(null)");
}
inline std::string logArgument(bool value)
{
    return value ? "YES" : "NO";
}
std::string logArgument(double value);
template <std::integral Integer>
requires(!std::same_as<Integer, bool> && !std::same_as<Integer, char>) std::string logArgument(Integer value)
{
    return std::to_string(value);
}
inline std::string logArgument(char value)
{
    return std::string(1, value);
}
inline std::string logArgument(float value)
{
    return logArgument(static_cast<double>(value));
}
inline std::string logArgument(const void* pointer)
{
    return "0x" + std::to_string(reinterpret_cast<std::uintptr_t>(pointer));
}

// Replaces each "{}" of format by the next argument, in order; "{{" and
// "}}" stand for braces. Missing arguments leave "{}" in place.
std::string formatLogLine(std::string_view format, const std::string* arguments, size_t count);
void writeLogLine(const std::string& line);
}  // namespace detail

template <typename... Args> std::string formatLine(std::string_view format, const Args&... args)
{
    const std::string arguments[] = {std::string(), detail::logArgument(args)...};
    return detail::formatLogLine(format, arguments + 1, sizeof...(Args));
}

template <typename... Args> void log(std::string_view format, const Args&... args)
{
    detail::writeLogLine(formatLine(format, args...));
}

}  // namespace plat
