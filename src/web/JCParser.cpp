// The decoder's tokens and recursive-descent parser. White space, tokens
// and containers stay in this file so that they inline into each other;
// strings and numbers are scanned in JCStringDecoding.cpp and
// JCNumberScanning.cpp.
#include <array>
#include <cstring>
#include <string>

#include "web/JCArray.h"
#include "web/JCDictionary.h"
#include "web/JCInternal.h"
#include "web/JCParseState.h"
#include "web/JCParser.h"
#include "web/JSONDecoder.h"

namespace zt::detail {

namespace {

constexpr uint8_t kStateValue = 1;  // or the key, in an object
constexpr uint8_t kStateComma = 2;
constexpr uint8_t kStateEnd = 4;

// Byte classes of the white-space scanner.
enum : uint8_t { kNotSpace = 0, kBlank, kLineFeed, kCarriageReturn, kMaybeSpace };

constexpr auto kSpaceClasses = [] {
    std::array<uint8_t, 256> classes {};
    classes[' '] = kBlank;
    classes['\t'] = kBlank;
    classes['\n'] = kLineFeed;
    classes['\r'] = kCarriageReturn;
    classes['/'] = kMaybeSpace;
    classes[0xC2] = kMaybeSpace;
    classes[0xE2] = kMaybeSpace;
    return classes;
}();

bool isValueToken(JCTokenType type)
{
    switch (type) {
    case JCTokenType::Number:
    case JCTokenType::String:
    case JCTokenType::ObjectBegin:
    case JCTokenType::ArrayBegin:
    case JCTokenType::True:
    case JCTokenType::False:
    case JCTokenType::Null:
        return true;
    default:
        return false;
    }
}

}  // namespace

JCParser::JCParser(JCParseState& state)
    : _state(state)
    , _input(state.input)
    , _length(state.length)
{
}

void JCParser::recordMessage(std::string message)
{
    if (_state.error)
        return;
    plat::Dictionary userInfo;
    userInfo.set(JCAtIndexKey, static_cast<int64_t>(_state.atIndex));
    userInfo.set(JCLineNumberKey, static_cast<int64_t>(_state.lineNumber));
    _state.error.emplace(JCErrorDomain, -1, std::move(message), std::move(userInfo));
}

void JCParser::recordInternalError(const char* what, int line)
{
    recordMessage(std::string("Internal error: ") + what + " " + __FILE_NAME__ + " line #" + std::to_string(line));
}

void JCParser::lineBreakEndsAt(size_t index)
{
    ++_state.lineNumber;
    _state.lineStartIndex = index;
}

// The length of the line break at index (0 when there is none): LF, CR, CR
// LF, and with the option the UTF-8 forms of U+0085, U+2028 and U+2029.
size_t JCParser::lineBreakLength(size_t index) const
{
    const uint8_t c = _input[index];
    if (c == '\n')
        return 1;
    if (c == '\r')
        return index + 1 < _length && _input[index + 1] == '\n' ? 2 : 1;
    if ((_state.parseOptionFlags & JCParseUnicodeNewlines) != 0) {
        if (c == 0xC2 && index + 1 < _length && _input[index + 1] == 0x85)
            return 2;
        if (c == 0xE2 && index + 2 < _length && _input[index + 1] == 0x80
            && (_input[index + 2] == 0xA8 || _input[index + 2] == 0xA9))
            return 3;
    }
    return 0;
}

void JCParser::skipWhitespace()
{
    size_t at = _state.atIndex;
    while (at < _length) {
        const uint8_t c = _input[at];
        const uint8_t kind = kSpaceClasses[c];
        if (kind == kBlank) {
            ++at;
            continue;
        }
        if (kind == kNotSpace)
            break;
        if (kind == kLineFeed || kind == kCarriageReturn) {
            at += lineBreakLength(at);
            lineBreakEndsAt(at);
            continue;
        }
        if (c != '/') {
            const size_t length = lineBreakLength(at);
            if (length == 0)
                break;
            at += length;
            lineBreakEndsAt(at);
            continue;
        }
        if ((_state.parseOptionFlags & JCParseAllowComments) == 0 || at + 1 >= _length)
            break;
        if (_input[at + 1] == '/') {
            at += 2;
            while (at < _length) {
                const size_t length = lineBreakLength(at);
                if (length != 0) {
                    at += length;
                    lineBreakEndsAt(at);
                    break;
                }
                ++at;
            }
            continue;
        }
        if (_input[at + 1] != '*')
            break;
        at += 2;
        for (;;) {
            if (at >= _length)
                break;
            if (_input[at] == '*' && at + 1 < _length && _input[at + 1] == '/') {
                at += 2;
                break;
            }
            const size_t length = lineBreakLength(at);
            if (length != 0) {
                at += length;
                lineBreakEndsAt(at);
            } else {
                ++at;
            }
        }
    }
    _state.atIndex = at;
}

__attribute__((always_inline)) inline bool JCParser::nextToken()
{
    if (_state.atIndex < _length && kSpaceClasses[_input[_state.atIndex]] != kNotSpace)
        skipWhitespace();
    JCParseToken& token = _state.token;
    token.type = JCTokenType::None;
    token.text = _input + _state.atIndex;
    token.textLength = 0;
    if (_state.atIndex >= _length)
        return false;
    const size_t start = _state.atIndex;
    const uint8_t c = _input[start];
    JCTokenType type = JCTokenType::None;
    size_t length = 1;
    switch (c) {
    case '"':
        if (!scanString())
            return tokenFailed();
        return true;
    case '-':
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
        if (!scanNumber())
            return tokenFailed();
        return true;
    case '{':
        type = JCTokenType::ObjectBegin;
        break;
    case '}':
        type = JCTokenType::ObjectEnd;
        break;
    case '[':
        type = JCTokenType::ArrayBegin;
        break;
    case ']':
        type = JCTokenType::ArrayEnd;
        break;
    case ':':
        type = JCTokenType::Separator;
        break;
    case ',':
        type = JCTokenType::Comma;
        break;
    // A literal counts only when a byte follows it, as a container's end must.
    case 't':
        if (start + 4 < _length && std::memcmp(_input + start + 1, "rue", 3) == 0) {
            type = JCTokenType::True;
            length = 4;
        }
        break;
    case 'f':
        if (start + 5 < _length && std::memcmp(_input + start + 1, "alse", 4) == 0) {
            type = JCTokenType::False;
            length = 5;
        }
        break;
    case 'n':
        if (start + 4 < _length && std::memcmp(_input + start + 1, "ull", 3) == 0) {
            type = JCTokenType::Null;
            length = 4;
        }
        break;
    default:
        break;
    }
    if (type == JCTokenType::None)
        return tokenFailed();
    token.type = type;
    token.textLength = length;
    _state.atIndex = start + length;
    return true;
}

bool JCParser::tokenFailed()
{
    recordMessage("Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', '\"STRING\"', "
                  "'NUMBER'.");
    return false;
}

bool JCParser::containerForToken(JCValue& out)
{
    if (_state.token.type == JCTokenType::ArrayBegin) {
        JCArray* array = parseArray();
        if (array != nullptr)
            out.assignArray(array);
        return array != nullptr;
    }
    JCDictionary* dictionary = parseObject();
    if (dictionary != nullptr)
        out.assignDictionary(dictionary);
    return dictionary != nullptr;
}

bool JCParser::valueForToken(JCValue& out)
{
    JCParseToken& token = _state.token;
    switch (token.type) {
    case JCTokenType::String:
        if (token.value.size <= JCValue::kInlineStringCapacity) {
            assignInlineString(out, token.value);
            return true;
        }
        return longStringForValue(out, nullptr);
    case JCTokenType::Number:
        switch (token.value.type) {
        case JCValueType::SignedInteger:
            out.assignInteger(token.value.number.signedInteger);
            return true;
        case JCValueType::UnsignedInteger:
            out.assignUnsignedInteger(token.value.number.unsignedInteger);
            return true;
        case JCValueType::Double:
            out.assignReal(token.value.number.real);
            return true;
        default:
            recordInternalError("Unknown token value type.", __LINE__);
            return false;
        }
    case JCTokenType::ArrayBegin:
    case JCTokenType::ObjectBegin:
        return containerForToken(out);
    case JCTokenType::True:
        out.assignBoolean(true);
        return true;
    case JCTokenType::False:
        out.assignBoolean(false);
        return true;
    case JCTokenType::Null:
        out.assignNull();
        return true;
    default:
        return false;
    }
}

JCArena* JCParser::arena()
{
    if (_state.arena == nullptr) {
        // Small documents get a small first chunk.
        constexpr size_t kArenaBytesPerInputByte = 4;
        _state.arena = JCArena::create(_length * kArenaBytesPerInputByte);
    }
    return _state.arena;
}

bool JCParser::enterContainer()
{
    if (++_state.depth <= JCMaximumNestingDepth)
        return true;
    recordMessage(formatJC("Nesting too deep: arrays and objects may nest at most %zu levels.", JCMaximumNestingDepth));
    return false;
}

void JCParser::recordExpectation(uint8_t state, const char* valueItem, const char* endItem)
{
    if (_state.error)
        return;
    const char* items[3];
    size_t count = 0;
    if ((state & kStateValue) != 0)
        items[count++] = valueItem;
    if ((state & kStateComma) != 0)
        items[count++] = "a comma";
    if ((state & kStateEnd) != 0)
        items[count++] = endItem;
    const JCParseToken& token = _state.token;
    const auto width = static_cast<int>(token.textLength);
    const auto* text = reinterpret_cast<const char*>(token.text);
    if (count == 1)
        recordMessage(formatJC("Expected %s, not '%*.*s'", items[0], width, width, text));
    else if (count == 2)
        recordMessage(formatJC("Expected %s or %s, not '%*.*s'", items[0], items[1], width, width, text));
    else
        recordMessage(formatJC("Expected %s, %s, or %s, not '%*.*s", items[0], items[1], items[2], width, width, text));
}

JCArray* JCParser::parseArray()
{
    JCObjectStack& stack = _state.objectStack;
    const size_t startIndex = stack.index;
    JCArray* created = nullptr;
    uint8_t state = kStateValue | kStateEnd;
    if (!enterContainer()) {
        --_state.depth;
        return nullptr;
    }
    while (_state.atIndex < _length) {
        if (!stack.reserveValues()) {
            recordMessage("Internal error: [array] objectsIndex > " + std::to_string(stack.count() - 4)
                + ", resize failed? " + __FILE_NAME__ + " line " + std::to_string(__LINE__));
            break;
        }
        if (!nextToken())
            break;
        const JCTokenType type = _state.token.type;
        if (isValueToken(type)) {
            if ((state & kStateValue) == 0) {
                recordMessage("Unexpected value.");
                break;
            }
            // A nested container may move the stack: its value goes in after
            // it; a scalar goes straight into its slot.
            if (!storeValueForToken(stack.index)) {
                recordMessage("Internal error: Object == NULL");
                break;
            }
            ++stack.index;
            state = kStateComma | kStateEnd;
            // A comma right after the value, the common case, needs no token of its own.
            if (_state.atIndex < _length && _input[_state.atIndex] == ',') {
                ++_state.atIndex;
                state = kStateValue;
            }
        } else if (type == JCTokenType::ArrayEnd) {
            if ((state & kStateEnd) == 0) {
                recordMessage("Unexpected ']'.");
                break;
            }
            created = JCArray::make(
                stack.objects() + startIndex, stack.index - startIndex, _state.mutableCollections, arena());
            break;
        } else if (type == JCTokenType::Comma) {
            if ((state & kStateComma) == 0) {
                recordMessage("Unexpected ','.");
                break;
            }
            state = kStateValue;
        } else {
            recordExpectation(state, "a value", "a ']'");
            break;
        }
    }
    if (created != nullptr)
        stack.index = startIndex;  // the values moved into the array
    else
        stack.unwindTo(startIndex);
    --_state.depth;
    return created;
}

bool JCParser::storeValueForToken(size_t slot)
{
    const JCTokenType type = _state.token.type;
    if (type == JCTokenType::ArrayBegin) {
        JCArray* array = parseArray();
        if (array != nullptr)
            _state.objectStack.objects()[slot].assignArray(array);
        return array != nullptr;
    }
    if (type == JCTokenType::ObjectBegin) {
        JCDictionary* dictionary = parseObject();
        if (dictionary != nullptr)
            _state.objectStack.objects()[slot].assignDictionary(dictionary);
        return dictionary != nullptr;
    }
    return valueForToken(_state.objectStack.objects()[slot]);
}

__attribute__((always_inline)) inline void JCParser::assignInlineString(JCValue& out, const JCTokenValue& value) const
{
    // A string in the input or the token buffer always has 16 readable bytes
    // after its start unless it ends the input.
    const auto* bytes = reinterpret_cast<const char*>(value.bytes);
    const bool isInInput = value.bytes >= _input && value.bytes <= _input + _length;
    if (!isInInput || value.bytes + 16 <= _input + _length) {
        out.assignInlineStringFromPadded(bytes, value.size, Utf8Form::WellFormed);
        return;
    }
    char padded[16] = {};
    std::memcpy(padded, bytes, value.size);
    out.assignInlineStringFromPadded(padded, value.size, Utf8Form::WellFormed);
}

JCArena* JCParser::cacheArena()
{
    return _state.cacheDiesWithParse ? arena() : nullptr;
}

bool JCParser::longStringForValue(JCValue& out, const uint64_t* keyHash)
{
    JCTokenValue& value = _state.token.value;
    if (value.size > kCacheableStringLength) {
        // Long strings seldom repeat: straight into the arena, past the cache.
        JCString* string
            = JCString::make(reinterpret_cast<const char*>(value.bytes), value.size, Utf8Form::WellFormed, arena());
        if (string == nullptr)
            return false;
        out = JCValue::adoptString(string);
        return true;
    }
    value.hash = keyHash != nullptr
        ? *keyHash
        : jcKeyHash(std::string_view(reinterpret_cast<const char*>(value.bytes), value.size));
    return _state.cache.stringForValue(value, out, cacheArena());
}

bool JCParser::keyForToken(JCValue& key, uint64_t& keyHash)
{
    JCTokenValue& value = _state.token.value;
    keyHash = jcKeyHash(std::string_view(reinterpret_cast<const char*>(value.bytes), value.size));
    if (value.size <= JCValue::kInlineStringCapacity) {
        assignInlineString(key, value);
        return true;
    }
    return longStringForValue(key, &keyHash);
}

JCDictionary* JCParser::parseObject()
{
    JCObjectStack& stack = _state.objectStack;
    const size_t startIndex = stack.index;
    JCDictionary* created = nullptr;
    uint8_t state = kStateValue | kStateEnd;
    if (!enterContainer()) {
        --_state.depth;
        return nullptr;
    }
    while (_state.atIndex < _length) {
        if (!stack.reservePairs()) {
            recordMessage("Internal error: [dictionary] objectsIndex > " + std::to_string(stack.count() - 4)
                + ", resize failed? " + __FILE_NAME__ + " line #" + std::to_string(__LINE__));
            break;
        }
        // Reserve the slot of the next pair, so that a nested container's
        // pending values go above its key.
        const size_t slot = stack.index++;
        if (!nextToken())
            break;
        const JCTokenType type = _state.token.type;
        if (type == JCTokenType::String) {
            if ((state & kStateValue) == 0) {
                recordMessage("Unexpected string.");
                break;
            }
            if (!keyForToken(stack.keys()[slot], stack.keyHashes()[slot])) {
                recordMessage("Internal error: Key == NULL.");
                break;
            }
            // A colon right after the key, the common case, needs no token of its own.
            if (_state.atIndex < _length && _input[_state.atIndex] == ':') {
                ++_state.atIndex;
            } else if (!nextToken() || _state.token.type != JCTokenType::Separator) {
                recordMessage("Expected ':'.");
                break;
            }
            if (!nextToken() || !isValueToken(_state.token.type)) {
                recordExpectation(kStateValue, "a value", "");
                break;
            }
            if (!storeValueForToken(slot)) {
                recordMessage("Internal error: Object == NULL.");
                break;
            }
            state = kStateComma | kStateEnd;
            if (_state.atIndex < _length && _input[_state.atIndex] == ',') {
                ++_state.atIndex;
                state = kStateValue;
            }
        } else if (type == JCTokenType::ObjectEnd) {
            if ((state & kStateEnd) == 0) {
                recordMessage("Unexpected '}'.");
                break;
            }
            --stack.index;  // give back the reserved slot
            const size_t count = stack.index - startIndex;
            created = JCDictionary::make(stack.keys() + startIndex, stack.keyHashes() + startIndex,
                stack.objects() + startIndex, count, _state.mutableCollections, arena());
            break;
        } else if (type == JCTokenType::Comma) {
            if ((state & kStateComma) == 0) {
                recordMessage("Unexpected ','.");
                break;
            }
            --stack.index;  // give back the reserved slot
            state = kStateValue;
        } else {
            recordExpectation(state, "a \"STRING\"", "a '}'");
            break;
        }
    }
    if (created != nullptr)
        stack.index = startIndex;  // the pairs moved into the dictionary
    else
        stack.unwindTo(startIndex);
    --_state.depth;
    return created;
}

std::optional<JCValue> JCParser::parse()
{
    std::optional<JCValue> result;
    bool failed = true;
    if (_length != 0 && nextToken()) {
        const JCTokenType type = _state.token.type;
        if (type != JCTokenType::ArrayBegin && type != JCTokenType::ObjectBegin) {
            recordMessage("Expected either '[' or '{'.");
        } else {
            JCValue value;
            if (valueForToken(value)) {
                failed = false;
                skipWhitespace();
                if (_state.atIndex < _length && (_state.parseOptionFlags & JCParseAllowTrailingText) == 0)
                    recordMessage("A valid JSON object was parsed but there were additional non-white-space "
                                  "characters remaining.");
                else
                    result = std::move(value);
            }
        }
    }
    if (failed) {
        if (_state.atIndex == _length)
            recordMessage("Reached the end of the buffer.");
        recordMessage("Unable to parse JSON.");
    }
    return result;
}

std::optional<JCValue> parseJSON(JCParseState& state)
{
    return JCParser(state).parse();
}

}  // namespace zt::detail
