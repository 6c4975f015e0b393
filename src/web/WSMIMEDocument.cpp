#include "web/WSMIMEDocument.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "web/WSGatherInputStream.h"

namespace zt {

namespace {

plat::Data bytesOf(std::string_view text)
{
    return plat::Data(text.begin(), text.end());
}

bool dataContains(const plat::Data& data, const uint8_t* bytes, size_t length)
{
    if (length == 0 || data.size() < length)
        return false;
    // Look at each occurrence of the first byte, as long as the rest can still fit.
    const uint8_t* end = data.data() + data.size() - length + 1;
    for (const uint8_t* position = data.data(); position < end; ++position) {
        position = static_cast<const uint8_t*>(std::memchr(position, bytes[0], static_cast<size_t>(end - position)));
        if (!position)
            return false;
        if (std::memcmp(position, bytes, length) == 0)
            return true;
    }
    return false;
}

}  // namespace

std::shared_ptr<WSMIMEPart> WSMIMEPart::partWithHeaders(
    const std::map<std::string, std::string>& headers, plat::Data body)
{
    return std::make_shared<WSMIMEPart>(headers, std::move(body));
}

WSMIMEPart::WSMIMEPart(const std::map<std::string, std::string>& headers, plat::Data body)
    : bodyData_(std::move(body))
{
    std::vector<std::pair<std::string, std::string>> sorted(headers.begin(), headers.end());
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const auto& a, const auto& b) { return plat::lowercaseString(a.first) < plat::lowercaseString(b.first); });
    std::string block;
    for (const auto& [name, value] : sorted)
        block += name + ": " + value + "\r\n";
    block += "\r\n";
    headerData_ = bytesOf(block);
}

bool WSMIMEPart::containsBytes(const uint8_t* bytes, size_t length) const
{
    return dataContains(headerData_, bytes, length) || dataContains(bodyData_, bytes, length);
}

std::shared_ptr<WSMIMEDocument> WSMIMEDocument::MIMEDocument()
{
    return std::make_shared<WSMIMEDocument>();
}

WSMIMEDocument::WSMIMEDocument() = default;

void WSMIMEDocument::addPartWithHeaders(const std::map<std::string, std::string>& headers, plat::Data body)
{
    auto part = WSMIMEPart::partWithHeaders(headers, std::move(body));
    length_ += part->length();
    parts_.push_back(std::move(part));
}

uint32_t WSMIMEDocument::random()
{
    if (randomSeed_ != 0)
        return randomSeed_++;
    static thread_local std::mt19937 generator {std::random_device {}()};
    return static_cast<uint32_t>(generator());
}

bool WSMIMEDocument::isFoundInAnyPart(const std::string& boundary) const
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(boundary.data());
    return std::any_of(
        parts_.begin(), parts_.end(), [&](const auto& part) { return part->containsBytes(bytes, boundary.size()); });
}

std::string WSMIMEDocument::uniqueBoundary()
{
    const std::string plain = "END_OF_PART";
    if (!isFoundInAnyPart(plain))
        return plain;
    // A part that holds the plain boundary would end early at its reader.
    for (;;) {
        char suffix[9];
        std::snprintf(suffix, sizeof suffix, "%08x", random());
        std::string varied = plain + "_" + suffix;
        if (!isFoundInAnyPart(varied))
            return varied;
    }
}

void WSMIMEDocument::generateInputStream(
    std::shared_ptr<plat::InputStream>* stream, uint64_t* length, std::string* boundary)
{
    const std::string chosen = uniqueBoundary();
    const plat::Data separator = bytesOf("\r\n--" + chosen + "\r\n");
    const plat::Data closing = bytesOf("\r\n--" + chosen + "--\r\n");
    std::vector<plat::Data> pieces;
    uint64_t total = 0;
    for (const auto& part : parts_) {
        pieces.push_back(separator);
        pieces.push_back(part->header());
        pieces.push_back(part->body());
        total += separator.size() + part->length();
    }
    pieces.push_back(closing);
    total += closing.size();
    if (stream)
        *stream = WSGatherInputStream::streamWithArray(std::move(pieces));
    if (length)
        *length = total;
    if (boundary)
        *boundary = chosen;
}

}  // namespace zt
