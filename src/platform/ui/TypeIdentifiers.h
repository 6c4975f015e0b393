#pragma once
#include <optional>
#include <string>
#include <vector>

namespace plat {

// Uniform type identifiers, as the platform's mobile core services: the
// system's own declarations (the common data, text, image, audio, movie and
// archive types) plus the types the main bundle's Info.plist declares under
// "UTExportedTypeDeclarations" and "UTImportedTypeDeclarations" (identifier,
// "UTTypeConformsTo", "UTTypeTagSpecification" with extensions and MIME
// types). Identifiers, extensions and MIME types compare without regard to
// case. When two declarations claim one tag, the first declared (system,
// then exported, then imported, in file order) is the preferred one.
// Any thread (the declarations are read once).

inline constexpr const char* kUTTagClassFilenameExtension = "public.filename-extension";
inline constexpr const char* kUTTagClassMIMEType = "public.mime-type";

inline constexpr const char* kUTTypeItem = "public.item";
inline constexpr const char* kUTTypeContent = "public.content";
inline constexpr const char* kUTTypeCompositeContent = "public.composite-content";
inline constexpr const char* kUTTypeData = "public.data";
inline constexpr const char* kUTTypeDirectory = "public.directory";
inline constexpr const char* kUTTypeFolder = "public.folder";
inline constexpr const char* kUTTypeText = "public.text";
inline constexpr const char* kUTTypePlainText = "public.plain-text";
inline constexpr const char* kUTTypeUTF8PlainText = "public.utf8-plain-text";
inline constexpr const char* kUTTypeHTML = "public.html";
inline constexpr const char* kUTTypeXML = "public.xml";
inline constexpr const char* kUTTypeJSON = "public.json";
inline constexpr const char* kUTTypePropertyList = "com.apple.property-list";
inline constexpr const char* kUTTypeURL = "public.url";
inline constexpr const char* kUTTypeFileURL = "public.file-url";
inline constexpr const char* kUTTypeImage = "public.image";
inline constexpr const char* kUTTypeJPEG = "public.jpeg";
inline constexpr const char* kUTTypePNG = "public.png";
inline constexpr const char* kUTTypeGIF = "com.compuserve.gif";
inline constexpr const char* kUTTypeTIFF = "public.tiff";
inline constexpr const char* kUTTypeBMP = "com.microsoft.bmp";
inline constexpr const char* kUTTypeAudiovisualContent = "public.audiovisual-content";
inline constexpr const char* kUTTypeMovie = "public.movie";
inline constexpr const char* kUTTypeVideo = "public.video";
inline constexpr const char* kUTTypeQuickTimeMovie = "com.apple.quicktime-movie";
inline constexpr const char* kUTTypeMPEG4 = "public.mpeg-4";
inline constexpr const char* kUTTypeAVIMovie = "public.avi";
inline constexpr const char* kUTTypeAudio = "public.audio";
inline constexpr const char* kUTTypeMP3 = "public.mp3";
inline constexpr const char* kUTTypeMPEG4Audio = "public.mpeg-4-audio";
inline constexpr const char* kUTTypeAppleProtectedMPEG4Audio = "com.apple.protected-mpeg-4-audio";
inline constexpr const char* kUTTypeWaveformAudio = "com.microsoft.waveform-audio";
inline constexpr const char* kUTTypeAIFF = "public.aiff-audio";
inline constexpr const char* kUTTypeCoreAudioFormat = "com.apple.coreaudio-format";
inline constexpr const char* kUTTypeArchive = "public.archive";
inline constexpr const char* kUTTypeZipArchive = "public.zip-archive";
inline constexpr const char* kUTTypePDF = "com.adobe.pdf";

// The preferred identifier for a tag (an extension without its dot, or a
// MIME type), among the types conforming to conformingTo when given. A tag
// that no declaration claims gets a dynamic identifier ("dyn." followed by
// the tag class and tag), which conforms only to itself.
std::string UTTypeCreatePreferredIdentifierForTag(
    const std::string& tagClass, const std::string& tag, const std::string& conformingTo = {});
// Every declared identifier claiming the tag, preferred first.
std::vector<std::string> UTTypeCreateAllIdentifiersForTag(
    const std::string& tagClass, const std::string& tag, const std::string& conformingTo = {});
// True when type is conformsTo or declares conformance to it, directly or
// through the types it conforms to.
bool UTTypeConformsTo(const std::string& type, const std::string& conformsTo);
bool UTTypeEqual(const std::string& a, const std::string& b);
// The first tag of the class the type declares ("jpeg" has "jpg" first).
std::optional<std::string> UTTypeCopyPreferredTagWithClass(const std::string& type, const std::string& tagClass);
// The declaration's "UTTypeDescription", or empty.
std::string UTTypeCopyDescription(const std::string& type);
bool UTTypeIsDeclared(const std::string& type);
bool UTTypeIsDynamic(const std::string& type);

}  // namespace plat
