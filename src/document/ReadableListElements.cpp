#include "document/ReadableListElements.h"

#include <optional>
#include <string>

#include "platform/foundation/PropertyList.h"

namespace zt::detail {

namespace {

// Deeper markup is not what the app writes; it ends the reading.
constexpr size_t kMaxDepth = 512;
constexpr std::string_view kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
constexpr std::string_view kTail = "</plist>";

struct Tag {
    size_t begin = 0;  // at '<'
    size_t end = 0;  // past '>'
    std::string_view name;
    bool closing = false;
    bool selfClosing = false;
};

// The next element tag at or after pos, past declarations, comments and
// character data; none where the text ends first.
std::optional<Tag> nextTag(std::string_view text, size_t pos)
{
    for (;;) {
        size_t open = text.find('<', pos);
        if (open == std::string_view::npos)
            return std::nullopt;
        std::string_view rest = text.substr(open);
        std::string_view skipTo;
        if (rest.starts_with("<!--"))
            skipTo = "-->";
        else if (rest.starts_with("<![CDATA["))
            skipTo = "]]>";
        else if (rest.starts_with("<?"))
            skipTo = "?>";
        else if (rest.starts_with("<!"))
            skipTo = ">";
        if (!skipTo.empty()) {
            size_t skipped = text.find(skipTo, open + 2);
            if (skipped == std::string_view::npos)
                return std::nullopt;
            pos = skipped + skipTo.size();
            continue;
        }
        size_t close = text.find('>', open);
        if (close == std::string_view::npos)
            return std::nullopt;
        Tag tag;
        tag.begin = open;
        tag.end = close + 1;
        size_t nameStart = open + 1;
        if (nameStart < close && text[nameStart] == '/') {
            tag.closing = true;
            ++nameStart;
        }
        tag.selfClosing = !tag.closing && close > nameStart && text[close - 1] == '/';
        size_t nameEnd = text.find_first_of(" \t\r\n/>", nameStart);
        tag.name = text.substr(nameStart, nameEnd - nameStart);
        return tag;
    }
}

// Where the elements of the array begin (past its opening tag), or none.
std::optional<size_t> arrayContentStart(std::string_view text, std::string_view arrayKey)
{
    size_t pos = 0;
    bool keyFound = arrayKey.empty();
    while (auto tag = nextTag(text, pos)) {
        pos = tag->end;
        if (tag->closing)
            continue;
        if (keyFound) {
            if (tag->name == "array" && !tag->selfClosing)
                return tag->end;
            if (!arrayKey.empty())
                return std::nullopt;  // the key's value is something else
            continue;
        }
        if (tag->name == "key" && !tag->selfClosing) {
            size_t textEnd = text.find('<', tag->end);
            if (textEnd == std::string_view::npos)
                return std::nullopt;
            keyFound = text.substr(tag->end, textEnd - tag->end) == arrayKey;
        }
    }
    return std::nullopt;
}

std::optional<plat::Value> readElement(std::string_view markup)
{
    std::string document;
    document.reserve(kHead.size() + markup.size() + kTail.size());
    document.append(kHead).append(markup).append(kTail);
    auto parsed = plat::PropertyListSerialization::propertyListWithData(plat::Data(document.begin(), document.end()));
    if (!parsed.ok())
        return std::nullopt;
    return std::move(parsed).value();
}

}  // namespace

std::vector<plat::Value> readableListElements(const plat::Data& xml, std::string_view arrayKey)
{
    std::string_view text(reinterpret_cast<const char*>(xml.data()), xml.size());
    std::vector<plat::Value> elements;
    auto start = arrayContentStart(text, arrayKey);
    if (!start)
        return elements;
    std::vector<std::string_view> open;  // names of the elements entered, outermost first
    size_t elementBegin = 0;
    size_t pos = *start;
    while (auto tag = nextTag(text, pos)) {
        pos = tag->end;
        size_t elementEnd = 0;
        if (open.empty()) {
            if (tag->closing)
                break;  // the array ends (or the markup is broken)
            if (tag->selfClosing) {
                elementBegin = tag->begin;
                elementEnd = tag->end;
            } else {
                elementBegin = tag->begin;
                open.push_back(tag->name);
            }
        } else if (tag->closing) {
            if (tag->name != open.back())
                break;
            open.pop_back();
            if (open.empty())
                elementEnd = tag->end;
        } else if (!tag->selfClosing) {
            if (open.size() >= kMaxDepth)
                break;
            open.push_back(tag->name);
        }
        if (elementEnd != 0) {
            // One spoiled element is left out; the rest still count.
            if (auto element = readElement(text.substr(elementBegin, elementEnd - elementBegin)))
                elements.push_back(std::move(*element));
        }
    }
    return elements;
}

}  // namespace zt::detail
