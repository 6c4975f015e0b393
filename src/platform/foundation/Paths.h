#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Path strings the platform's way: "/" separated, no trailing slash except
// for the root, extensions after the last "." of the last component.
namespace plat {

std::string appendingPathComponent(std::string_view path, std::string_view component);
std::string lastPathComponent(std::string_view path);
std::string deletingLastPathComponent(std::string_view path);
// Extension without the dot; empty when the last component has none.
std::string pathExtension(std::string_view path);
std::string deletingPathExtension(std::string_view path);
std::string appendingPathExtension(std::string_view path, std::string_view extension);

// True when name is one plain component: not empty, not "." or "..", no "/"
// and no NUL. Names from outside input must pass this before they are joined
// to a folder.
bool isPlainFileName(std::string_view name);

// The most bytes one name in a folder may take on the file systems here.
inline constexpr size_t kMaximumFileNameBytes = 255;
// base followed by tail (a number, an extension), base cut at a character's
// boundary where the whole would not fit kMaximumFileNameBytes.
std::string fileNameFitting(std::string_view base, std::string_view tail);

}  // namespace plat
