#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "document/FramePasteboardRecord.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"

namespace {

// A sandbox of its own, so that the location check has app folders to compare with.
void useScratchSandbox()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = plat::appendingPathComponent(base && *base ? base : "/tmp", "zt-pasteboardfuzz-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(pattern));
}

}  // namespace

// Reads any bytes as the frames another app may have put on the pasteboard.
// A record that reads must name only frames fit to name files, read the
// same from an archive of itself when one can be written, and have its
// location either refused or resolved to a folder directly in Documents or
// Caches.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static const bool ready = (useScratchSandbox(), true);
    (void)ready;
    auto record = zt::FramePasteboardRecord::fromArchivedData(plat::Data(bytes, bytes + size));
    if (!record.ok())
        return 0;
    for (const zt::Frame& frame : record.value().frames) {
        if (!zt::isValidFrameID(frame.frameID())) {
            std::fprintf(stderr, "a frame id that could name other files was accepted\n");
            std::abort();
        }
    }
    // A record may hold text a property list cannot write (a NUL in a
    // frame's UID, say); it reads, and is used, all the same.
    auto again = record.value().archivedData();
    if (!again.ok())
        return 0;
    auto reread = zt::FramePasteboardRecord::fromArchivedData(again.value());
    if (!reread.ok() || reread.value().frames.size() != record.value().frames.size()
        || reread.value().location != record.value().location) {
        std::fprintf(stderr, "the record did not survive its own archive\n");
        std::abort();
    }
    auto folder = record.value().projectFolder();
    if (folder.ok()) {
        auto sandbox = plat::Sandbox::current();
        const std::string parent = plat::deletingLastPathComponent(folder.value());
        if (parent != zt::resolvedFolderPath(sandbox->documentsDirectory())
            && parent != zt::resolvedFolderPath(sandbox->cachesDirectory())) {
            std::fprintf(stderr, "a folder outside the app was accepted: %s\n", folder.value().c_str());
            std::abort();
        }
    }
    return 0;
}
