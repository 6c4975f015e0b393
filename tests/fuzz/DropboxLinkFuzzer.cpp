#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "dropbox/DBSession.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/URL.h"

namespace {

// A throw-away device, so that the session's user defaults and keychain stay out of the user's.
void useScratchDevice()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    char pattern[] = "/tmp/zt-dbfuzz-XXXXXX";
    if (!::mkdtemp(pattern))
        std::abort();
    plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(pattern));
}

}  // namespace

// Any text handed over as a URL, as another app may: the session reads its
// own link answers (behind the scheme "db-fuzzkey") and must refuse the rest.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    useScratchDevice();
    static zt::DBSession session("fuzzkey", "secret");
    std::string text = "db-fuzzkey://1/connect?" + std::string(reinterpret_cast<const char*>(bytes), size);
    if (auto url = plat::URL::URLWithString(text))
        (void)session.handleOpenURL(*url);
    if (auto raw = plat::URL::URLWithString(std::string(reinterpret_cast<const char*>(bytes), size)))
        (void)session.handleOpenURL(*raw);
    return 0;
}
