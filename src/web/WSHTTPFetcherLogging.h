#pragma once
#include <functional>
#include <optional>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/net/HTTPHeaders.h"

// The class-wide helpers of the fetcher's optional logging (the fetch log
// itself is WSHTTPFetcher::logFetchWithError). Logging is off unless a
// developer switches it on; nothing in the app does.
namespace zt {

// The text with what lies between the first start string and the next end
// string (or the end of the text) replaced by "_snip_".
std::optional<std::string> snipSubstringOfString(
    const std::optional<std::string>& text, const std::string& start, const std::string& end);
// "  name: value\n" per header, names sorted, secrets of "Authorization" snipped.
std::string headersStringForDictionary(const plat::HTTPHeaders& headers);
// JSON bodies are read and pretty-printed with LiteJson; bytes that are not
// UTF-8 or not JSON give none.
std::optional<plat::Value> JSONObjectWithData(const plat::Data& data);
std::optional<std::string> stringWithJSONObject(const plat::Value& object);
bool fileOrDirExistsAtPath(const std::string& path);
// Creates the folder and its missing parents with permissions 0700.
bool makeDirectoryUpToPath(const std::string& path);
bool removeItemAtPath(const std::string& path);
bool createSymbolicLinkAtPath(const std::string& linkPath, const std::string& destination);

}  // namespace zt
