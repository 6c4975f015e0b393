#include "document/FramePictureChecks.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/foundation/Files.h"
#include "platform/graphics/ImageRepresentation.h"
#include "support/DamagedFiles.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

void cutOff(const std::string& file, int bytes)
{
    auto data = plat::readFile(file);
    ASSERT_TRUE(data.ok());
    data.value().resize(data.value().size() - static_cast<size_t>(bytes));
    ASSERT_TRUE(plat::writeFileAtomically(file, data.value()).ok());
}

void append(const std::string& file, const std::string& bytes)
{
    auto data = plat::readFile(file);
    ASSERT_TRUE(data.ok());
    data.value().insert(data.value().end(), bytes.begin(), bytes.end());
    ASSERT_TRUE(plat::writeFileAtomically(file, data.value()).ok());
}

void writePNG(const std::string& file)
{
    auto png = plat::PNGRepresentation(*plat::test::makeFlatImage(64, 36, {200, 40, 10, 255}));
    ASSERT_TRUE(png && plat::writeFileAtomically(file, *png).ok());
}

class FramePictureCheck : public ::testing::Test {
protected:
    // A 1280 x 720 picture at full quality, as a frame's picture is stored.
    std::string writeWholePicture()
    {
        auto jpeg = plat::JPEGRepresentation(*plat::test::makeFlatImage(1280, 720, {30, 120, 200, 255}), 1.0);
        EXPECT_TRUE(jpeg && plat::writeFileAtomically(path, *jpeg).ok());
        return path;
    }
    plat::test::TemporaryFolder folder;
    const std::string path = folder.path("frame-A.jpg");
    zt::FramePictureChecks checks;
};

TEST_F(FramePictureCheck, OnlyAWholePictureReads)
{
    struct Case {
        const char* damage;
        void (*apply)(const std::string&);
        bool readable;
    };
    const Case cases[] = {
        {"whole", [](const std::string&) {}, true},
        {"cut short", plat::test::cutInHalf, false},
        {"its end marker cut off", [](const std::string& file) { cutOff(file, 2); }, false},
        {"bytes after its end", [](const std::string& file) { append(file, "\n\n"); }, true},
        {"a whole PNG", [](const std::string& file) { writePNG(file); }, true},
        {"noise", plat::test::writeRandomBytes, false},
        {"empty", [](const std::string& file) { ASSERT_TRUE(plat::writeFileAtomically(file, "").ok()); }, false},
        {"gone", [](const std::string& file) { ASSERT_TRUE(plat::removeItem(file).ok()); }, false},
    };
    for (const Case& c : cases) {
        c.apply(writeWholePicture());
        EXPECT_EQ(checks.canReadPictureFile(path), c.readable) << c.damage;
    }
}

TEST_F(FramePictureCheck, APictureIsLookedAtOncePerStateOfItsFile)
{
    writeWholePicture();
    ASSERT_TRUE(checks.canReadPictureFile(path));
    // Spoiled in place behind the check's back, its size and time kept: the answer stands, nothing is read again.
    struct stat before { };
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 0), 0);
    ASSERT_EQ(::ftruncate(fd, before.st_size), 0);
    const timespec times[] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::futimens(fd, times), 0);
    ::close(fd);
    EXPECT_TRUE(checks.canReadPictureFile(path));
    // Written anew, as the app writes files: checked anew.
    plat::test::writeRandomBytes(path);
    EXPECT_FALSE(checks.canReadPictureFile(path));
    writeWholePicture();
    EXPECT_TRUE(checks.canReadPictureFile(path));
}

}  // namespace
