#include "platform/graphics/PixelBuffer.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <vector>

#include "platform/graphics/Bitmap.h"

namespace {

using plat::PixelBuffer;
using plat::PixelBufferLock;
using plat::PixelBufferPool;

std::shared_ptr<PixelBuffer> makeBuffer(int width, int height, uint32_t format = plat::kPixelFormatType_32BGRA)
{
    auto made = PixelBuffer::create(width, height, format);
    EXPECT_TRUE(made.ok()) << made.error().description();
    return made.ok() ? made.value() : nullptr;
}

void fill(PixelBuffer& buffer, uint8_t value)
{
    buffer.lockBaseAddress(PixelBufferLock::ReadWrite);
    for (int y = 0; y < buffer.height(); ++y)
        std::fill_n(buffer.baseAddress() + buffer.bytesPerRow() * size_t(y), size_t(buffer.width()) * 4, value);
    buffer.unlockBaseAddress(PixelBufferLock::ReadWrite);
}

uint8_t firstByte(PixelBuffer& buffer)
{
    buffer.lockBaseAddress(PixelBufferLock::ReadOnly);
    uint8_t value = buffer.baseAddress()[0];
    buffer.unlockBaseAddress(PixelBufferLock::ReadOnly);
    return value;
}

TEST(PixelBuffer, RefusesOtherFormatsAndEmptyOrHugeSizes)
{
    auto yuv = PixelBuffer::create(4, 4, 0x32767579);  // '2vuy', packed 4:2:2
    ASSERT_FALSE(yuv.ok());
    EXPECT_EQ(yuv.error().code(), plat::kCVReturnInvalidPixelFormat);
    for (auto [w, h] : {std::pair {0, 4}, {4, -1}, {40000, 2}, {10000, 10000}}) {
        auto buffer = PixelBuffer::create(w, h, plat::kPixelFormatType_32BGRA);
        ASSERT_FALSE(buffer.ok()) << w << " x " << h;
        EXPECT_EQ(buffer.error().code(), plat::kCVReturnInvalidSize);
    }
    EXPECT_FALSE(PixelBufferPool::create(0, 4, plat::kPixelFormatType_32ARGB).ok());
}

TEST(PixelBuffer, PadsRowsTo64BytesAndStartsCleared)
{
    auto buffer = makeBuffer(17, 3, plat::kPixelFormatType_32ARGB);
    ASSERT_TRUE(buffer);
    EXPECT_EQ(buffer->bytesPerRow(), 128u);  // 68 bytes of pixels
    EXPECT_EQ(buffer->dataSize(), 384u);
    EXPECT_EQ(buffer->pixelFormatType(), plat::kPixelFormatType_32ARGB);
    buffer->lockBaseAddress(PixelBufferLock::ReadOnly);
    const uint8_t* bytes = buffer->baseAddress();
    EXPECT_EQ(reinterpret_cast<uintptr_t>(bytes) % 64, 0u);
    EXPECT_TRUE(std::all_of(bytes, bytes + buffer->dataSize(), [](uint8_t b) { return b == 0; }));
    buffer->unlockBaseAddress(PixelBufferLock::ReadOnly);
    EXPECT_EQ(makeBuffer(16, 1)->bytesPerRow(), 64u);
}

TEST(PixelBuffer, GivesItsPixelsOnlyWhileLocked)
{
    auto buffer = makeBuffer(3, 2);
    EXPECT_EQ(buffer->baseAddress(), nullptr);
    EXPECT_EQ(buffer->sharePixels(), nullptr);
    buffer->lockBaseAddress(PixelBufferLock::ReadOnly);
    buffer->lockBaseAddress();
    buffer->unlockBaseAddress();
    EXPECT_NE(buffer->baseAddress(), nullptr);
    buffer->unlockBaseAddress(PixelBufferLock::ReadOnly);
    EXPECT_EQ(buffer->baseAddress(), nullptr);
}

TEST(PixelBufferDeathTest, AnUnlockWithoutItsLockAborts)
{
    auto buffer = makeBuffer(2, 2);
    EXPECT_DEATH(buffer->unlockBaseAddress(PixelBufferLock::ReadOnly), "without a matching lock");
    buffer->lockBaseAddress(PixelBufferLock::ReadOnly);
    EXPECT_DEATH(buffer->unlockBaseAddress(PixelBufferLock::ReadWrite), "without a matching lock");
    buffer->unlockBaseAddress(PixelBufferLock::ReadOnly);
}

TEST(PixelBuffer, APictureSharingThePixelsKeepsThemWhenTheBufferIsWrittenAgain)
{
    auto buffer = makeBuffer(20, 4);
    fill(*buffer, 7);
    auto bitmap = plat::bitmapSharingPixels(*buffer);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->bytesPerRow(), buffer->bytesPerRow());
    buffer->lockBaseAddress(PixelBufferLock::ReadOnly);
    EXPECT_EQ(buffer->baseAddress(), bitmap->bytes());  // shared, not copied
    buffer->unlockBaseAddress(PixelBufferLock::ReadOnly);

    fill(*buffer, 200);
    EXPECT_EQ(bitmap->row(3)[79], 7);
    EXPECT_EQ(firstByte(*buffer), 200);
    buffer->lockBaseAddress(PixelBufferLock::ReadOnly);
    EXPECT_NE(buffer->baseAddress(), bitmap->bytes());
    buffer->unlockBaseAddress(PixelBufferLock::ReadOnly);
}

TEST(PixelBuffer, SharingWhileSomeoneMayWriteGivesACopy)
{
    auto buffer = makeBuffer(4, 4);
    fill(*buffer, 1);
    buffer->lockBaseAddress(PixelBufferLock::ReadWrite);
    auto pixels = buffer->sharePixels();
    ASSERT_TRUE(pixels);
    EXPECT_NE(pixels.get(), buffer->baseAddress());
    buffer->baseAddress()[0] = 99;
    buffer->unlockBaseAddress(PixelBufferLock::ReadWrite);
    EXPECT_EQ(pixels.get()[0], 1);
    // The writer kept its memory: nothing was shared.
    buffer->lockBaseAddress(PixelBufferLock::ReadOnly);
    const uint8_t* before = buffer->baseAddress();
    buffer->unlockBaseAddress(PixelBufferLock::ReadOnly);
    buffer->lockBaseAddress(PixelBufferLock::ReadWrite);
    EXPECT_EQ(buffer->baseAddress(), before);
    buffer->unlockBaseAddress(PixelBufferLock::ReadWrite);
}

TEST(PixelBuffer, AReaderHoldingTheOldMemoryKeepsItUntilItsUnlock)
{
    auto buffer = makeBuffer(8, 8);
    fill(*buffer, 5);
    buffer->lockBaseAddress(PixelBufferLock::ReadOnly);
    const uint8_t* reading = buffer->baseAddress();
    auto shared = buffer->sharePixels();
    buffer->lockBaseAddress(PixelBufferLock::ReadWrite);
    buffer->baseAddress()[0] = 6;
    shared.reset();  // the last picture goes while the reader still reads
    EXPECT_EQ(reading[0], 5);  // still allocated (the address checker sees a use after free otherwise)
    buffer->unlockBaseAddress(PixelBufferLock::ReadWrite);
    EXPECT_EQ(reading[0], 5);
    buffer->unlockBaseAddress(PixelBufferLock::ReadOnly);
    EXPECT_EQ(firstByte(*buffer), 6);
}

TEST(PixelBuffer, OnlyBGRABuffersMakeBitmaps)
{
    auto argb = makeBuffer(2, 2, plat::kPixelFormatType_32ARGB);
    EXPECT_EQ(plat::bitmapSharingPixels(*argb), nullptr);
    auto bgra = makeBuffer(2, 2);
    auto bitmap = plat::bitmapSharingPixels(*bgra);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->order(), plat::PixelOrder::BGRA);
    EXPECT_EQ(bitmap->width(), 2);
}

TEST(PixelBuffer, WrappedMemoryIsLetGoAfterTheBufferAndItsPictures)
{
    struct Memory {
        std::vector<uint8_t> bytes = std::vector<uint8_t>(48, 3);
    };
    auto memory = std::make_shared<Memory>();
    std::weak_ptr<Memory> watch = memory;
    uint8_t* base = memory->bytes.data();
    ASSERT_FALSE(PixelBuffer::createWithBytes(4, 3, plat::kPixelFormatType_32BGRA, base, 12, memory).ok());
    ASSERT_FALSE(PixelBuffer::createWithBytes(3, 3, plat::kPixelFormatType_32BGRA, base, 14, memory).ok());
    ASSERT_FALSE(PixelBuffer::createWithBytes(3, 3, plat::kPixelFormatType_32BGRA, base, 16, nullptr).ok());
    auto made = PixelBuffer::createWithBytes(3, 3, plat::kPixelFormatType_32BGRA, base, 16, std::move(memory));
    ASSERT_TRUE(made.ok());
    auto buffer = std::move(made).value();
    EXPECT_EQ(buffer->bytesPerRow(), 16u);
    auto bitmap = plat::bitmapSharingPixels(*buffer);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->bytes(), base);
    buffer.reset();
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(bitmap->row(2)[11], 3);
    bitmap.reset();
    EXPECT_TRUE(watch.expired());
}

TEST(PixelBufferPool, ReusesMemoryOnceNothingShowsIt)
{
    auto pool = PixelBufferPool::create(16, 16, plat::kPixelFormatType_32BGRA).value();
    auto addressOf = [](PixelBuffer& buffer) {
        buffer.lockBaseAddress(PixelBufferLock::ReadOnly);
        const uint8_t* address = buffer.baseAddress();
        buffer.unlockBaseAddress(PixelBufferLock::ReadOnly);
        return address;
    };
    auto first = pool->createPixelBuffer().value();
    const uint8_t* firstMemory = addressOf(*first);
    auto picture = plat::bitmapSharingPixels(*first);
    first.reset();
    auto second = pool->createPixelBuffer().value();
    EXPECT_NE(addressOf(*second), firstMemory);  // the picture still shows it
    picture.reset();
    auto third = pool->createPixelBuffer().value();
    EXPECT_EQ(addressOf(*third), firstMemory);
    EXPECT_EQ(third->bytesPerRow(), 64u);
    pool.reset();  // buffers outlive their pool
    fill(*third, 9);
    EXPECT_EQ(firstByte(*third), 9);
}

class RecordingMirror : public plat::PixelBufferMirror {
public:
    void copyIntoMemory(uint8_t* bytes, size_t bytesPerRow) override
    {
        intoMemory.push_back(bytesPerRow);
        bytes[0] = intoMemoryValue;
    }
    void copyFromMemory(const uint8_t* bytes, size_t bytesPerRow) override
    {
        fromMemory.push_back(bytesPerRow);
        lastFirstByte = bytes[0];
    }
    std::vector<size_t> intoMemory;
    std::vector<size_t> fromMemory;
    uint8_t intoMemoryValue = 42;
    uint8_t lastFirstByte = 0;
};

TEST(PixelBuffer, KeepsItsMirrorInStepAtTheFirstLockAndAfterEachWrite)
{
    auto buffer = makeBuffer(5, 2);
    auto mirror = std::make_shared<RecordingMirror>();
    buffer->setMirror(mirror);
    buffer->lockBaseAddress(PixelBufferLock::ReadOnly);
    buffer->lockBaseAddress(PixelBufferLock::ReadWrite);
    EXPECT_EQ(buffer->baseAddress()[0], 42);
    buffer->baseAddress()[0] = 17;
    buffer->unlockBaseAddress(PixelBufferLock::ReadWrite);
    buffer->unlockBaseAddress(PixelBufferLock::ReadOnly);
    EXPECT_EQ(mirror->intoMemory, (std::vector<size_t> {64}));
    EXPECT_EQ(mirror->fromMemory, (std::vector<size_t> {64}));
    EXPECT_EQ(mirror->lastFirstByte, 17);

    // A picture sharing the pixels keeps them when the mirror copies in.
    auto picture = plat::bitmapSharingPixels(*buffer);  // the first lock: 42 from the mirror
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->bytes()[0], 42);
    buffer->lockBaseAddress(PixelBufferLock::ReadWrite);
    buffer->baseAddress()[0] = 8;
    buffer->unlockBaseAddress(PixelBufferLock::ReadWrite);
    EXPECT_EQ(mirror->lastFirstByte, 8);
    auto again = plat::bitmapSharingPixels(*buffer);
    EXPECT_EQ(again->bytes()[0], 42);  // copied in at this lock too
    EXPECT_EQ(picture->bytes()[0], 42);
    mirror->intoMemoryValue = 50;
    EXPECT_EQ(firstByte(*buffer), 50);
    EXPECT_EQ(again->bytes()[0], 42);

    mirror.reset();  // a mirror that has gone is left alone
    fill(*buffer, 1);
    EXPECT_EQ(firstByte(*buffer), 1);
}

}  // namespace

TEST(PixelBuffer, BiPlanarBuffersKeepLuminanceThenChromaPairsOfEachTwoByTwoBlock)
{
    auto video = makeBuffer(7, 5, plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange);
    ASSERT_TRUE(video);
    EXPECT_EQ(video->planeCount(), 2u);
    EXPECT_EQ(video->widthOfPlane(0), 7);
    EXPECT_EQ(video->heightOfPlane(0), 5);
    // Odd sizes round the chroma halves up.
    EXPECT_EQ(video->widthOfPlane(1), 4);
    EXPECT_EQ(video->heightOfPlane(1), 3);
    EXPECT_EQ(video->bytesPerRowOfPlane(0), 64u);
    EXPECT_EQ(video->bytesPerRowOfPlane(1), 64u);
    EXPECT_EQ(video->dataSize(), 64u * 5 + 64u * 3);
    EXPECT_EQ(video->baseAddressOfPlane(1), nullptr);
    video->lockBaseAddress(PixelBufferLock::ReadOnly);
    EXPECT_EQ(video->baseAddressOfPlane(0), video->baseAddress());
    EXPECT_EQ(video->baseAddressOfPlane(1), video->baseAddress() + 64 * 5);
    // Made black: Y at video-range black, no colour.
    EXPECT_EQ(video->baseAddressOfPlane(0)[64 * 4 + 6], 16);
    EXPECT_EQ(video->baseAddressOfPlane(1)[64 * 2 + 7], 128);
    video->unlockBaseAddress(PixelBufferLock::ReadOnly);

    auto full = makeBuffer(2, 2, plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange);
    ASSERT_TRUE(full);
    full->lockBaseAddress(PixelBufferLock::ReadOnly);
    EXPECT_EQ(full->baseAddressOfPlane(0)[1], 0);
    EXPECT_EQ(full->baseAddressOfPlane(1)[1], 128);
    full->unlockBaseAddress(PixelBufferLock::ReadOnly);
    EXPECT_EQ(full->yCbCrMatrix(), "");
    full->setYCbCrMatrix(plat::kCVImageBufferYCbCrMatrix_ITU_R_601_4);
    EXPECT_EQ(full->yCbCrMatrix(), plat::kCVImageBufferYCbCrMatrix_ITU_R_601_4);

    // A 32-bit buffer is not planar: plane 0 is the buffer itself.
    auto bgra = makeBuffer(3, 2);
    EXPECT_EQ(bgra->planeCount(), 0u);
    EXPECT_EQ(bgra->widthOfPlane(0), 3);
    EXPECT_EQ(bgra->bytesPerRowOfPlane(0), bgra->bytesPerRow());
    EXPECT_FALSE(plat::bitmapSharingPixels(*full));
}

TEST(PixelBuffer, OnlyThirtyTwoBitPixelsAreWrappedInPlace)
{
    auto memory = std::make_shared<std::vector<uint8_t>>(64 * 8);
    auto wrapped = PixelBuffer::createWithBytes(
        4, 4, plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange, memory->data(), 64, memory);
    ASSERT_FALSE(wrapped.ok());
    EXPECT_EQ(wrapped.error().code(), plat::kCVReturnInvalidPixelFormat);
}

TEST(PixelBufferDeathTest, APlaneBeyondTheBuffersAborts)
{
    auto yuv = makeBuffer(4, 4, plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange);
    EXPECT_DEATH(yuv->widthOfPlane(2), "no plane 2");
    auto bgra = makeBuffer(4, 4);
    EXPECT_DEATH(bgra->bytesPerRowOfPlane(1), "no plane 1");
}

TEST(PixelBufferPool, ReusesTheWholeMemoryOfBiPlanarBuffers)
{
    auto pool = PixelBufferPool::create(9, 7, plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange).value();
    const uint8_t* firstMemory = nullptr;
    {
        auto buffer = pool->createPixelBuffer().value();
        EXPECT_EQ(buffer->planeCount(), 2u);
        EXPECT_EQ(buffer->widthOfPlane(1), 5);
        EXPECT_EQ(buffer->heightOfPlane(1), 4);
        buffer->lockBaseAddress();
        firstMemory = buffer->baseAddress();
        // The last chroma byte is within the memory (the address checker sees any overrun).
        buffer->baseAddressOfPlane(1)[buffer->bytesPerRowOfPlane(1) * 3 + 9] = 1;
        buffer->unlockBaseAddress();
    }
    auto again = pool->createPixelBuffer().value();
    again->lockBaseAddress(PixelBufferLock::ReadOnly);
    EXPECT_EQ(again->baseAddress(), firstMemory);
    again->unlockBaseAddress(PixelBufferLock::ReadOnly);
}
