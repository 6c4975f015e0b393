#include "platform/foundation/StringsFile.h"

#include <cctype>

#include "platform/foundation/HexDigit.h"
#include "platform/foundation/Text.h"

namespace plat {

namespace {

constexpr const char* kDomain = "StringsFile";

class StringsParser {
public:
    explicit StringsParser(std::string_view text)
        : _text(text)
    {
    }

    Result<std::map<std::string, std::string>> parse()
    {
        std::map<std::string, std::string> table;
        for (;;) {
            if (!skipSpaceAndComments())
                return failure("unterminated comment");
            if (atEnd())
                return table;
            auto key = readToken();
            if (!key)
                return failure("expected a key");
            if (!skipSpaceAndComments())
                return failure("unterminated comment");
            if (peek() == ';') {
                ++_position;
                table[*key] = *key;
                continue;
            }
            if (peek() != '=')
                return failure("expected \"=\"");
            ++_position;
            if (!skipSpaceAndComments())
                return failure("unterminated comment");
            auto value = readToken();
            if (!value)
                return failure("expected a value");
            if (!skipSpaceAndComments())
                return failure("unterminated comment");
            if (peek() != ';')
                return failure("expected \";\"");
            ++_position;
            table[*key] = *value;
        }
    }

private:
    bool atEnd() const { return _position >= _text.size(); }
    char peek() const { return atEnd() ? '\0' : _text[_position]; }

    Error failure(const std::string& what) const
    {
        int line = 1;
        for (size_t i = 0; i < _position && i < _text.size(); ++i)
            line += _text[i] == '\n';
        return Error(kDomain, 1, "string table line " + std::to_string(line) + ": " + what);
    }

    // False when a block comment never ends.
    bool skipSpaceAndComments()
    {
        while (!atEnd()) {
            char c = _text[_position];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++_position;
            } else if (_text.substr(_position, 2) == "//") {
                size_t lineEnd = _text.find('\n', _position);
                _position = lineEnd == std::string_view::npos ? _text.size() : lineEnd + 1;
            } else if (_text.substr(_position, 2) == "/*") {
                size_t close = _text.find("*/", _position + 2);
                if (close == std::string_view::npos)
                    return false;
                _position = close + 2;
            } else {
                break;
            }
        }
        return true;
    }

    static bool isWordCharacter(char c)
    {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '-' || c == '$' || c == ':'
            || c == '/';
    }

    std::optional<std::string> readToken()
    {
        if (peek() == '"')
            return readQuoted();
        size_t start = _position;
        while (!atEnd() && isWordCharacter(_text[_position]))
            ++_position;
        if (_position == start)
            return std::nullopt;
        return std::string(_text.substr(start, _position - start));
    }

    std::optional<std::string> readQuoted()
    {
        ++_position;  // opening quote
        std::u16string pendingUnits;  // \U escapes may form surrogate pairs
        std::string out;
        auto flushUnits = [&] {
            out += utf8FromUtf16(pendingUnits);
            pendingUnits.clear();
        };
        while (!atEnd()) {
            char c = _text[_position++];
            if (c == '"') {
                flushUnits();
                return out;
            }
            if (c != '\\') {
                flushUnits();
                out += c;
                continue;
            }
            if (atEnd())
                return std::nullopt;
            char escaped = _text[_position++];
            if (escaped == 'U' || escaped == 'u') {
                if (_position + 4 > _text.size())
                    return std::nullopt;
                unsigned value = 0;
                for (int i = 0; i < 4; ++i) {
                    const int digit = hexDigitValue(_text[_position++]);
                    if (digit < 0)
                        return std::nullopt;
                    value = value * 16 + static_cast<unsigned>(digit);
                }
                pendingUnits += static_cast<char16_t>(value);
                continue;
            }
            flushUnits();
            switch (escaped) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '0':
                out += '\0';
                break;
            default:
                out += escaped;  // \" \\ and any other escaped character stand for themselves
                break;
            }
        }
        return std::nullopt;
    }

    std::string_view _text;
    size_t _position = 0;
};

std::string decodeToUtf8(std::string_view bytes)
{
    auto byteAt = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
    if (bytes.size() >= 2 && ((byteAt(0) == 0xFF && byteAt(1) == 0xFE) || (byteAt(0) == 0xFE && byteAt(1) == 0xFF))) {
        bool littleEndian = byteAt(0) == 0xFF;
        std::u16string units;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            uint16_t unit = littleEndian ? uint16_t(byteAt(i) | (byteAt(i + 1) << 8))
                                         : uint16_t((byteAt(i) << 8) | byteAt(i + 1));
            units += static_cast<char16_t>(unit);
        }
        return utf8FromUtf16(units);
    }
    if (bytes.size() >= 3 && byteAt(0) == 0xEF && byteAt(1) == 0xBB && byteAt(2) == 0xBF)
        bytes.remove_prefix(3);
    return repairedUtf8(bytes);
}

}  // namespace

Result<std::map<std::string, std::string>> parseStringsFile(std::string_view bytes)
{
    std::string text = decodeToUtf8(bytes);
    return StringsParser(text).parse();
}

}  // namespace plat
