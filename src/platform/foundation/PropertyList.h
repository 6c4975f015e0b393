#pragma once
#include <optional>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace plat {

enum class PropertyListFormat { XML, Binary, OpenStep };

// Codes of the errors below, in kCocoaErrorDomain, as the platform numbers them.
inline constexpr int64_t kPropertyListReadCorruptError = 3840;
inline constexpr int64_t kPropertyListReadUnknownVersionError = 3841;
inline constexpr int64_t kPropertyListWriteInvalidError = 3852;

// Reading and writing property lists: XML version 1.0 and binary, by our own
// readers and writers; the XML syntax itself is libxml2's, without network,
// entity declarations or DTD loading. Any thread.
//
// Integers are signed 64-bit, or unsigned 64-bit past INT64_MAX, and read
// exactly; an integer outside both ranges is an error, as is any value whose
// text in XML is not exactly of its type. Reals may be NaN or infinite in
// both formats ("nan", "+infinity", "-infinity" in XML) and keep the sign of
// zero. XML dates hold whole seconds (a date is written as the second it
// falls in) from year 0000 to 9999; binary dates keep fractions and any range.
// XML cannot hold the control characters other than tab and line ends, nor
// U+FFFE and U+FFFF: writing a string that holds one as XML is an error.
// A keyed-archive reference (UID) is read as the dictionary {"CF$UID": n},
// the form the platform's XML archives show; only the keyed archiver writes
// such dictionaries back as UIDs.
class PropertyListSerialization {
public:
    // Outside input: a damaged, truncated, hostile or over-deep list gives an
    // error, never a crash. The format read is reported through format.
    // Strings must be UTF-8; nesting is limited to 512 levels.
    static Result<Value> propertyListWithData(const Data& data, PropertyListFormat* format = nullptr);
    // Objects and nulls cannot be written; they give an error, as do strings
    // that are not UTF-8 or contain NUL (and in XML, the characters above).
    // Only XML and Binary are written.
    static Result<Data> dataWithPropertyList(const Value& propertyList, PropertyListFormat format);
};

// The platform's collection conveniences: empty when the file is missing,
// unreadable, or its root is of another type.
std::optional<Dictionary> dictionaryWithContentsOfFile(const std::string& path);
std::optional<Array> arrayWithContentsOfFile(const std::string& path);
// Files larger than 256 MB are refused before they are read.
Result<Value> readPropertyListFile(const std::string& path);
// Writes atomically (see writeFileAtomically).
Result<void> writePropertyListFile(
    const Value& propertyList, const std::string& path, PropertyListFormat format = PropertyListFormat::XML);

}  // namespace plat
