#include <cstring>
#include <string_view>

#include "platform/foundation/PropertyListDetail.h"

// The backing library's XML reader recurses once per element and keeps a
// node per element; neither is bounded there. This pass tokenizes the way
// XML does (comments, CDATA sections, processing instructions, declarations
// with internal subsets, quoted attribute values) and refuses documents that
// nest or count past the limits before the library sees them.
namespace plat::detail {

namespace {

class XMLStructureScan {
public:
    explicit XMLStructureScan(const Data& data)
        : _text(reinterpret_cast<const char*>(data.data()), data.size())
    {
    }

    Result<void> run()
    {
        int depth = 0;
        size_t elements = 0;
        size_t position = 0;
        while ((position = _text.find('<', position)) != std::string_view::npos) {
            std::string_view rest = _text.substr(position);
            if (rest.starts_with("<!--")) {
                if (!skipPast(position, "-->"))
                    return error("unterminated comment");
            } else if (rest.starts_with("<![CDATA[")) {
                if (!skipPast(position, "]]>"))
                    return error("unterminated CDATA section");
            } else if (rest.starts_with("<?")) {
                if (!skipPast(position, "?>"))
                    return error("unterminated processing instruction");
            } else if (rest.starts_with("<!")) {
                if (!skipDeclaration(position))
                    return error("unterminated declaration");
            } else if (rest.starts_with("</")) {
                if (!skipTag(position))
                    return error("unterminated tag");
                if (depth > 0)
                    --depth;
            } else {
                bool selfClosing = false;
                if (!skipTag(position, &selfClosing))
                    return error("unterminated tag");
                if (++elements > kMaxPropertyListValues)
                    return error("too many elements");
                if (!selfClosing && ++depth > kMaxPropertyListDepth)
                    return error("nested too deeply");
            }
        }
        return Result<void>::success();
    }

private:
    static Error error(const char* text) { return propertyListReadError(std::string("XML property list: ") + text); }

    bool skipPast(size_t& position, std::string_view terminator)
    {
        size_t end = _text.find(terminator, position + 2);
        if (end == std::string_view::npos)
            return false;
        position = end + terminator.size();
        return true;
    }

    // A tag up to its closing ">", stepping over quoted attribute values.
    bool skipTag(size_t& position, bool* selfClosing = nullptr)
    {
        char quote = 0;
        for (size_t i = position + 1; i < _text.size(); ++i) {
            char c = _text[i];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                if (selfClosing)
                    *selfClosing = _text[i - 1] == '/';
                position = i + 1;
                return true;
            }
        }
        return false;
    }

    // "<!DOCTYPE ... [ internal subset ] >": brackets and quotes may hide ">".
    bool skipDeclaration(size_t& position)
    {
        char quote = 0;
        int brackets = 0;
        for (size_t i = position + 2; i < _text.size(); ++i) {
            char c = _text[i];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                ++brackets;
            } else if (c == ']') {
                if (brackets > 0)
                    --brackets;
            } else if (c == '>' && brackets == 0) {
                position = i + 1;
                return true;
            }
        }
        return false;
    }

    std::string_view _text;
};

}  // namespace

Result<void> checkXMLPropertyListStructure(const Data& data)
{
    return XMLStructureScan(data).run();
}

}  // namespace plat::detail
