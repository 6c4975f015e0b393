#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/PropertyList.h"

// Internals shared by the property-list readers and writer and the keyed
// archives. Not for other callers.
namespace plat::detail {

// Limits on outside input. Nesting deeper than this is refused before any
// parser recurses; the value and byte budgets bound what a small file that
// references one object many times can expand to.
inline constexpr int kMaxPropertyListDepth = 512;
inline constexpr int64_t kMaxPropertyListBytes = int64_t {256} << 20;
inline constexpr size_t kMaxPropertyListValues = size_t {1} << 22;
inline constexpr uint64_t kMaxPropertyListPayloadBytes = uint64_t {1} << 30;

// A keyed-archive reference (a UID) stands in a Value as the one-entry
// dictionary {"CF$UID": n}, the form the platform's XML lists give it.
inline constexpr std::string_view kUIDKey = "CF$UID";
Value makeUIDReference(uint64_t uid);
// The UID of a {"CF$UID": n} dictionary with n >= 0, or empty.
std::optional<uint64_t> uidOfReference(const Value& value);

// Ordinary lists keep such dictionaries as dictionaries; the keyed archiver
// writes them as real UIDs.
enum class ReferenceDictionaries { Keep, WriteAsUIDs };
Result<Data> dataWithPropertyList(const Value& propertyList, PropertyListFormat format, ReferenceDictionaries);

bool isValidUtf8(std::string_view text);

// A stored real as a float. Past the float range the plain conversion is
// undefined behaviour; this gives infinity, as the hardware would.
float floatFromDouble(double value);

Error propertyListReadError(const std::string& description);

// Our own reader of binary lists ("bplist00"): checks every offset, count
// and reference, refuses cycles and nesting past the limit.
Result<Value> readBinaryPropertyList(const Data& data);

// The reader of XML lists: the XML through libxml2's SAX interface, values
// strictly of their element's type, nesting and value count within the limits.
Result<Value> readXMLPropertyList(const Data& data);

// The writers. XML refuses strings holding characters XML 1.0 does not
// allow and dates outside the years 0000 to 9999; binary holds both.
Result<Data> writeXMLPropertyList(const Value& propertyList);
Result<Data> writeBinaryPropertyList(const Value& propertyList, ReferenceDictionaries);

// The text forms of XML scalars. Readers take surrounding white space and
// nothing else; empty means the text is not of the type.
bool isXMLWhitespace(char c);
std::string_view trimmedXMLWhitespace(std::string_view text);
// Decimal with an optional sign, or hexadecimal after "0x"; any value of a
// signed or an unsigned 64-bit integer.
std::optional<Value> integerFromXMLText(std::string_view text);
// Decimal, "nan", "inf" or "infinity" with optional signs; past the range of
// a double, infinity or zero.
std::optional<double> realFromXMLText(std::string_view text);
std::string xmlTextOfReal(double value);
// YYYY-MM-DDTHH:MM:SSZ: whole seconds in UTC, years 0000 to 9999.
std::optional<Date> dateFromXMLText(std::string_view text);
// Rounds down to the whole second; empty outside the years 0000 to 9999.
std::optional<std::string> xmlTextOfDate(Date date);
// Base 64 with white space anywhere; padding may be left out.
std::optional<Data> dataFromBase64XMLText(std::string_view text);
// Lines of lineLength characters, each after linePrefix and ended by a line feed.
void appendBase64(const Data& bytes, size_t lineLength, std::string_view linePrefix, std::string& out);

}  // namespace plat::detail
