#pragma once
#include <optional>
#include <string>

#include "platform/foundation/Error.h"
#include "web/LiteJsonParser.h"
#include "web/LiteJsonWriter.h"

namespace zt {

enum class AllowScalar { No, Yes };

// One object for both directions: a parser and a writer with one nesting
// limit. After a failed call its own trace is a copy of the inner object's,
// and the error out-parameter gets that trace's last (outermost) error; a
// successful call leaves both alone. One thread at a time.
class LiteJSON : public LiteJsonBase, public LiteJsonParserProtocol, public LiteJsonWriterProtocol {
public:
    LiteJSON();

    std::optional<std::string> stringWithObject(const plat::Value& value) override;
    std::optional<std::string> stringWithFragment(const plat::Value& value) override;
    std::optional<std::string> stringWithObject(const plat::Value& value, plat::Error* error);
    std::optional<std::string> stringWithFragment(const plat::Value& value, plat::Error* error);
    std::optional<std::string> stringWithObject(const plat::Value& value, AllowScalar allowScalar, plat::Error* error);

    std::optional<plat::Value> objectWithString(std::optional<std::string_view> string) override;
    std::optional<plat::Value> fragmentWithString(std::optional<std::string_view> string) override;
    std::optional<plat::Value> objectWithString(std::optional<std::string_view> string, plat::Error* error);
    std::optional<plat::Value> fragmentWithString(std::optional<std::string_view> string, plat::Error* error);
    std::optional<plat::Value> objectWithString(
        std::optional<std::string_view> string, AllowScalar allowScalar, plat::Error* error);

    // The parser's limit; setting it sets both.
    size_t maxDepth() const override { return _jsonParser.maxDepth(); }
    void setMaxDepth(size_t maxDepth) override;

    bool humanReadable() const override { return _jsonWriter.humanReadable(); }
    void setHumanReadable(bool humanReadable) override { _jsonWriter.setHumanReadable(humanReadable); }
    bool sortKeys() const override { return _jsonWriter.sortKeys(); }
    void setSortKeys(bool sortKeys) override { _jsonWriter.setSortKeys(sortKeys); }

    const LiteJsonParser& jsonParser() const { return _jsonParser; }
    const LiteJsonWriter& jsonWriter() const { return _jsonWriter; }

private:
    void takeFailure(const LiteJsonBase& inner, plat::Error* error);

    LiteJsonParser _jsonParser;
    LiteJsonWriter _jsonWriter;
};

}  // namespace zt
