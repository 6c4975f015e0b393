#include <cstring>
#include <string_view>

#include "platform/foundation/PropertyListDetail.h"

// The backing library's XML reader recurses once per element and keeps a
// node per element; neither is bounded there. This pass tokenizes the way
// that reader does (comments, CDATA sections, processing instructions,
// declarations with internal subsets, quoted attribute values) and refuses
// documents that nest or count past the limits before the library sees them.
// Where the reader departs from XML, the pass follows the reader: whatever
// it skipped and the reader did not could hide elements from the count.
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
                if (!skipPast(position, 4, "-->"))  // "<!-->" does not close itself
                    return error("unterminated comment");
            } else if (rest.starts_with("<![CDATA[")) {
                if (!skipPast(position, 9, "]]>"))
                    return error("unterminated CDATA section");
            } else if (rest.starts_with("<?")) {
                if (!skipPast(position, 1, "?>"))  // the reader takes "<?>" as whole
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

    // Past the first terminator that starts at least `from` bytes into the construct.
    bool skipPast(size_t& position, size_t from, std::string_view terminator)
    {
        size_t end = _text.find(terminator, position + from);
        if (end == std::string_view::npos)
            return false;
        position = end + terminator.size();
        return true;
    }

    // A tag up to its closing ">". Double quotes hide a ">"; single quotes
    // do not, for the reader.
    bool skipTag(size_t& position, bool* selfClosing = nullptr)
    {
        bool quoted = false;
        for (size_t i = position + 1; i < _text.size(); ++i) {
            char c = _text[i];
            if (c == '"') {
                quoted = !quoted;
            } else if (c == '>' && !quoted) {
                if (selfClosing)
                    *selfClosing = _text[i - 1] == '/';
                position = i + 1;
                return true;
            }
        }
        return false;
    }

    // "<!DOCTYPE ... >" or "<!DOCTYPE ... [ internal subset ]>". As for the
    // reader, double quotes hide "[", ">" and "]>", single quotes hide
    // nothing, and the subset ends at the first "]>": brackets do not nest.
    bool skipDeclaration(size_t& position)
    {
        bool quoted = false;
        bool inSubset = false;
        for (size_t i = position + 2; i < _text.size(); ++i) {
            char c = _text[i];
            if (c == '"') {
                quoted = !quoted;
            } else if (quoted) {
                continue;
            } else if (!inSubset && c == '[') {
                inSubset = true;
            } else if (!inSubset && c == '>') {
                position = i + 1;
                return true;
            } else if (inSubset && c == ']' && i + 1 < _text.size() && _text[i + 1] == '>') {
                position = i + 2;
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
