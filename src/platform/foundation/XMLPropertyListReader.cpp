#include <cstring>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/PropertyListDetail.h"
#include "platform/foundation/XMLParser.h"
#include "platform/foundation/XMLPropertyListInput.h"

// XML property lists through libxml2's SAX interface: the XML itself
// (references, CDATA, comments, the declaration and its encoding) is
// libxml2's, hardened as for the feeds: no network, no entity substitution,
// no DTD loading, XML_PARSE_HUGE off. The elements are ours: one <plist>
// element holding one value, or a bare value, and values read strictly: an
// integer, real, date or data element whose text is not exactly of its type
// is an error, never a plausible wrong value.
namespace plat::detail {

namespace {

// Entities are never substituted; NOERROR and NOWARNING keep libxml2's own
// reports off standard error (they come to recordXMLError instead).
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

enum class ElementKind { Plist, Dict, Array, Key, String, Integer, Real, Date, Data, True, False, Unknown };

constexpr std::pair<std::string_view, ElementKind> kElementNames[] = {
    {"key", ElementKind::Key},
    {"string", ElementKind::String},
    {"integer", ElementKind::Integer},
    {"dict", ElementKind::Dict},
    {"array", ElementKind::Array},
    {"real", ElementKind::Real},
    {"true", ElementKind::True},
    {"false", ElementKind::False},
    {"date", ElementKind::Date},
    {"data", ElementKind::Data},
    {"plist", ElementKind::Plist},
};

// libxml2 gives element names from the parser's dictionary, one copy of
// each: looked up there once, names are told apart by address.
class ElementNames {
public:
    explicit ElementNames(xmlDictPtr dictionary)
    {
        for (size_t i = 0; i < std::size(kElementNames); ++i) {
            const auto& name = kElementNames[i].first;
            _interned[i] = xmlDictLookup(
                dictionary, reinterpret_cast<const xmlChar*>(name.data()), static_cast<int>(name.size()));
        }
    }

    ElementKind kindOf(const xmlChar* prefix, const xmlChar* localName) const
    {
        if (prefix != nullptr)
            return ElementKind::Unknown;
        for (size_t i = 0; i < std::size(kElementNames); ++i) {
            if (localName == _interned[i])
                return kElementNames[i].second;
        }
        return ElementKind::Unknown;
    }

private:
    const xmlChar* _interned[std::size(kElementNames)] {};
};

bool isContainer(ElementKind kind)
{
    return kind == ElementKind::Plist || kind == ElementKind::Dict || kind == ElementKind::Array;
}

bool isAllXMLWhitespace(std::string_view text)
{
    for (char c : text) {
        if (c != ' ' && c != '\n' && c != '\t' && c != '\r')
            return false;
    }
    return true;
}

// One element being read. Slots of the stack are reused, so their strings
// and vectors keep their capacity from one element to the next.
struct OpenElement {
    ElementKind kind = ElementKind::Unknown;
    std::string text;  // text elements and keys
    std::vector<Value> values;  // arrays
    Dictionary dictionary;
    std::string key;  // dictionaries: the key waiting for its value
    bool hasKey = false;
    Value value;  // the plist element's one value
    bool hasValue = false;
};

class XMLPropertyListReader {
public:
    explicit XMLPropertyListReader(const XMLPropertyListInput& text)
        : _text(text)
    {
    }

    Result<Value> read()
    {
        initializeXMLParser();
        xmlSAXHandler handler {};
        handler.initialized = XML_SAX2_MAGIC;
        handler.startElementNs = startElement;
        handler.endElementNs = endElement;
        handler.characters = characters;
        handler.ignorableWhitespace = characters;
        handler.cdataBlock = characters;
        handler.serror = recordXMLError;
        handler.reference = unknownEntity;
        std::string_view bytes = _text.bytes();
        // libxml2 copies the bytes: it reads past the end of its buffer to the
        // NUL it keeps there, which outside bytes do not have.
        std::unique_ptr<xmlParserCtxt, ParserContextDeleter> context(
            xmlCreateMemoryParserCtxt(bytes.data(), static_cast<int>(bytes.size())));
        if (!context)
            return propertyListReadError("XML property list: libxml2 cannot start a parser");
        xmlFree(context->sax);
        context->sax = &handler;  // the deleter takes it out again before freeing
        context->userData = this;
        _context = context.get();
        if (context->dict == nullptr)
            return propertyListReadError("XML property list: libxml2 cannot start a parser");
        ElementNames names(context->dict);
        _names = &names;
        xmlCtxtUseOptions(context.get(), kParseOptions);
        xmlParseDocument(context.get());
        if (_failure.empty() && (!context->wellFormed || !_hasRoot))
            failAt(xmlSAX2GetLineNumber(_context), "not a well-formed XML document");
        if (_failure.empty() && _restoredCharacters != _text.standInCount())
            failAt(1, "text holds a private-use character that stands in for raw control characters");
        if (!_failure.empty())
            return propertyListReadError(
                "XML property list: " + _failure + " (line " + std::to_string(_failureLine) + ")");
        return std::move(_root);
    }

private:
    struct ParserContextDeleter {
        void operator()(xmlParserCtxt* context) const
        {
            context->sax = nullptr;
            // A parse that stops early can leave a document behind (libxml2
            // keeps declared entities in one even for SAX); freeing the
            // context does not free it.
            if (context->myDoc != nullptr) {
                xmlFreeDoc(context->myDoc);
                context->myDoc = nullptr;
            }
            xmlFreeParserCtxt(context);
        }
    };

    static XMLPropertyListReader& readerOf(void* context) { return *static_cast<XMLPropertyListReader*>(context); }

    static void recordXMLError(void* context, xmlErrorPtr error)
    {
        if (error == nullptr || error->level < XML_ERR_ERROR)
            return;
        std::string message = error->message != nullptr ? error->message : "malformed XML";
        while (!message.empty() && isXMLWhitespace(message.back()))
            message.pop_back();
        readerOf(context).failAt(error->line, message);
    }

    // Only the predefined entities are known: lists declare none.
    static void unknownEntity(void* context, const xmlChar*) { readerOf(context).fail("unknown entity"); }

    static void startElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar*, int,
        const xmlChar**, int, int, const xmlChar**)
    {
        XMLPropertyListReader& reader = readerOf(context);
        reader.openElement(reader._names->kindOf(prefix, localName));
    }

    static void endElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
    {
        readerOf(context).closeElement();
    }

    static void characters(void* context, const xmlChar* text, int length)
    {
        readerOf(context).addText(std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(length)));
    }

    void failAt(int line, std::string reason)
    {
        if (!_failure.empty())
            return;
        _failure = std::move(reason);
        _failureLine = line;
        xmlStopParser(_context);
    }

    void fail(const char* reason) { failAt(xmlSAX2GetLineNumber(_context), reason); }

    bool failed() const { return !_failure.empty(); }

    OpenElement& push(ElementKind kind)
    {
        if (_depth == _stack.size())
            _stack.emplace_back();
        OpenElement& element = _stack[_depth++];
        element.kind = kind;
        element.text.clear();
        element.hasKey = false;
        element.hasValue = false;
        return element;
    }

    void openElement(ElementKind kind)
    {
        if (failed())
            return;
        if (_depth == 0) {
            if (kind == ElementKind::Plist)
                push(kind);
            else
                openValue(kind);
            return;
        }
        OpenElement& parent = _stack[_depth - 1];
        switch (parent.kind) {
        case ElementKind::Plist:
            if (parent.hasValue)
                return fail("the plist element holds more than one value");
            return openValue(kind);
        case ElementKind::Array:
            return openValue(kind);
        case ElementKind::Dict:
            if (!parent.hasKey) {
                if (kind != ElementKind::Key)
                    return fail("a value without a key");
                push(kind);
                return;
            }
            if (kind == ElementKind::Key)
                return fail("a key without a value");
            return openValue(kind);
        default:
            return fail("element inside a text element");
        }
    }

    void openValue(ElementKind kind)
    {
        if (++_valueCount > kMaxPropertyListValues)
            return fail("too many values");
        switch (kind) {
        case ElementKind::Dict:
            if (++_containerDepth > kMaxPropertyListDepth)
                return fail("nested too deeply");
            push(kind).dictionary = Dictionary();
            return;
        case ElementKind::Array:
            if (++_containerDepth > kMaxPropertyListDepth)
                return fail("nested too deeply");
            push(kind).values.clear();
            return;
        case ElementKind::Key:
            return fail("a key outside a dictionary");
        case ElementKind::Plist:
            return fail("a plist element inside the list");
        case ElementKind::Unknown:
            return fail("unknown element");
        default:
            push(kind);
            return;
        }
    }

    void addText(std::string_view text)
    {
        if (failed() || _depth == 0)
            return;
        OpenElement& element = _stack[_depth - 1];
        if (!isContainer(element.kind)) {
            element.text.append(text);
            return;
        }
        if (isAllXMLWhitespace(text))
            return;
        if (element.kind != ElementKind::Plist)
            return fail("text between the elements of a container");
        fail(element.hasValue ? "the plist element holds more than one value" : "expected a value element");
    }

    void closeElement()
    {
        if (failed() || _depth == 0)
            return;
        OpenElement& element = _stack[--_depth];
        switch (element.kind) {
        case ElementKind::Plist:
            if (!element.hasValue)
                return fail("the plist element holds no value");
            _root = std::move(element.value);
            _hasRoot = true;
            return;
        case ElementKind::Dict:
            --_containerDepth;
            if (element.hasKey)
                return fail("a key without a value");
            return closeValue(std::move(element.dictionary));
        case ElementKind::Array:
            --_containerDepth;
            return closeValue(Value(Array(std::move(element.values))));
        case ElementKind::Key: {
            _restoredCharacters += _text.restoreRawCharacters(element.text);
            if (!isValidUtf8(element.text))
                return fail("key is not UTF-8");
            OpenElement& dictionary = _stack[_depth - 1];
            std::swap(dictionary.key, element.text);
            dictionary.hasKey = true;
            return;
        }
        default:
            _restoredCharacters += _text.restoreRawCharacters(element.text);
            if (auto value = scalarOf(element))
                return closeValue(std::move(*value));
            return;
        }
    }

    std::optional<Value> scalarOf(OpenElement& element)
    {
        const std::string& text = element.text;
        switch (element.kind) {
        case ElementKind::String:
            if (!isValidUtf8(text)) {
                fail("string is not UTF-8");
                return std::nullopt;
            }
            return Value(std::move(element.text));
        case ElementKind::Integer:
            if (auto integer = integerFromXMLText(text))
                return *integer;
            fail("not an integer of 64 bits, signed or unsigned");
            return std::nullopt;
        case ElementKind::Real:
            if (auto real = realFromXMLText(text))
                return *real;
            fail("not a real number");
            return std::nullopt;
        case ElementKind::Date:
            if (auto date = dateFromXMLText(text))
                return *date;
            fail("not a date of the form YYYY-MM-DDTHH:MM:SSZ");
            return std::nullopt;
        case ElementKind::Data:
            if (auto bytes = dataFromBase64XMLText(text))
                return std::move(*bytes);
            fail("data is not base 64");
            return std::nullopt;
        case ElementKind::True:
        case ElementKind::False:
            if (!trimmedXMLWhitespace(text).empty()) {
                fail("text inside a boolean");
                return std::nullopt;
            }
            return Value(element.kind == ElementKind::True);
        default:
            fail("unknown element");
            return std::nullopt;
        }
    }

    void closeValue(Value value)
    {
        if (_depth == 0) {
            _root = std::move(value);
            _hasRoot = true;
            return;
        }
        OpenElement& parent = _stack[_depth - 1];
        switch (parent.kind) {
        case ElementKind::Array:
            parent.values.push_back(std::move(value));
            return;
        case ElementKind::Dict:
            // A repeated key: the last one counts, as on the platform.
            parent.dictionary.set(std::move(parent.key), std::move(value));
            parent.key.clear();
            parent.hasKey = false;
            return;
        default:  // the plist element
            parent.value = std::move(value);
            parent.hasValue = true;
            return;
        }
    }

    const XMLPropertyListInput& _text;
    xmlParserCtxt* _context = nullptr;
    const ElementNames* _names = nullptr;  // for the parse only
    std::vector<OpenElement> _stack;
    size_t _depth = 0;
    int _containerDepth = 0;
    size_t _valueCount = 0;
    Value _root;
    bool _hasRoot = false;
    size_t _restoredCharacters = 0;
    std::string _failure;
    int _failureLine = 0;
};

}  // namespace

Result<Value> readXMLPropertyList(const Data& data)
{
    if (std::memchr(data.data(), 0, data.size()) != nullptr)
        return propertyListReadError("XML property list: contains a NUL byte");
    if (auto reason
        = reasonToRefuseDeclaredEncoding(std::string_view(reinterpret_cast<const char*>(data.data()), data.size())))
        return propertyListReadError("XML property list: " + *reason);
    XMLPropertyListInput input(data);
    auto value = XMLPropertyListReader(input).read();
    // libxml2 refuses raw controls; lists that have them are read again
    // with them kept aside.
    if (!value.ok() && input.keepRawControls())
        return XMLPropertyListReader(input).read();
    return value;
}

}  // namespace plat::detail
