#include "platform/media/capture/CapturePictureFolder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/media/FFmpegSupport.h"
#include "platform/media/MediaConstants.h"

namespace plat::detail {

namespace {

// A picture file larger than this is not read: a camera's picture, even a
// PNG at the largest size, is far smaller.
constexpr int64_t kMaxPictureBytes = 256 * 1024 * 1024;

bool hasExtension(const std::string& name, std::initializer_list<const char*> extensions)
{
    std::string extension = pathExtension(name);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return std::any_of(extensions.begin(), extensions.end(), [&](const char* wanted) { return extension == wanted; });
}

std::string quoted(const std::string& name)
{
    return "“" + name + "”";
}

// The system's reason mid-sentence: "Permission denied" reads as
// "permission denied"; "I/O error" stays as it is.
std::string systemReason(const Error& error)
{
    if (error.domain() != kPOSIXErrorDomain || error.code() <= 0)
        return error.localizedDescription();
    std::string why = std::error_code(static_cast<int>(error.code()), std::generic_category()).message();
    if (why.size() > 1 && std::isupper(static_cast<unsigned char>(why[0]))
        && std::islower(static_cast<unsigned char>(why[1])))
        why[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(why[0])));
    return why;
}

Error folderError(const std::string& folder, std::string text)
{
    return Error(kMediaErrorDomain, kMediaErrorDeviceNotConnected, std::move(text), {{kFilePathErrorKey, folder}});
}

bool isSameFile(const std::optional<FileAttributes>& a, const std::optional<FileAttributes>& b)
{
    if (!a || !b)
        return !a && !b;
    return a->size == b->size && a->modificationDate == b->modificationDate && a->permissions == b->permissions;
}

std::optional<FileAttributes> attributesIfAny(const std::string& path)
{
    auto attributes = attributesOfItem(path);
    if (!attributes.ok())
        return std::nullopt;
    return attributes.value();
}

}  // namespace

struct CapturePictureFolder::Decoder {
    CodecContextPtr jpeg;
    CodecContextPtr png;
    PacketPtr packet {av_packet_alloc()};

    // The decoder for what the bytes hold, whatever the file is named (a
    // picture saved as PNG under ".jpg" is common); none for neither.
    AVCodecContext* forContents(const Data& bytes) const
    {
        static constexpr uint8_t kJpegSignature[] = {0xFF, 0xD8, 0xFF};
        static constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        auto startsWith = [&bytes](const auto& signature) {
            return bytes.size() >= sizeof(signature)
                && std::equal(std::begin(signature), std::end(signature), bytes.begin());
        };
        if (startsWith(kJpegSignature))
            return jpeg.get();
        if (startsWith(kPngSignature))
            return png.get();
        return nullptr;
    }
};

namespace {

// One picture in, one out: a picture that fails is known at once.
Result<CodecContextPtr> openDecoder(AVCodecID codecID, const std::string& folder, const std::string& name)
{
    const AVCodec* codec = avcodec_find_decoder(codecID);
    CodecContextPtr context(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!context)
        return folderError(folder, "cannot set up decoding for " + name);
    context->thread_count = 1;
    int opened = avcodec_open2(context.get(), codec, nullptr);
    if (opened < 0)
        return folderError(folder, "cannot decode the pictures of " + name + ": " + ffmpegErrorText(opened));
    return context;
}

}  // namespace

Result<std::unique_ptr<CapturePictureFolder>> CapturePictureFolder::open(const CaptureDeviceDescription& camera)
{
    const std::string folder = CaptureDeviceFolder::resolvedFolder(camera);
    const std::string name = "the folder " + quoted(camera.folder);
    auto names = contentsOfDirectory(folder);
    if (!names.ok()) {
        const int64_t code = names.error().code();
        if (names.error().domain() == kPOSIXErrorDomain && code != ENOENT && code != ENOTDIR)
            return folderError(folder, name + " cannot be opened (" + systemReason(names.error()) + ")");
        return folderError(folder, "no pictures in " + name);
    }
    // Hidden files are left out: a picture being written aside under a
    // temporary name is not one yet.
    std::vector<std::string> jpegs, pngs;
    for (const std::string& picture : names.value()) {
        if (picture.starts_with('.'))
            continue;
        if (hasExtension(picture, {"jpg", "jpeg"}))
            jpegs.push_back(picture);
        else if (hasExtension(picture, {"png"}))
            pngs.push_back(picture);
    }
    if (jpegs.empty() && pngs.empty())
        return folderError(folder, "no pictures in " + name);
    auto decoder = std::make_unique<Decoder>();
    auto jpeg = openDecoder(AV_CODEC_ID_MJPEG, folder, name);
    if (!jpeg.ok())
        return jpeg.error();
    auto png = openDecoder(AV_CODEC_ID_PNG, folder, name);
    if (!png.ok())
        return png.error();
    if (!decoder->packet)
        return folderError(folder, "cannot set up decoding for " + name);
    decoder->jpeg = std::move(jpeg.value());
    decoder->png = std::move(png.value());
    return std::unique_ptr<CapturePictureFolder>(
        new CapturePictureFolder(folder, name, jpegs.empty() ? std::move(pngs) : std::move(jpegs), std::move(decoder)));
}

CapturePictureFolder::CapturePictureFolder(
    std::string folder, std::string name, std::vector<std::string> pictures, std::unique_ptr<Decoder> decoder)
    : _folder(std::move(folder))
    , _name(std::move(name))
    , _pictures(std::move(pictures))
    , _decoder(std::move(decoder))
{
}

CapturePictureFolder::~CapturePictureFolder() = default;

Result<void> CapturePictureFolder::decodeNext(AVFrame& frame)
{
    for (size_t tried = 0; tried < _pictures.size(); ++tried) {
        const std::string& picture = _pictures[_next];
        _next = (_next + 1) % _pictures.size();
        const std::string path = appendingPathComponent(_folder, picture);
        auto file = attributesIfAny(path);
        auto known = _unusable.find(picture);
        if (known != _unusable.end() && isSameFile(known->second.file, file))
            continue;
        auto fault = decode(path, picture, frame);
        if (!fault) {
            if (known != _unusable.end())
                _unusable.erase(known);
            return Result<void>::success();
        }
        log("camera: in {}, {}; it is passed over until it changes", _name, *fault);
        _unusable[picture] = Unusable {file, *fault};
    }
    // Every picture failed (an empty round cannot happen: open needs one).
    const std::string why = _unusable.empty() ? "" : ": " + _unusable.begin()->second.fault;
    return folderError(_folder, "no picture in " + _name + " can be shown" + why);
}

std::optional<std::string> CapturePictureFolder::decode(
    const std::string& path, const std::string& picture, AVFrame& frame)
{
    auto bytes = readFile(path, kMaxPictureBytes);
    if (!bytes.ok())
        return quoted(picture) + " cannot be opened (" + systemReason(bytes.error()) + ")";
    const Data& data = bytes.value();
    if (data.empty())
        return quoted(picture) + " is empty";
    AVCodecContext* context = _decoder->forContents(data);
    if (!context)
        return quoted(picture) + " is damaged";
    AVPacket& packet = *_decoder->packet;
    if (av_new_packet(&packet, static_cast<int>(data.size())) < 0)
        return quoted(picture) + " cannot be read (out of memory)";
    std::memcpy(packet.data, data.data(), data.size());
    // Each picture stands alone: the PNG decoder adds a picture not marked
    // so onto the one before it.
    packet.flags |= AV_PKT_FLAG_KEY;
    int decoded = avcodec_send_packet(context, &packet);
    av_packet_unref(&packet);
    if (decoded >= 0)
        decoded = avcodec_receive_frame(context, &frame);
    if (decoded < 0) {
        // Whatever the decoder kept of the damaged picture goes with it.
        avcodec_flush_buffers(context);
        return quoted(picture) + " is damaged";
    }
    return std::nullopt;
}

}  // namespace plat::detail
