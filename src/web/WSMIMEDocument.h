#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"

namespace plat {
class InputStream;
}

namespace zt {

// One part of a multipart body: its header block, encoded once, and its body.
class WSMIMEPart {
public:
    static std::shared_ptr<WSMIMEPart> partWithHeaders(
        const std::map<std::string, std::string>& headers, plat::Data body);
    WSMIMEPart(const std::map<std::string, std::string>& headers, plat::Data body);

    const plat::Data& header() const { return headerData_; }
    const plat::Data& body() const { return bodyData_; }
    uint64_t length() const { return headerData_.size() + bodyData_.size(); }
    // Whether the header block or the body holds the bytes.
    bool containsBytes(const uint8_t* bytes, size_t length) const;

private:
    plat::Data headerData_;
    plat::Data bodyData_;
};

// Assembles a multipart body from parts and hands it out as one stream with
// its length and boundary. The boundary occurs in no part, so a reader can
// always tell the parts apart. One thread at a time.
class WSMIMEDocument {
public:
    static std::shared_ptr<WSMIMEDocument> MIMEDocument();
    WSMIMEDocument();

    void addPartWithHeaders(const std::map<std::string, std::string>& headers, plat::Data body);
    // Fills whichever of the three it is given.
    void generateInputStream(std::shared_ptr<plat::InputStream>* stream, uint64_t* length, std::string* boundary);
    // "END_OF_PART"; where a part holds that, "END_OF_PART_" and eight
    // hexadecimal digits found in no part.
    std::string uniqueBoundary();
    // With a seed, random() gives the seed and counts up from it (for tests);
    // 0 returns to fresh random numbers.
    void seedRandomWith(uint32_t seed) { randomSeed_ = seed; }
    uint32_t random();

    const std::vector<std::shared_ptr<WSMIMEPart>>& parts() const { return parts_; }

private:
    bool isFoundInAnyPart(const std::string& boundary) const;

    std::vector<std::shared_ptr<WSMIMEPart>> parts_;
    uint64_t length_ = 0;
    uint32_t randomSeed_ = 0;
};

}  // namespace zt
