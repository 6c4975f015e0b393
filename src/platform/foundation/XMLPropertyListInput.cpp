#include "platform/foundation/XMLPropertyListInput.h"

#include <algorithm>
#include <cstring>

#include "platform/foundation/PropertyListDetail.h"

namespace plat::detail {

namespace {

// A control is stood in for by U+10FF00 plus its value: F4 8F BC 80..9F.
constexpr std::string_view kStandInLead = "\xF4\x8F\xBC";
constexpr unsigned char kStandInBase = 0x80;

bool isRawControl(char c)
{
    auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

// Where a document type found at `at` ends, by the rules our reader has
// always used: quotes with either mark, and an internal subset whose
// comments and instructions may hold "]" and ">". npos when unterminated.
size_t endOfDocumentType(std::string_view text, size_t at, bool& hasSubset)
{
    bool inSubset = false;
    for (at += 2; at < text.size();) {
        char c = text[at];
        if (c == '"' || c == '\'') {
            size_t end = text.find(c, at + 1);
            if (end == std::string_view::npos)
                return end;
            at = end + 1;
        } else if (inSubset && text.substr(at).starts_with("<!--")) {
            size_t end = text.find("-->", at + 4);
            if (end == std::string_view::npos)
                return end;
            at = end + 3;
        } else if (inSubset && text.substr(at).starts_with("<?")) {
            size_t end = text.find("?>", at + 2);
            if (end == std::string_view::npos)
                return end;
            at = end + 2;
        } else if (c == '[' || c == ']') {
            inSubset = c == '[';
            hasSubset = true;
            ++at;
        } else if (!inSubset && c == '>') {
            return at + 1;
        } else {
            ++at;
        }
    }
    return std::string_view::npos;
}

}  // namespace

XMLPropertyListInput::XMLPropertyListInput(const Data& data)
    : _original(reinterpret_cast<const char*>(data.data()), data.size())
{
    blankDocumentType();
    // Controls make libxml2 fail, and only then are they looked for; a
    // carriage return it would take, so it is looked for first.
    if (std::memchr(_original.data(), '\r', _original.size()) != nullptr)
        keepRawCharactersInText();
}

bool XMLPropertyListInput::keepRawControls()
{
    if (_keepsRawCharacters || std::none_of(_original.begin(), _original.end(), isRawControl))
        return false;
    keepRawCharactersInText();
    return true;
}

void XMLPropertyListInput::blankDocumentType()
{
    // The prolog: white space, comments and instructions before the one
    // document type. Anything else ends the search; libxml2 judges it.
    std::string_view text = _original;
    size_t at = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    for (;;) {
        while (at < text.size() && isXMLWhitespace(text[at]))
            ++at;
        std::string_view rest = text.substr(at);
        size_t end = std::string_view::npos;
        if (rest.starts_with("<!--"))
            end = text.find("-->", at + 4);
        else if (rest.starts_with("<?"))
            end = text.find("?>", at + 2);
        else if (rest.starts_with("<!DOCTYPE"))
            break;
        else
            return;
        if (end == std::string_view::npos)
            return;
        at = end + (rest[1] == '!' ? 3 : 2);
    }
    bool hasSubset = false;
    size_t end = endOfDocumentType(text, at, hasSubset);
    if (end == std::string_view::npos)
        end = text.size();  // nothing after it could be a list
    else if (!hasSubset)
        return;  // a name and an identifier: libxml2 reads it and loads nothing
    _rewritten.assign(text);
    std::replace_if(
        _rewritten.begin() + static_cast<ptrdiff_t>(at), _rewritten.begin() + static_cast<ptrdiff_t>(end),
        [](char c) { return c != '\n'; }, ' ');
    _isRewritten = true;
}

void XMLPropertyListInput::keepRawCharactersInText()
{
    std::string in(bytes());
    std::string out;
    out.reserve(in.size() + in.size() / 8);
    std::string_view text = in;
    size_t depth = 0;  // of elements: text outside the root is left to libxml2 to refuse
    auto copyDropped = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i)
            out += isRawControl(text[i]) ? ' ' : text[i];
    };
    auto putInText = [&](char c, std::string_view carriageReturn) {
        if (depth > 0 && c == '\r') {
            out += carriageReturn;
        } else if (depth > 0 && isRawControl(c)) {
            out += kStandInLead;
            out += static_cast<char>(kStandInBase + static_cast<unsigned char>(c));
            ++_standIns;
        } else {
            out += c;
        }
    };
    size_t at = 0;
    while (at < text.size()) {
        std::string_view rest = text.substr(at);
        if (rest[0] != '<') {
            putInText(rest[0], "&#13;");
            ++at;
            continue;
        }
        size_t end = std::string_view::npos;
        if (rest.starts_with("<!--") || rest.starts_with("<?")) {
            bool comment = rest[1] == '!';
            end = text.find(comment ? "-->" : "?>", at + (comment ? 4 : 2));
            end = end == std::string_view::npos ? text.size() : end + (comment ? 3 : 2);
            copyDropped(at, end);
        } else if (rest.starts_with("<![CDATA[")) {
            out += "<![CDATA[";
            end = text.find("]]>", at + 9);
            size_t contentEnd = end == std::string_view::npos ? text.size() : end;
            for (size_t i = at + 9; i < contentEnd; ++i)
                putInText(text[i], "]]>&#13;<![CDATA[");  // a reference cannot stand inside the section
            end = end == std::string_view::npos ? text.size() : end + 3;
            out.append(text.substr(contentEnd, end - contentEnd));
        } else {
            // A tag, up to the ">" outside quoted attribute values.
            out += '<';
            char quote = 0;
            for (end = at + 1; end < text.size(); ++end) {
                char c = text[end];
                if (quote == 0 && c == '>')
                    break;
                if (quote != 0 && c == quote)
                    quote = 0;
                else if (quote == 0 && (c == '"' || c == '\''))
                    quote = c;
                out += quote != 0 && isRawControl(c) ? ' ' : c;
            }
            bool isEmptyElement = end < text.size() && text[end - 1] == '/';
            if (end < text.size())
                out += '>';
            end = std::min(end + 1, text.size());
            if (rest.size() > 1 && rest[1] == '/')
                depth = depth > 0 ? depth - 1 : 0;
            else if (rest.size() > 1 && rest[1] != '!' && !isEmptyElement)
                ++depth;
        }
        at = end;
    }
    _rewritten = std::move(out);
    _isRewritten = true;
    _keepsRawCharacters = true;
}

size_t XMLPropertyListInput::restoreRawCharacters(std::string& text) const
{
    if (_standIns == 0)
        return 0;
    size_t restored = 0;
    size_t write = 0;
    for (size_t read = 0; read < text.size();) {
        if (std::string_view(text).substr(read).starts_with(kStandInLead) && read + 3 < text.size()) {
            auto last = static_cast<unsigned char>(text[read + 3]);
            if (last >= kStandInBase && last < kStandInBase + 0x20) {
                text[write++] = static_cast<char>(last - kStandInBase);
                read += 4;
                ++restored;
                continue;
            }
        }
        text[write++] = text[read++];
    }
    text.resize(write);
    return restored;
}

}  // namespace plat::detail
