#pragma once
#include <map>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"

namespace plat {

// Reads a string table in the platform's ".strings" text form:
//   /* comment */ "key" = "value";   // comment
// Quoted strings take the escapes \" \\ \n \t \r \0 and \Uxxxx; unquoted
// words of letters, digits and "_.-$:/" are allowed too; "key;" alone maps
// the key to itself. UTF-8, or UTF-16 with a byte-order mark.
Result<std::map<std::string, std::string>> parseStringsFile(std::string_view bytes);

}  // namespace plat
