#pragma once
#include <optional>
#include <string_view>

#include "platform/foundation/Value.h"
#include "web/LiteJsonBase.h"

namespace zt {

// What a JSON reader offers: text to platform values, or empty with the
// reader's error trace telling why. An empty optional string is nil.
class LiteJsonParserProtocol {
public:
    virtual ~LiteJsonParserProtocol() = default;
    // A dictionary or an array only.
    virtual std::optional<plat::Value> objectWithString(std::optional<std::string_view> string) = 0;
    // Any JSON value, scalars included.
    virtual std::optional<plat::Value> fragmentWithString(std::optional<std::string_view> string) = 0;
};

// A recursive-descent reader over the UTF-8 of the text, which ends at its
// first NUL. Objects become dictionaries (a later duplicate key wins; null
// is kept as an entry), arrays arrays, numbers integers when they are whole
// and fit 64 bits and reals otherwise. Commas between elements are optional,
// trailing commas are errors. One thread at a time.
class LiteJsonParser : public LiteJsonBase, public LiteJsonParserProtocol {
public:
    std::optional<plat::Value> objectWithString(std::optional<std::string_view> string) override;
    std::optional<plat::Value> fragmentWithString(std::optional<std::string_view> string) override;

private:
    void skipWhitespace();
    bool atEnd() const { return _c == _end; }
    bool scanValue(plat::Value& value);
    bool scanRestOfLiteral(std::string_view rest, const char* error);
    bool scanNumber(plat::Value& value);
    bool scanString(std::string& text);
    bool scanHexQuad(uint32_t& unit);
    bool scanUnicodeChar(std::string& text);
    bool scanArray(plat::Value& value);
    bool scanObject(plat::Value& value);
    bool enterContainer();

    const char* _c = nullptr;  // read position
    const char* _end = nullptr;
};

}  // namespace zt
