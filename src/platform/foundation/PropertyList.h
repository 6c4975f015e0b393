#pragma once
#include <optional>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace plat {

enum class PropertyListFormat { XML, Binary, OpenStep };

// Reading and writing property lists. Reading accepts every format the
// backing library reads (XML, binary, and the old text format where it can);
// writing produces XML version 1.0 or binary. Any thread.
class PropertyListSerialization {
public:
    // Outside input: a damaged, truncated, hostile or over-deep list gives an
    // error, never a crash. The format read is reported through format.
    static Result<Value> propertyListWithData(const Data& data, PropertyListFormat* format = nullptr);
    // Objects and nulls cannot be written; they give an error.
    static Result<Data> dataWithPropertyList(const Value& propertyList, PropertyListFormat format);
};

// The platform's collection conveniences: empty when the file is missing,
// unreadable, or its root is of another type.
std::optional<Dictionary> dictionaryWithContentsOfFile(const std::string& path);
std::optional<Array> arrayWithContentsOfFile(const std::string& path);
Result<Value> readPropertyListFile(const std::string& path);
// Writes atomically (see writeFileAtomically).
Result<void> writePropertyListFile(
    const Value& propertyList, const std::string& path, PropertyListFormat format = PropertyListFormat::XML);

}  // namespace plat
