#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "document/QVZipArchive.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"

namespace {

std::string scratchFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = plat::appendingPathComponent(base && *base ? base : "/tmp", "zt-zipfuzz-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    return pattern;
}

}  // namespace

// Unpacks any bytes as an archive (with a password, so that encrypted
// entries are decoded too) into a scratch folder. Nothing may land outside
// the destination, and the destination may hold no links.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static const std::string root = scratchFolder();
    const std::string archive = plat::appendingPathComponent(root, "input.zip");
    const std::string destination = plat::appendingPathComponent(root, "out");
    if (!plat::writeFileAtomically(archive, std::string_view(reinterpret_cast<const char*>(bytes), size)).ok())
        std::abort();
    (void)zt::QVZipArchive::unzipFileAtPath(archive, destination, zt::Overwrite::Yes, std::string("pw"), nullptr);

    auto inRoot = plat::contentsOfDirectory(root);
    if (!inRoot.ok() || inRoot.value().size() > 2) {
        std::fprintf(stderr, "something was written beside the destination\n");
        std::abort();
    }
    if (auto below = plat::subpathsOfDirectory(destination); below.ok()) {
        for (const std::string& path : below.value()) {
            auto attributes = plat::attributesOfItem(plat::appendingPathComponent(destination, path));
            if (attributes.ok() && attributes.value().isSymbolicLink) {
                std::fprintf(stderr, "a link was made: %s\n", path.c_str());
                std::abort();
            }
        }
    }
    (void)plat::removeItem(destination);
    return 0;
}
