#include "platform/ui/TypeIdentifiers.h"

#include <algorithm>
#include <map>
#include <set>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Value.h"

namespace plat {

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return text;
}

struct Declaration {
    std::string identifier;  // as declared
    std::vector<std::string> conformsTo;  // lower case
    std::vector<std::string> extensions;  // lower case, preferred first
    std::vector<std::string> mimeTypes;  // lower case, preferred first
    std::string description;
};

// The system's own declarations, in the platform's identifiers.
const std::vector<Declaration>& systemDeclarations()
{
    static const std::vector<Declaration> declarations = {
        {"public.item", {}, {}, {}, "item"},
        {"public.content", {}, {}, {}, "content"},
        {"public.composite-content", {"public.content"}, {}, {}, "composite content"},
        {"public.data", {"public.item"}, {}, {"application/octet-stream"}, "data"},
        {"public.directory", {"public.item"}, {}, {}, "directory"},
        {"public.folder", {"public.directory"}, {}, {}, "folder"},
        {"public.text", {"public.data", "public.content"}, {}, {}, "text"},
        {"public.plain-text", {"public.text"}, {"txt", "text"}, {"text/plain"}, "plain text"},
        {"public.utf8-plain-text", {"public.plain-text"}, {}, {}, "Unicode text"},
        {"public.html", {"public.text"}, {"html", "htm"}, {"text/html"}, "HTML text"},
        {"public.xml", {"public.text"}, {"xml"}, {"application/xml", "text/xml"}, "XML text"},
        {"public.json", {"public.text"}, {"json"}, {"application/json"}, "JSON"},
        {"com.apple.property-list", {"public.data"}, {"plist"}, {}, "property list"},
        {"public.url", {"public.data"}, {}, {}, "URL"},
        {"public.file-url", {"public.url"}, {}, {}, "file URL"},
        {"public.image", {"public.data", "public.content"}, {}, {}, "image"},
        {"public.jpeg", {"public.image"}, {"jpg", "jpeg", "jpe"}, {"image/jpeg", "image/jpg"}, "JPEG image"},
        {"public.png", {"public.image"}, {"png"}, {"image/png"}, "PNG image"},
        {"com.compuserve.gif", {"public.image"}, {"gif"}, {"image/gif"}, "GIF image"},
        {"public.tiff", {"public.image"}, {"tiff", "tif"}, {"image/tiff"}, "TIFF image"},
        {"com.microsoft.bmp", {"public.image"}, {"bmp"}, {"image/bmp"}, "Windows bitmap image"},
        {"public.audiovisual-content", {"public.data", "public.content"}, {}, {}, "audiovisual content"},
        {"public.movie", {"public.audiovisual-content"}, {}, {}, "movie"},
        {"public.video", {"public.movie"}, {}, {}, "video"},
        {"com.apple.quicktime-movie", {"public.movie"}, {"mov", "qt"}, {"video/quicktime"}, "QuickTime movie"},
        {"public.mpeg-4", {"public.movie"}, {"mp4", "mpeg4"}, {"video/mp4"}, "MPEG-4 movie"},
        {"com.apple.m4v-video", {"public.movie"}, {"m4v"}, {"video/x-m4v"}, "MPEG-4 video"},
        {"public.avi", {"public.movie"}, {"avi"}, {"video/avi", "video/x-msvideo"}, "AVI movie"},
        {"public.audio", {"public.audiovisual-content"}, {}, {}, "audio"},
        {"public.mp3", {"public.audio"}, {"mp3"}, {"audio/mpeg", "audio/mp3"}, "MP3 audio"},
        // Here an MPEG-4 audio file is audio only, never a movie.
        {"public.mpeg-4-audio", {"public.audio"}, {"m4a"}, {"audio/mp4", "audio/x-m4a"}, "MPEG-4 audio"},
        {"com.apple.protected-mpeg-4-audio", {"public.audio"}, {"m4p"}, {}, "protected MPEG-4 audio"},
        {"public.aac-audio", {"public.audio"}, {"aac"}, {"audio/aac"}, "AAC audio"},
        {"com.microsoft.waveform-audio", {"public.audio"}, {"wav", "wave"}, {"audio/wav", "audio/x-wav"},
            "Waveform audio"},
        {"public.aiff-audio", {"public.audio"}, {"aiff", "aif"}, {"audio/aiff", "audio/x-aiff"}, "AIFF audio"},
        {"public.aifc-audio", {"public.audio"}, {"aifc"}, {}, "AIFF-C audio"},
        {"com.apple.coreaudio-format", {"public.audio"}, {"caf"}, {"audio/x-caf"}, "Core Audio file"},
        {"public.archive", {"public.data"}, {}, {}, "archive"},
        {"public.zip-archive", {"public.archive"}, {"zip"}, {"application/zip"}, "zip archive"},
        {"com.adobe.pdf", {"public.data", "public.composite-content"}, {"pdf"}, {"application/pdf"}, "PDF document"},
    };
    return declarations;
}

std::vector<std::string> loweredStrings(const Value& value)
{
    std::vector<std::string> out;
    if (const std::string* single = value.asString()) {
        out.push_back(lowered(*single));
    } else if (auto list = value.asArray()) {
        for (const Value& entry : *list)
            if (const std::string* text = entry.asString())
                out.push_back(lowered(*text));
    }
    return out;
}

// The app's declarations: a malformed entry is skipped with a log line.
void readBundleDeclarations(const char* key, std::vector<Declaration>& out)
{
    auto list = Bundle::mainBundle().objectForInfoDictionaryKey(key).asArray();
    if (!list)
        return;
    for (const Value& entry : *list) {
        auto dictionary = entry.asDictionary();
        auto identifier = dictionary ? dictionary->getString("UTTypeIdentifier") : std::nullopt;
        if (!identifier || identifier->empty()) {
            log("type identifiers: skipping a declaration without UTTypeIdentifier in {}", key);
            continue;
        }
        Declaration declaration;
        declaration.identifier = *identifier;
        declaration.conformsTo = loweredStrings(dictionary->get("UTTypeConformsTo"));
        declaration.description = dictionary->getString("UTTypeDescription").value_or("");
        if (auto tags = dictionary->getDictionary("UTTypeTagSpecification")) {
            declaration.extensions = loweredStrings(tags->get(kUTTagClassFilenameExtension));
            declaration.mimeTypes = loweredStrings(tags->get(kUTTagClassMIMEType));
        }
        out.push_back(std::move(declaration));
    }
}

class Registry {
public:
    static const Registry& shared()
    {
        static const Registry registry;
        return registry;
    }

    const Declaration* find(const std::string& identifier) const
    {
        auto it = _byIdentifier.find(lowered(identifier));
        return it == _byIdentifier.end() ? nullptr : &_declarations[it->second];
    }

    const std::vector<Declaration>& declarations() const { return _declarations; }

    bool conformsTo(const std::string& type, const std::string& target) const
    {
        std::string goal = lowered(target);
        std::set<std::string> seen;
        std::vector<std::string> pending {lowered(type)};
        while (!pending.empty()) {
            std::string current = std::move(pending.back());
            pending.pop_back();
            if (current == goal)
                return true;
            if (!seen.insert(current).second)
                continue;  // declarations may form cycles; each type is visited once
            if (const Declaration* declaration = find(current))
                for (const auto& parent : declaration->conformsTo)
                    pending.push_back(parent);
        }
        return false;
    }

private:
    Registry()
    {
        _declarations = systemDeclarations();
        readBundleDeclarations("UTExportedTypeDeclarations", _declarations);
        readBundleDeclarations("UTImportedTypeDeclarations", _declarations);
        for (size_t i = 0; i < _declarations.size(); ++i)
            _byIdentifier.emplace(lowered(_declarations[i].identifier), i);  // the first declaration wins
    }

    std::vector<Declaration> _declarations;
    std::map<std::string, size_t> _byIdentifier;
};

const std::vector<std::string>* tagsOf(const Declaration& declaration, const std::string& tagClass)
{
    if (UTTypeEqual(tagClass, kUTTagClassFilenameExtension))
        return &declaration.extensions;
    if (UTTypeEqual(tagClass, kUTTagClassMIMEType))
        return &declaration.mimeTypes;
    return nullptr;
}

}  // namespace

std::vector<std::string> UTTypeCreateAllIdentifiersForTag(
    const std::string& tagClass, const std::string& tag, const std::string& conformingTo)
{
    const Registry& registry = Registry::shared();
    std::string wanted = lowered(tag);
    std::vector<std::string> identifiers;
    for (const Declaration& declaration : registry.declarations()) {
        const auto* tags = tagsOf(declaration, tagClass);
        if (!tags || std::find(tags->begin(), tags->end(), wanted) == tags->end())
            continue;
        if (!conformingTo.empty() && !registry.conformsTo(declaration.identifier, conformingTo))
            continue;
        identifiers.push_back(declaration.identifier);
    }
    return identifiers;
}

std::string UTTypeCreatePreferredIdentifierForTag(
    const std::string& tagClass, const std::string& tag, const std::string& conformingTo)
{
    auto identifiers = UTTypeCreateAllIdentifiersForTag(tagClass, tag, conformingTo);
    if (!identifiers.empty())
        return identifiers.front();
    return "dyn." + lowered(tagClass) + "." + lowered(tag);
}

bool UTTypeConformsTo(const std::string& type, const std::string& conformsTo)
{
    return Registry::shared().conformsTo(type, conformsTo);
}

bool UTTypeEqual(const std::string& a, const std::string& b)
{
    return lowered(a) == lowered(b);
}

std::optional<std::string> UTTypeCopyPreferredTagWithClass(const std::string& type, const std::string& tagClass)
{
    const Declaration* declaration = Registry::shared().find(type);
    if (!declaration)
        return std::nullopt;
    const auto* tags = tagsOf(*declaration, tagClass);
    if (!tags || tags->empty())
        return std::nullopt;
    return tags->front();
}

std::string UTTypeCopyDescription(const std::string& type)
{
    const Declaration* declaration = Registry::shared().find(type);
    return declaration ? declaration->description : std::string();
}

bool UTTypeIsDeclared(const std::string& type)
{
    return Registry::shared().find(type) != nullptr;
}

bool UTTypeIsDynamic(const std::string& type)
{
    return lowered(type).rfind("dyn.", 0) == 0;
}

}  // namespace plat
