#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "XMLPropertyListReferenceReader.h"
#include "platform/foundation/PropertyListDetail.h"

// The reference for the XML property-list benchmark: the hand-written
// tokenizer that read XML property lists before libxml2 did, kept here
// unchanged so the benchmark can compare the two on the same bytes.
//
// The reader of XML property lists: the document's prolog (declaration,
// comments, instructions, a document type with an internal subset), then
// one <plist> element holding one value, or a bare value. Values are read
// strictly: an integer, real, date or data element whose text is not
// exactly of its type is an error, never a plausible wrong value.
//
// Two leniencies are kept on purpose, as the platform's reader has them and
// older lists depend on them: raw control characters in text are read (our
// earlier writer put them in unescaped), and line ends in text are kept as
// written rather than normalised.
namespace zt::bench {

using namespace plat;
using namespace plat::detail;

namespace {

bool isNameCharacter(char c)
{
    return !isXMLWhitespace(c) && c != '/' && c != '>' && c != '<' && c != '=' && c != '"' && c != '\'';
}

// The UTF-8 form of a character reference; false for code points XML does
// not allow (NUL, most controls, surrogates, U+FFFE, U+FFFF, past Unicode).
bool appendCharacterReference(uint32_t codePoint, std::string& out)
{
    bool allowed = codePoint == 0x9 || codePoint == 0xA || codePoint == 0xD
        || (codePoint >= 0x20 && codePoint <= 0xD7FF) || (codePoint >= 0xE000 && codePoint <= 0xFFFD)
        || (codePoint >= 0x10000 && codePoint <= 0x10FFFF);
    if (!allowed)
        return false;
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return true;
}

enum class ElementKind { Plist, Dict, Array, Key, String, Integer, Real, Date, Data, True, False, Unknown };

ElementKind kindOfElement(std::string_view name)
{
    static constexpr std::pair<std::string_view, ElementKind> kKinds[] = {
        {"plist", ElementKind::Plist},
        {"dict", ElementKind::Dict},
        {"array", ElementKind::Array},
        {"key", ElementKind::Key},
        {"string", ElementKind::String},
        {"integer", ElementKind::Integer},
        {"real", ElementKind::Real},
        {"date", ElementKind::Date},
        {"data", ElementKind::Data},
        {"true", ElementKind::True},
        {"false", ElementKind::False},
    };
    for (const auto& [text, kind] : kKinds) {
        if (name == text)
            return kind;
    }
    return ElementKind::Unknown;
}

struct StartTag {
    std::string_view name;
    ElementKind kind = ElementKind::Unknown;
    bool isEmpty = false;  // <name/>
};

class XMLPropertyListReader {
public:
    explicit XMLPropertyListReader(const Data& data)
        : _text(reinterpret_cast<const char*>(data.data()), data.size())
    {
    }

    Result<Value> read()
    {
        if (_text.starts_with("\xEF\xBB\xBF"))
            _at = 3;
        Value root = readDocument();
        if (_failure) {
            size_t line = 1 + static_cast<size_t>(std::count(_text.begin(), _text.begin() + _failureAt, '\n'));
            return propertyListReadError(
                "XML property list: " + std::string(_failure) + " (line " + std::to_string(line) + ")");
        }
        return root;
    }

private:
    Value fail(const char* reason)
    {
        if (!_failure) {
            _failure = reason;
            _failureAt = std::min(_at, _text.size());
        }
        return {};
    }

    bool failed() const { return _failure != nullptr; }
    bool atEnd() const { return _at >= _text.size(); }
    bool lookingAt(std::string_view prefix) const
    {
        return _text.substr(std::min(_at, _text.size())).starts_with(prefix);
    }

    void skipWhitespace()
    {
        while (!atEnd() && isXMLWhitespace(_text[_at]))
            ++_at;
    }

    // Moves past the first terminator at least `from` bytes on.
    bool skipPast(size_t from, std::string_view terminator, const char* unterminated)
    {
        size_t end = _text.find(terminator, _at + from);
        if (end == std::string_view::npos) {
            fail(unterminated);
            return false;
        }
        _at = end + terminator.size();
        return true;
    }

    bool skipComment() { return skipPast(4, "-->", "unterminated comment"); }
    bool skipInstruction() { return skipPast(2, "?>", "unterminated processing instruction"); }

    // A quoted literal, with either quote.
    bool skipQuoted()
    {
        char quote = _text[_at];
        size_t end = _text.find(quote, _at + 1);
        if (end == std::string_view::npos) {
            fail("unterminated quoted value");
            return false;
        }
        _at = end + 1;
        return true;
    }

    // <!DOCTYPE name ... [internal subset]>. The subset's declarations are
    // skipped, not used: lists name no entities of their own.
    bool skipDocumentType()
    {
        _at += 2;
        bool inSubset = false;
        while (!atEnd()) {
            char c = _text[_at];
            if (c == '"' || c == '\'') {
                if (!skipQuoted())
                    return false;
            } else if (inSubset && lookingAt("<!--")) {
                if (!skipComment())
                    return false;
            } else if (inSubset && lookingAt("<?")) {
                if (!skipInstruction())
                    return false;
            } else if (!inSubset && c == '[') {
                inSubset = true;
                ++_at;
            } else if (inSubset && c == ']') {
                inSubset = false;
                ++_at;
            } else if (!inSubset && c == '>') {
                ++_at;
                return true;
            } else {
                ++_at;
            }
        }
        fail("unterminated document type");
        return false;
    }

    // White space, comments and instructions: what may stand between
    // elements. Stops at the next element or anything else.
    bool skipMisc()
    {
        for (;;) {
            skipWhitespace();
            if (lookingAt("<!--")) {
                if (!skipComment())
                    return false;
            } else if (lookingAt("<?")) {
                if (!skipInstruction())
                    return false;
            } else {
                return true;
            }
        }
    }

    // At "<name": the tag up to its ">", attributes skipped.
    bool readStartTag(StartTag& tag)
    {
        size_t nameStart = ++_at;
        while (!atEnd() && isNameCharacter(_text[_at]))
            ++_at;
        tag.name = _text.substr(nameStart, _at - nameStart);
        if (tag.name.empty()) {
            fail("malformed tag");
            return false;
        }
        tag.kind = kindOfElement(tag.name);
        for (;;) {
            skipWhitespace();
            if (atEnd())
                break;
            char c = _text[_at];
            if (c == '>') {
                ++_at;
                return true;
            }
            if (c == '/' && lookingAt("/>")) {
                _at += 2;
                tag.isEmpty = true;
                return true;
            }
            // An attribute: name = "value".
            size_t attributeStart = _at;
            while (!atEnd() && isNameCharacter(_text[_at]))
                ++_at;
            skipWhitespace();
            if (_at == attributeStart || atEnd() || _text[_at] != '=') {
                fail("malformed attribute");
                return false;
            }
            ++_at;
            skipWhitespace();
            if (atEnd() || (_text[_at] != '"' && _text[_at] != '\'')) {
                fail("malformed attribute");
                return false;
            }
            if (!skipQuoted())
                return false;
        }
        fail("unterminated tag");
        return false;
    }

    // At "</": the end tag of the element named name.
    bool readEndTag(std::string_view name)
    {
        _at += 2;
        if (!lookingAt(name)) {
            fail("end tag does not match its element");
            return false;
        }
        _at += name.size();
        skipWhitespace();
        if (atEnd() || _text[_at] != '>') {
            fail("end tag does not match its element");
            return false;
        }
        ++_at;
        return true;
    }

    // After a start tag: the element's text up to its end tag, with
    // references resolved, CDATA sections taken as they stand and comments
    // and instructions left out. Elements inside are an error.
    bool readText(std::string_view name, std::string& out)
    {
        for (;;) {
            size_t special = _text.find_first_of("<&", _at);
            if (special == std::string_view::npos) {
                fail("unterminated element");
                return false;
            }
            out.append(_text.substr(_at, special - _at));
            _at = special;
            if (_text[_at] == '&') {
                if (!readReference(out))
                    return false;
            } else if (lookingAt("</")) {
                return readEndTag(name);
            } else if (lookingAt("<![CDATA[")) {
                size_t end = _text.find("]]>", _at + 9);
                if (end == std::string_view::npos) {
                    fail("unterminated CDATA section");
                    return false;
                }
                out.append(_text.substr(_at + 9, end - _at - 9));
                _at = end + 3;
            } else if (lookingAt("<!--")) {
                if (!skipComment())
                    return false;
            } else if (lookingAt("<?")) {
                if (!skipInstruction())
                    return false;
            } else {
                fail("element inside a text element");
                return false;
            }
        }
    }

    // At "&": a predefined entity or a character reference.
    bool readReference(std::string& out)
    {
        size_t end = _text.find(';', _at);
        constexpr size_t kLongestReference = 12;  // "&#x0010FFFF;" and some leading zeros
        if (end == std::string_view::npos || end - _at > kLongestReference) {
            fail("malformed reference");
            return false;
        }
        std::string_view reference = _text.substr(_at + 1, end - _at - 1);
        static constexpr std::pair<std::string_view, char> kEntities[]
            = {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
        for (const auto& [entity, character] : kEntities) {
            if (reference == entity) {
                out += character;
                _at = end + 1;
                return true;
            }
        }
        if (reference.size() < 2 || reference[0] != '#') {
            fail("unknown entity");
            return false;
        }
        bool hex = reference[1] == 'x';
        std::string_view digits = reference.substr(hex ? 2 : 1);
        uint32_t codePoint = 0;
        bool valid = !digits.empty();
        for (char c : digits) {
            int digit = -1;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            if (digit < 0 || codePoint > 0x10FFFF) {
                valid = false;
                break;
            }
            codePoint = codePoint * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
        }
        if (!valid || !appendCharacterReference(codePoint, out)) {
            fail("character reference to a character XML does not allow");
            return false;
        }
        _at = end + 1;
        return true;
    }

    Value readDocument()
    {
        // The prolog: declaration, comments, instructions, one document type.
        bool sawDocumentType = false;
        for (;;) {
            if (!skipMisc())
                return {};
            if (lookingAt("<!DOCTYPE") && !sawDocumentType) {
                sawDocumentType = true;
                if (!skipDocumentType())
                    return {};
                continue;
            }
            break;
        }
        if (atEnd() || _text[_at] != '<' || lookingAt("</") || lookingAt("<!"))
            return fail("no root element");
        StartTag tag;
        if (!readStartTag(tag))
            return {};
        Value root;
        if (tag.kind == ElementKind::Plist) {
            if (tag.isEmpty)
                return fail("the plist element holds no value");
            if (!skipMisc())
                return {};
            if (lookingAt("</"))
                return fail("the plist element holds no value");
            root = readValueElement(0);
            if (failed() || !skipMisc())
                return {};
            if (!lookingAt("</"))
                return fail("the plist element holds more than one value");
            if (!readEndTag(tag.name))
                return {};
        } else {
            root = readValue(tag, 0);
            if (failed())
                return {};
        }
        if (!skipMisc())
            return {};
        if (!atEnd())
            return fail("content after the root element");
        return root;
    }

    // At "<" where a value must start.
    Value readValueElement(int depth)
    {
        if (atEnd() || _text[_at] != '<' || lookingAt("</") || lookingAt("<!"))
            return fail("expected a value element");
        StartTag tag;
        if (!readStartTag(tag))
            return {};
        return readValue(tag, depth);
    }

    Value readValue(const StartTag& tag, int depth)
    {
        if (++_valueCount > kMaxPropertyListValues)
            return fail("too many values");
        switch (tag.kind) {
        case ElementKind::Dict:
            return readDictionary(tag, depth + 1);
        case ElementKind::Array:
            return readArray(tag, depth + 1);
        case ElementKind::String:
            return readString(tag);
        case ElementKind::Integer:
        case ElementKind::Real:
        case ElementKind::Date:
        case ElementKind::Data:
        case ElementKind::True:
        case ElementKind::False:
            return readScalar(tag);
        case ElementKind::Key:
            return fail("a key outside a dictionary");
        case ElementKind::Plist:
            return fail("a plist element inside the list");
        case ElementKind::Unknown:
            break;
        }
        return fail("unknown element");
    }

    Value readString(const StartTag& tag)
    {
        std::string text;
        if (!tag.isEmpty && !readText(tag.name, text))
            return {};
        if (!isValidUtf8(text))
            return fail("string is not UTF-8");
        return Value(std::move(text));
    }

    Value readScalar(const StartTag& tag)
    {
        std::string text;
        if (!tag.isEmpty && !readText(tag.name, text))
            return {};
        switch (tag.kind) {
        case ElementKind::Integer:
            if (auto integer = integerFromXMLText(text))
                return *integer;
            return fail("not an integer of 64 bits, signed or unsigned");
        case ElementKind::Real:
            if (auto real = realFromXMLText(text))
                return *real;
            return fail("not a real number");
        case ElementKind::Date:
            if (auto date = dateFromXMLText(text))
                return *date;
            return fail("not a date of the form YYYY-MM-DDTHH:MM:SSZ");
        case ElementKind::Data:
            if (auto bytes = dataFromBase64XMLText(text))
                return std::move(*bytes);
            return fail("data is not base 64");
        case ElementKind::True:
        case ElementKind::False:
            if (!trimmedXMLWhitespace(text).empty())
                return fail("text inside a boolean");
            return Value(tag.kind == ElementKind::True);
        default:
            return fail("unknown element");
        }
    }

    // After a container's start tag: misc, then either its end tag (true)
    // or the start of an element (false).
    bool atContainerEnd(const StartTag& tag, bool& ended)
    {
        if (!skipMisc())
            return false;
        if (atEnd()) {
            fail("unterminated container");
            return false;
        }
        if (_text[_at] != '<') {
            fail("text between the elements of a container");
            return false;
        }
        ended = lookingAt("</");
        return !ended || readEndTag(tag.name);
    }

    Value readArray(const StartTag& tag, int depth)
    {
        if (depth > kMaxPropertyListDepth)
            return fail("nested too deeply");
        std::vector<Value> values;
        if (!tag.isEmpty) {
            for (;;) {
                bool ended = false;
                if (!atContainerEnd(tag, ended))
                    return {};
                if (ended)
                    break;
                values.push_back(readValueElement(depth));
                if (failed())
                    return {};
            }
        }
        return Value(Array(std::move(values)));
    }

    Value readDictionary(const StartTag& tag, int depth)
    {
        if (depth > kMaxPropertyListDepth)
            return fail("nested too deeply");
        Dictionary dictionary;
        if (tag.isEmpty)
            return dictionary;
        for (;;) {
            bool ended = false;
            if (!atContainerEnd(tag, ended))
                return {};
            if (ended)
                break;
            StartTag keyTag;
            if (lookingAt("<!"))
                return fail("expected a key");
            if (!readStartTag(keyTag))
                return {};
            if (keyTag.kind != ElementKind::Key)
                return fail("a value without a key");
            std::string key;
            if (!keyTag.isEmpty && !readText(keyTag.name, key))
                return {};
            if (!isValidUtf8(key))
                return fail("key is not UTF-8");
            if (!atContainerEnd(tag, ended))
                return {};
            if (ended)
                return fail("a key without a value");
            if (lookingAt("<key") && (_at + 4 >= _text.size() || !isNameCharacter(_text[_at + 4])))
                return fail("a key without a value");
            Value value = readValueElement(depth);
            if (failed())
                return {};
            // A repeated key: the last one counts, as on the platform.
            dictionary.set(std::move(key), std::move(value));
        }
        return dictionary;
    }

    std::string_view _text;
    size_t _at = 0;
    size_t _valueCount = 0;
    const char* _failure = nullptr;
    size_t _failureAt = 0;
};

}  // namespace

Result<Value> readXMLPropertyListWithReferenceReader(const Data& data)
{
    if (std::memchr(data.data(), 0, data.size()) != nullptr)
        return propertyListReadError("XML property list: contains a NUL byte");
    return XMLPropertyListReader(data).read();
}

}  // namespace zt::bench
