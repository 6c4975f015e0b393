#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Names of the keyed-archive layout, shared by the archiver and unarchiver.
namespace plat::detail {

inline constexpr std::string_view kArchiverKey = "$archiver";
inline constexpr std::string_view kArchiverName = "NSKeyedArchiver";
inline constexpr std::string_view kVersionKey = "$version";
inline constexpr int64_t kArchiveVersion = 100000;
inline constexpr std::string_view kTopKey = "$top";
inline constexpr std::string_view kRootKey = "root";
inline constexpr std::string_view kObjectsKey = "$objects";
inline constexpr std::string_view kNullObject = "$null";
inline constexpr std::string_view kClassKey = "$class";
inline constexpr std::string_view kClassNameKey = "$classname";
inline constexpr std::string_view kClassesKey = "$classes";

// Objects nested deeper than this (custom objects and containers) are refused
// on both sides.
inline constexpr int kMaxArchiveDepth = 512;

inline constexpr std::string_view kObjectsArrayKey = "NS.objects";
inline constexpr std::string_view kKeysArrayKey = "NS.keys";
inline constexpr std::string_view kTimeKey = "NS.time";
inline constexpr std::string_view kStringKey = "NS.string";
inline constexpr std::string_view kDataKey = "NS.data";

// Keys that start with "$" are the layout's own; an object's key that starts
// with "$" is written with one more "$" in front, as the platform does.
inline std::string escapedArchiveKey(std::string_view key)
{
    return key.starts_with('$') ? "$" + std::string(key) : std::string(key);
}

}  // namespace plat::detail
