#include <algorithm>
#include <limits>
#include <string>

#include "platform/foundation/PropertyListDetail.h"

// Writes XML property lists in the platform's layout: its declaration and
// document type, one value per line, nested values indented by tabs.
namespace plat::detail {

namespace {

constexpr std::string_view kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                     "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                     "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                     "<plist version=\"1.0\">\n";

// Base 64 lines get shorter as they are indented deeper, down to this.
constexpr size_t kShortestDataLine = 16;
constexpr size_t kWidestDataLine = 76;
constexpr size_t kTabWidth = 8;

// The first character of valid UTF-8 text that XML 1.0 does not allow:
// controls other than tab, line feed and carriage return, and U+FFFE and
// U+FFFF. Empty when there is none.
std::optional<uint32_t> characterXMLForbids(std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
            return byte;
        // U+FFFE and U+FFFF are EF BF BE and EF BF BF.
        if (byte == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF
            && (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE)
            return static_cast<unsigned char>(text[i + 2]) == 0xBE ? 0xFFFE : 0xFFFF;
    }
    return std::nullopt;
}

class XMLPropertyListWriter {
public:
    Result<Data> write(const Value& root)
    {
        _out.append(kHeader);
        writeValue(root, 0);
        if (!_failure.empty())
            return Error(kCocoaErrorDomain, kPropertyListWriteInvalidError, "property list: " + _failure);
        _out.append("</plist>\n");
        return Data(_out.begin(), _out.end());
    }

private:
    void fail(std::string text)
    {
        if (_failure.empty())
            _failure = std::move(text);
    }

    void indent(int depth) { _out.append(static_cast<size_t>(depth), '\t'); }

    // Escapes markup, and carriage returns, which XML readers would
    // otherwise turn into line feeds.
    bool appendEscaped(std::string_view text)
    {
        if (!isValidUtf8(text)) {
            fail("cannot write a string that is not UTF-8");
            return false;
        }
        if (auto forbidden = characterXMLForbids(text)) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", *forbidden);
            fail(std::string("cannot write a string holding ") + code + ", which XML does not allow");
            return false;
        }
        for (char c : text) {
            switch (c) {
            case '<':
                _out.append("&lt;");
                break;
            case '>':
                _out.append("&gt;");
                break;
            case '&':
                _out.append("&amp;");
                break;
            case '\r':
                _out.append("&#13;");
                break;
            default:
                _out += c;
            }
        }
        return true;
    }

    void element(int depth, std::string_view name, std::string_view text)
    {
        indent(depth);
        _out.append("<").append(name).append(">").append(text).append("</").append(name).append(">\n");
    }

    void writeValue(const Value& value, int depth)
    {
        // Also stops containers that hold themselves.
        if (depth > kMaxPropertyListDepth)
            return fail("nested too deeply (or a container holds itself)");
        switch (value.type()) {
        case Value::Type::Null:
            return fail("cannot write a null value");
        case Value::Type::Object:
            return fail("cannot write an archivable object; use a keyed archive");
        case Value::Type::Boolean:
            indent(depth);
            _out.append(*value.boolValue() ? "<true/>\n" : "<false/>\n");
            return;
        case Value::Type::Integer: {
            auto wide = value.uint64Value();
            element(depth, "integer",
                wide && *wide > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
                    ? std::to_string(*wide)
                    : std::to_string(*value.int64Value()));
            return;
        }
        case Value::Type::Real:
            return element(depth, "real", xmlTextOfReal(*value.doubleValue()));
        case Value::Type::String:
            indent(depth);
            _out.append("<string>");
            if (const std::string* text = value.asString(); text && appendEscaped(*text))
                _out.append("</string>\n");
            return;
        case Value::Type::Bytes:
            if (const Data* bytes = value.asData())
                writeData(*bytes, depth);
            return;
        case Value::Type::Date: {
            auto text = xmlTextOfDate(*value.asDate());
            if (!text)
                return fail("cannot write a date outside the years 0000 to 9999 in XML");
            return element(depth, "date", *text);
        }
        case Value::Type::Array:
            return writeArray(*value.asArray(), depth);
        case Value::Type::Dictionary:
            return writeDictionary(*value.asDictionary(), depth);
        }
        fail("unknown value type");
    }

    void writeData(const Data& bytes, int depth)
    {
        indent(depth);
        _out.append("<data>\n");
        size_t lineLength = kWidestDataLine - std::min(kWidestDataLine - kShortestDataLine, kTabWidth * depth);
        appendBase64(bytes, lineLength - lineLength % 4, std::string(static_cast<size_t>(depth), '\t'), _out);
        indent(depth);
        _out.append("</data>\n");
    }

    void writeArray(const Array& array, int depth)
    {
        indent(depth);
        if (array.empty()) {
            _out.append("<array/>\n");
            return;
        }
        _out.append("<array>\n");
        for (const Value& entry : array) {
            writeValue(entry, depth + 1);
            if (!_failure.empty())
                return;
        }
        indent(depth);
        _out.append("</array>\n");
    }

    void writeDictionary(const Dictionary& dictionary, int depth)
    {
        indent(depth);
        if (dictionary.empty()) {
            _out.append("<dict/>\n");
            return;
        }
        _out.append("<dict>\n");
        for (const auto& [key, entry] : dictionary) {
            indent(depth + 1);
            _out.append("<key>");
            if (!appendEscaped(key))
                return;
            _out.append("</key>\n");
            writeValue(entry, depth + 1);
            if (!_failure.empty())
                return;
        }
        indent(depth);
        _out.append("</dict>\n");
    }

    std::string _out;
    std::string _failure;
};

}  // namespace

Result<Data> writeXMLPropertyList(const Value& propertyList)
{
    return XMLPropertyListWriter().write(propertyList);
}

}  // namespace plat::detail
