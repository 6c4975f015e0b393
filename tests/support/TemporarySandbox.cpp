#include "support/TemporarySandbox.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"

namespace plat::test {

namespace {

std::string makeTemporaryFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = appendingPathComponent(base && *base ? base : "/tmp", "zt-test-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a temporary folder";
        std::abort();
    }
    return pattern;
}

}  // namespace

TemporarySandbox::TemporarySandbox()
    : _sandbox(std::make_shared<Sandbox>(makeTemporaryFolder()))
    , _previous(Sandbox::current())
{
    Sandbox::setCurrent(_sandbox);
}

TemporarySandbox::~TemporarySandbox()
{
    Sandbox::setCurrent(_previous);
    (void)removeItem(_sandbox->root());
}

const std::string& TemporarySandbox::root() const
{
    return _sandbox->root();
}
std::string TemporarySandbox::documents() const
{
    return _sandbox->documentsDirectory();
}
std::string TemporarySandbox::path(const std::string& relative) const
{
    return appendingPathComponent(root(), relative);
}

TemporaryFolder::TemporaryFolder()
    : _path(makeTemporaryFolder())
{
}

TemporaryFolder::~TemporaryFolder()
{
    (void)removeItem(_path);
}

std::string TemporaryFolder::path(const std::string& relative) const
{
    return appendingPathComponent(_path, relative);
}

std::string sourcePath(const std::string& relative)
{
    const char* root = std::getenv("ZT_SOURCE_DIR");
    return appendingPathComponent(root && *root ? root : ZT_SOURCE_DIR_DEFAULT, relative);
}

}  // namespace plat::test
