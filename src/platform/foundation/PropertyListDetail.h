#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
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

// A structural pass over XML text before the backing library sees it:
// nesting depth and element count within the limits, comments, CDATA and
// declarations terminated.
Result<void> checkXMLPropertyListStructure(const Data& data);

}  // namespace plat::detail
