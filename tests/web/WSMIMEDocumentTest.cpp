#include <gtest/gtest.h>

#include "platform/foundation/RunLoop.h"
#include "web/WSGatherInputStream.h"
#include "web/WSMIMEDocument.h"
#include "web/WSReadMonitorInputStream.h"

namespace {

std::string readAll(plat::InputStream& stream)
{
    std::string text;
    uint8_t buffer[7];
    for (int64_t n; (n = stream.read(buffer, sizeof buffer)) > 0;)
        text.append(buffer, buffer + n);
    return text;
}

class ReadRecorder : public zt::SelectorTarget {
public:
    void inputStreamRead(plat::InputStream&, const uint8_t* bytes, uint64_t length)
    {
        seen.append(bytes, bytes + length);
    }
    std::string seen;
};

}  // namespace

TEST(MIMEDocument, OnePartHasTheExpectedBytesAndLength)
{
    auto document = zt::WSMIMEDocument::MIMEDocument();
    document->addPartWithHeaders({{"Content-Type", "application/atom+xml"}}, plat::Data {'a', 'b', 'c'});
    std::shared_ptr<plat::InputStream> stream;
    uint64_t length = 0;
    std::string boundary;
    document->generateInputStream(&stream, &length, &boundary);
    EXPECT_EQ(boundary, "END_OF_PART");
    stream->open();
    const std::string expected
        = "\r\n--END_OF_PART\r\nContent-Type: application/atom+xml\r\n\r\nabc\r\n--END_OF_PART--\r\n";
    EXPECT_EQ(readAll(*stream), expected);
    EXPECT_EQ(length, 77u);
}

TEST(MIMEDocument, HeaderNamesAreSortedWithoutRegardToCase)
{
    zt::WSMIMEPart part({{"b", "2"}, {"A", "1"}, {"c", "3"}}, {});
    EXPECT_EQ(std::string(part.header().begin(), part.header().end()), "A: 1\r\nb: 2\r\nc: 3\r\n\r\n");
}

TEST(MIMEDocument, TheBoundaryIsVariedOnlyWhereAPartHoldsIt)
{
    struct Case {
        std::string body;
        const char* boundary;
    };
    const Case cases[] = {
        {"END_OF_PAR", "END_OF_PART"},
        {"xEND_OF_PARTx", "END_OF_PART_00000001"},
        {"END_OF_PART_00000001 and END_OF_PART_00000002", "END_OF_PART_00000003"},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.body);
        auto document = zt::WSMIMEDocument::MIMEDocument();
        document->seedRandomWith(1);
        document->addPartWithHeaders({}, plat::Data(entry.body.begin(), entry.body.end()));
        std::string boundary;
        document->generateInputStream(nullptr, nullptr, &boundary);
        EXPECT_EQ(boundary, entry.boundary);
    }
}

TEST(MIMEDocument, EmptyDocumentIsTheClosingLineAlone)
{
    auto document = zt::WSMIMEDocument::MIMEDocument();
    std::shared_ptr<plat::InputStream> stream;
    uint64_t length = 0;
    document->generateInputStream(&stream, &length, nullptr);
    stream->open();
    EXPECT_EQ(readAll(*stream), "\r\n--END_OF_PART--\r\n");
    EXPECT_EQ(length, 19u);
}

TEST(GatherInputStream, ReadsAcrossPiecesThenEnds)
{
    auto stream = zt::WSGatherInputStream::streamWithArray({plat::Data(3, 'a'), plat::Data(), plat::Data(5, 'b')});
    stream->open();
    uint8_t buffer[4];
    EXPECT_EQ(stream->read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, buffer + 4), "aaab");
    EXPECT_EQ(stream->read(buffer, 4), 4);
    EXPECT_EQ(stream->read(buffer, 4), 0);
    EXPECT_EQ(stream->streamStatus(), plat::StreamStatus::AtEnd);
}

TEST(ReadMonitorInputStream, TellsItsDelegateBeforeTheReadReturns)
{
    plat::RunLoop::main().bindToCurrentThread();
    auto monitor
        = zt::WSReadMonitorInputStream::inputStreamWithStream(plat::InputStream::inputStreamWithData({'h', 'i'}));
    auto recorder = std::make_shared<ReadRecorder>();
    monitor->setReadDelegate(recorder);
    monitor->setReadSelector(&ReadRecorder::inputStreamRead);
    monitor->open();
    uint8_t buffer[8];
    EXPECT_EQ(monitor->read(buffer, sizeof buffer), 2);
    EXPECT_EQ(recorder->seen, "hi");
}
