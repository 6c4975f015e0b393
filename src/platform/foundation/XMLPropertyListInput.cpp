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

bool equalIgnoringASCIICase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// Names as libxml2 takes them, each keeping ASCII bytes as themselves.
bool isReadableEncoding(std::string_view name)
{
    static constexpr std::string_view kNames[] = {"UTF-8", "UTF8", "UTF-16", "UTF16", "US-ASCII", "ASCII", "ISO-8859-1",
        "ISO-8859-2", "ISO-8859-3", "ISO-8859-4", "ISO-8859-5", "ISO-8859-6", "ISO-8859-7", "ISO-8859-8", "ISO-8859-9",
        "ISO-8859-10", "ISO-8859-11", "ISO-8859-13", "ISO-8859-14", "ISO-8859-15", "ISO-8859-16", "windows-1250",
        "windows-1251", "windows-1252", "windows-1253", "windows-1254", "windows-1255", "windows-1256", "windows-1257",
        "windows-1258", "KOI8-R", "KOI8-U", "EUC-JP", "EUC-KR"};
    return std::any_of(std::begin(kNames), std::end(kNames),
        [&](std::string_view known) { return equalIgnoringASCIICase(name, known); });
}

// EncName: a letter, then letters, digits, '.', '_' and '-'.
bool isEncodingName(std::string_view name)
{
    auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return !name.empty() && isLetter(name[0]) && std::all_of(name.begin(), name.end(), [&](char c) {
        return isLetter(c) || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    });
}

}  // namespace

std::optional<std::string> reasonToRefuseDeclaredEncoding(std::string_view text)
{
    constexpr size_t kLongestNameShown = 40;
    size_t at = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    // libxml2 takes the declaration only at the very start (after white
    // space it is an error); one after white space is judged all the same.
    while (at < text.size() && isXMLWhitespace(text[at]))
        ++at;
    if (!text.substr(at).starts_with("<?xml") || at + 5 >= text.size() || !isXMLWhitespace(text[at + 5]))
        return std::nullopt;  // no declaration: UTF-8
    // Pseudo-attributes up to "?>". libxml2 switches to the encoding as soon
    // as it has read its name, so what follows may be in it: anything this
    // does not take for a pseudo-attribute before the name is refused.
    at += 5;
    for (;;) {
        while (at < text.size() && isXMLWhitespace(text[at]))
            ++at;
        if (text.substr(at).starts_with("?>"))
            return std::nullopt;
        size_t nameEnd = at;
        while (nameEnd < text.size() && ((text[nameEnd] >= 'a' && text[nameEnd] <= 'z') || text[nameEnd] == '_'))
            ++nameEnd;
        const std::string_view name = text.substr(at, nameEnd - at);
        at = nameEnd;
        while (at < text.size() && isXMLWhitespace(text[at]))
            ++at;
        if (name.empty() || at >= text.size() || text[at] != '=')
            return "the XML declaration is malformed";
        ++at;
        while (at < text.size() && isXMLWhitespace(text[at]))
            ++at;
        if (at >= text.size() || (text[at] != '"' && text[at] != '\''))
            return "the XML declaration is malformed";
        const size_t valueEnd = text.find(text[at], at + 1);
        if (valueEnd == std::string_view::npos)
            return "the XML declaration is malformed";
        const std::string_view value = text.substr(at + 1, valueEnd - at - 1);
        at = valueEnd + 1;
        if (name != "encoding")
            continue;
        if (isReadableEncoding(value))
            return std::nullopt;
        if (!isEncodingName(value) || value.size() > kLongestNameShown)
            return "the XML declaration names no encoding";
        return "the encoding " + std::string(value)
            + " is not read (UTF-8, UTF-16 and the encodings that keep ASCII as it is are)";
    }
}

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
