#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "WebImageTestSupport.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/ui/Application.h"
#include "support/FailingWrites.h"
#include "web/ImageForceDecode.h"
#include "web/WIImageScale.h"

namespace {

using plat::test::Rgba;
using zt::WIImageCache;

constexpr const char* kKey = "http://example.com/a.png";
constexpr const char* kKeyFile = "b876851593b9e119ed73f38561576bda";  // MD5 of kKey

// What an asynchronous look-up answered.
class RecordingCacheDelegate : public zt::WIImageCacheDelegate {
public:
    void imageCacheDidFindImageForKeyUserInfo(zt::WIImageCache&, const std::shared_ptr<plat::Image>& image,
        const std::string& key, const std::any& userInfo) override
    {
        answered = true;
        found = image;
        answeredKey = key;
        info = userInfo;
        onMainThread = plat::isMainThread();
    }
    void imageCacheDidNotFindImageForKeyUserInfo(
        zt::WIImageCache&, const std::optional<std::string>& key, const std::any& userInfo) override
    {
        answered = true;
        answeredKey = key;
        info = userInfo;
        onMainThread = plat::isMainThread();
    }

    bool answered = false;
    std::shared_ptr<plat::Image> found;
    std::optional<std::string> answeredKey;
    std::any info;
    bool onMainThread = false;
};

class ImageCache : public zt::test::WebImageTest {
protected:
    void waitForDiskWrites()
    {
        cache->cacheInQueue()->sync([] {});
    }
    std::string fileOf(const std::string& key) { return plat::appendingPathComponent(cache->diskCachePath(), key); }
    void setModificationTime(const std::string& path, double secondsSince1970)
    {
        timespec times[2] = {{static_cast<time_t>(secondsSince1970), 0}, {static_cast<time_t>(secondsSince1970), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
    }
    void query(const std::optional<std::string>& key, const std::shared_ptr<RecordingCacheDelegate>& delegate)
    {
        cache->queryDiskCacheForKey(key, delegate, std::string("asker"));
    }

    std::shared_ptr<WIImageCache> cache = WIImageCache::create();
    std::shared_ptr<plat::Image> picture = zt::test::bandedPicture(20, 10);
    plat::Data pictureBytes = *plat::PNGRepresentation(*picture);
};

TEST_F(ImageCache, FilesAreNamedByTheMD5OfTheKeyInCachesImageCache)
{
    EXPECT_EQ(zt::cacheFileNameForKey(kKey), kKeyFile);
    EXPECT_EQ(zt::cacheFileNameForKey(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(cache->diskCachePath(), plat::appendingPathComponent(sandbox.sandbox().cachesDirectory(), "ImageCache"));
    EXPECT_TRUE(plat::isDirectory(cache->diskCachePath()));
    EXPECT_EQ(cache->cachePathForKey(kKey), fileOf(kKeyFile));
}

TEST_F(ImageCache, StoringWithBytesWritesThemUnchangedAndWithoutBytesAJPEG)
{
    cache->storeImage(picture, pictureBytes, std::string(kKey), /*toDisk=*/true);
    cache->storeImage(picture, std::string("other"));
    waitForDiskWrites();
    auto stored = plat::readFile(fileOf(kKeyFile));
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored.value(), pictureBytes);
    auto encoded = plat::readFile(cache->cachePathForKey("other"));
    ASSERT_TRUE(encoded.ok());
    ASSERT_GE(encoded.value().size(), 3u);
    EXPECT_EQ(encoded.value()[0], 0xFF);
    EXPECT_EQ(encoded.value()[1], 0xD8);
    auto decoded = plat::Image::imageWithData(encoded.value());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->bitmap()->width(), 20);
    EXPECT_EQ(cache->getDiskCount(), 2);
}

TEST_F(ImageCache, StoringOnlyInMemoryLeavesTheDiskAlone)
{
    cache->storeImage(picture, pictureBytes, std::string(kKey), /*toDisk=*/false);
    waitForDiskWrites();
    EXPECT_EQ(cache->imageFromKey(std::string(kKey), /*fromDisk=*/false), picture);
    EXPECT_EQ(cache->getDiskCount(), 0);
    cache->clearMemory();
    EXPECT_EQ(cache->imageFromKey(std::string(kKey)), nullptr);
}

TEST_F(ImageCache, NothingIsStoredWithoutAnImageOrAKey)
{
    cache->storeImage(nullptr, pictureBytes, std::string(kKey), /*toDisk=*/true);
    cache->storeImage(picture, pictureBytes, std::nullopt, /*toDisk=*/true);
    waitForDiskWrites();
    EXPECT_EQ(cache->imageFromKey(std::string(kKey)), nullptr);
    EXPECT_EQ(cache->getDiskCount(), 0);
    EXPECT_EQ(cache->getSize(), 0);
}

TEST_F(ImageCache, ALaterStoreReplacesTheMemoryEntryAndTheFile)
{
    auto second = plat::test::makeFlatImage(3, 3, Rgba {9, 9, 9, 255});
    plat::Data secondBytes = *plat::PNGRepresentation(*second);
    cache->storeImage(picture, pictureBytes, std::string(kKey), /*toDisk=*/true);
    cache->storeImage(second, secondBytes, std::string(kKey), /*toDisk=*/true);
    waitForDiskWrites();
    EXPECT_EQ(cache->imageFromKey(std::string(kKey)), second);
    EXPECT_EQ(plat::readFile(fileOf(kKeyFile)).value(), secondBytes);
}

TEST_F(ImageCache, ADiskLookUpAfterTheMemoryIsClearedReadsTheFileAtItsKeysScale)
{
    const std::string key = "http://example.com/icon@2x.png";
    cache->storeImage(picture, pictureBytes, key, /*toDisk=*/true);
    waitForDiskWrites();
    cache->clearMemory();
    auto image = cache->imageFromKey(key);
    ASSERT_TRUE(image);
    EXPECT_NE(image, picture);
    EXPECT_EQ(image->scale(), 2.0);
    EXPECT_EQ(image->size().width, 10);
    EXPECT_EQ(cache->imageFromKey(key, /*fromDisk=*/false), image);  // now in memory again
}

TEST_F(ImageCache, AFileThatIsNotAPictureIsAMiss)
{
    ASSERT_TRUE(plat::writeFileAtomically(cache->cachePathForKey(kKey), std::string_view("<html>")).ok());
    EXPECT_EQ(cache->imageFromKey(std::string(kKey)), nullptr);
    auto delegate = std::make_shared<RecordingCacheDelegate>();
    query(std::string(kKey), delegate);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->answered; }));
    EXPECT_EQ(delegate->found, nullptr);
    EXPECT_EQ(delegate->answeredKey, kKey);
}

TEST_F(ImageCache, AnInterruptedWriteLeavesThePreviousFileWhole)
{
    cache->storeImage(picture, pictureBytes, std::string(kKey), /*toDisk=*/true);
    waitForDiskWrites();
    {
        plat::test::FailingWrites failing(kKeyFile, plat::detail::WriteFailurePoint::AfterHalfTheBytes);
        cache->storeImage(picture, plat::Data(5000, 0x42), std::string(kKey), /*toDisk=*/true);
        waitForDiskWrites();
    }
    EXPECT_EQ(plat::readFile(fileOf(kKeyFile)).value(), pictureBytes);
    EXPECT_EQ(cache->getDiskCount(), 1);  // no half-written neighbour either
}

TEST_F(ImageCache, ClearingMemoryDropsDiskWritesThatHaveNotStarted)
{
    plat::Semaphore hold;
    cache->cacheInQueue()->async([hold]() mutable { hold.wait(); });
    cache->storeImage(picture, pictureBytes, std::string(kKey), /*toDisk=*/true);
    cache->clearMemory();
    hold.signal();
    waitForDiskWrites();
    EXPECT_FALSE(plat::fileExists(fileOf(kKeyFile)));
    cache->storeImage(picture, pictureBytes, std::string(kKey), /*toDisk=*/true);
    waitForDiskWrites();
    EXPECT_TRUE(plat::fileExists(fileOf(kKeyFile)));
}

TEST_F(ImageCache, AsynchronousLookUpsAnswerMissingKeysAndMemoryHitsAtOnce)
{
    auto delegate = std::make_shared<RecordingCacheDelegate>();
    query(std::nullopt, delegate);
    EXPECT_TRUE(delegate->answered);
    EXPECT_FALSE(delegate->answeredKey);
    EXPECT_EQ(std::any_cast<std::string>(delegate->info), "asker");

    cache->storeImage(picture, std::string(kKey), /*toDisk=*/false);
    auto hit = std::make_shared<RecordingCacheDelegate>();
    query(std::string(kKey), hit);
    EXPECT_TRUE(hit->answered);
    EXPECT_EQ(hit->found, picture);

    cache->queryDiskCacheForKey(std::string(kKey), nullptr, std::any());  // nobody to answer: nothing happens
}

TEST_F(ImageCache, AsynchronousLookUpsReadTheDiskOffTheMainThreadAndAnswerDecodedOnIt)
{
    cache->storeImage(picture, pictureBytes, std::string(kKey), /*toDisk=*/true);
    waitForDiskWrites();
    cache->clearMemory();
    auto delegate = std::make_shared<RecordingCacheDelegate>();
    query(std::string(kKey), delegate);
    EXPECT_FALSE(delegate->answered);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->answered; }));
    EXPECT_TRUE(delegate->onMainThread);
    ASSERT_TRUE(delegate->found);
    // Force-decoded at the screen's scale: twice the pixels, the same points.
    EXPECT_EQ(delegate->found->scale(), 2.0);
    EXPECT_EQ(delegate->found->bitmap()->width(), 40);
    EXPECT_EQ(delegate->found->size().width, 20);
    EXPECT_EQ(std::any_cast<std::string>(delegate->info), "asker");
    EXPECT_EQ(cache->imageFromKey(std::string(kKey), /*fromDisk=*/false), delegate->found);
}

TEST_F(ImageCache, RemovingAKeyDropsItsMemoryEntryAndFile)
{
    cache->storeImage(picture, pictureBytes, std::string(kKey), /*toDisk=*/true);
    cache->storeImage(picture, pictureBytes, std::string("kept"), /*toDisk=*/true);
    waitForDiskWrites();
    cache->removeImageForKey(std::string(kKey), /*fromDisk=*/false);
    EXPECT_TRUE(plat::fileExists(fileOf(kKeyFile)));
    cache->removeImageForKey(std::string(kKey));
    EXPECT_EQ(cache->imageFromKey(std::string(kKey)), nullptr);
    EXPECT_EQ(cache->getDiskCount(), 1);
    cache->removeImageForKey(std::string("never stored"));
    cache->removeImageForKey(std::nullopt);
    cache->clearDisk();
    EXPECT_EQ(cache->getDiskCount(), 0);
    EXPECT_TRUE(plat::isDirectory(cache->diskCachePath()));
}

TEST_F(ImageCache, CleaningDeletesFilesAsOldAsTheMaximumAgeOrOlder)
{
    // The manual clock's date minus seven days, in seconds since 1970.
    const double expiry = clock.clock().date().timeIntervalSince1970() - 604800;
    for (const char* name : {"expired", "on-the-day", "fresh"})
        ASSERT_TRUE(plat::writeFileAtomically(fileOf(name), std::string_view("x")).ok());
    ASSERT_TRUE(plat::createDirectory(fileOf("folder"), plat::IntermediateDirectories::No).ok());
    ASSERT_TRUE(plat::writeFileAtomically(fileOf("folder/inner"), std::string_view("y")).ok());
    setModificationTime(fileOf("expired"), expiry - 3600);
    setModificationTime(fileOf("on-the-day"), expiry);
    setModificationTime(fileOf("fresh"), expiry + 1);
    setModificationTime(fileOf("folder/inner"), expiry - 1);
    cache->cleanDisk();
    EXPECT_FALSE(plat::fileExists(fileOf("expired")));
    EXPECT_FALSE(plat::fileExists(fileOf("on-the-day")));
    EXPECT_TRUE(plat::fileExists(fileOf("fresh")));
    EXPECT_FALSE(plat::fileExists(fileOf("folder/inner")));

    WIImageCache::setMaxCacheAge(0);
    cache->cleanDisk();
    WIImageCache::setMaxCacheAge(WIImageCache::kDefaultMaxCacheAgeSeconds);
    EXPECT_FALSE(plat::fileExists(fileOf("fresh")));
}

TEST_F(ImageCache, TheSizeIsSummedPastTwoGigabytes)
{
    EXPECT_EQ(cache->getSize(), 0);
    EXPECT_EQ(cache->getDiskCount(), 0);
    // Sparse files: three gigabytes of size and hardly any disk.
    for (const char* name : {"big-1", "big-2"}) {
        int fd = ::open(fileOf(name).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, int64_t(1536) << 20), 0);
        ::close(fd);
    }
    ASSERT_TRUE(plat::writeFileAtomically(fileOf("small"), std::string_view("12345")).ok());
    EXPECT_EQ(cache->getSize(), 3221225477);
    EXPECT_EQ(cache->getDiskCount(), 3);
}

TEST_F(ImageCache, TheApplicationsMemoryWarningAndBackgroundingEmptyTheMemory)
{
    auto& center = plat::NotificationCenter::defaultCenter();
    cache->storeImage(picture, std::string("a"), /*toDisk=*/false);
    center.post(plat::ApplicationDidReceiveMemoryWarningNotification);
    EXPECT_EQ(cache->imageFromKey(std::string("a"), /*fromDisk=*/false), nullptr);
    cache->storeImage(picture, std::string("a"), /*toDisk=*/false);
    center.post(plat::ApplicationDidEnterBackgroundNotification);
    EXPECT_EQ(cache->imageFromKey(std::string("a"), /*fromDisk=*/false), nullptr);

    ASSERT_TRUE(plat::writeFileAtomically(fileOf("old"), std::string_view("x")).ok());
    setModificationTime(fileOf("old"), 1000);
    center.post(plat::ApplicationWillTerminateNotification);
    EXPECT_FALSE(plat::fileExists(fileOf("old")));

    // A cache that is gone hears nothing more.
    cache.reset();
    center.post(plat::ApplicationDidReceiveMemoryWarningNotification);
}

TEST(WebImageScale, TheKeysEndSaysWhetherThePictureIsDoubleScale)
{
    auto picture = plat::test::makeFlatImage(8, 6, Rgba {1, 2, 3, 255});
    auto scaleOf = [&](std::string_view key) { return zt::scaledImageForKey(key, picture)->scale(); };
    EXPECT_EQ(scaleOf("http://h/a@2x.png"), 2.0);
    EXPECT_EQ(scaleOf("http://h/a@2x.jpeg"), 2.0);
    EXPECT_EQ(scaleOf("http://h/a@2x.js"), 1.0);  // the marker starts too late
    EXPECT_EQ(scaleOf("http://h/a@2x.abcde"), 1.0);  // and here too early
    EXPECT_EQ(scaleOf("b@2x.pn"), 1.0);  // seven characters
    EXPECT_EQ(scaleOf("a.png"), 1.0);
    // Characters count as UTF-16 units: "é" is one, though two bytes.
    EXPECT_EQ(scaleOf("é@2x.png"), 2.0);
    auto image = zt::scaledImageForKey("x@2x.png", picture);
    EXPECT_EQ(image->bitmap(), picture->bitmap());
    EXPECT_EQ(image->size().width, 4);
    EXPECT_EQ(zt::scaledImageForKey("a", plat::Data {'n', 'o'}), nullptr);
    EXPECT_EQ(zt::scaledImageForKey("a", std::shared_ptr<plat::Image>()), nullptr);
}

TEST(WebImageForceDecode, DrawsThePictureUprightAtTheScreensScale)
{
    // Stored 4 x 2 with a red left column, shown turned right: 2 x 4 with red on top.
    auto stored = plat::test::makeImage(
        4, 2,
        [](int x, int) {
            return x == 0 ? Rgba {255, 0, 0, 255} : Rgba {0, 0, 255, 255};
        },
        plat::ImageOrientation::Right);
    auto decoded = zt::decodedImageWithImage(stored);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->imageOrientation(), plat::ImageOrientation::Up);
    EXPECT_EQ(decoded->scale(), 2.0);
    EXPECT_EQ(decoded->bitmap()->width(), 4);
    EXPECT_EQ(decoded->bitmap()->height(), 8);
    EXPECT_TRUE(decoded->bitmap()->isOpaque());
    EXPECT_EQ(plat::test::pixelAt(*decoded, 2, 0), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(plat::test::pixelAt(*decoded, 2, 7), (Rgba {0, 0, 255, 255}));

    auto translucent = plat::test::makeFlatImage(2, 2, Rgba {0, 0, 0, 0});
    EXPECT_FALSE(zt::decodedImageWithImage(translucent)->bitmap()->isOpaque());
    EXPECT_EQ(zt::decodedImageWithImage(nullptr), nullptr);
}

}  // namespace
