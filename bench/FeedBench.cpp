// Parsing a 1,000-entry video feed (about 3 MB, made here) into the object
// model, beside a bare libxml2 parse of the same bytes into a tree. The
// ratio of the two is printed at the end.
//
// Then feeds of 1,000 to 50,000 small entries, to show that time and
// memory grow with the input and no faster: each run reports its time per
// entry and the most heap it held at once, in all and per input byte. The
// heap is counted here: every C++ allocation of the program and every one
// of libxml2.
//
// Last, the most memory a feed of 1, 7 (the largest parsed), 16 and 63 MiB
// can take, ordinary and of the densest markup a hostile server could
// send, each parsed in a child process: its counted heap and the growth of
// its resident set (the kernel's high-water mark), which includes what the
// allocator keeps besides.
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <libxml/parser.h>
#include <malloc.h>
#include <map>
#include <new>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "BenchRatio.h"
#include "platform/foundation/Value.h"
#include "videoservice/YouTubeFeeds.h"

namespace {

// Bytes the program holds on the heap now, and the most since the last reset.
std::atomic<int64_t> heapBytes {0};
std::atomic<int64_t> heapPeakBytes {0};

void countAllocation(void* block)
{
    if (block == nullptr)
        return;
    int64_t now = heapBytes += static_cast<int64_t>(malloc_usable_size(block));
    int64_t peak = heapPeakBytes.load();
    while (now > peak && !heapPeakBytes.compare_exchange_weak(peak, now)) { }
}

void countRelease(void* block)
{
    if (block != nullptr)
        heapBytes -= static_cast<int64_t>(malloc_usable_size(block));
}

void* countedMalloc(size_t size)
{
    void* block = std::malloc(size);
    countAllocation(block);
    return block;
}

void countedFree(void* block)
{
    countRelease(block);
    std::free(block);
}

void* countedRealloc(void* block, size_t size)
{
    countRelease(block);
    void* moved = std::realloc(block, size);
    countAllocation(moved != nullptr ? moved : block);
    return moved;
}

char* countedStrdup(const char* text)
{
    size_t length = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(countedMalloc(length));
    if (copy != nullptr)
        std::memcpy(copy, text, length);
    return copy;
}

// libxml2 allocates through these from the start of the program.
[[maybe_unused]] const bool kLibxml2Counted
    = xmlMemSetup(countedFree, countedMalloc, countedRealloc, countedStrdup) == 0;

// The heap held at most while body runs, beyond what was held before it.
template <typename Body> int64_t peakHeapBytesDuring(Body&& body)
{
    int64_t before = heapBytes.load();
    heapPeakBytes.store(before);
    body();
    return heapPeakBytes.load() - before;
}

std::string videoEntry(int index)
{
    std::string id = "vid" + std::to_string(index);
    return "<entry gd:etag='W/\"C0EFQ347eCp7I2A9WhFXEE8." + id
        + "\"'>"
          "<id>tag:youtube.com,2008:video:"
        + id
        + "</id>"
          "<published>2013-05-02T10:20:30.000Z</published><updated>2013-06-01T08:00:00.000Z</updated>"
          "<category scheme='http://schemas.google.com/g/2005#kind' "
          "term='http://gdata.youtube.com/schemas/2007#video'/>"
          "<category scheme='http://gdata.youtube.com/schemas/2007/categories.cat' term='Film' label='Film &amp; "
          "Animation'/>"
          "<title>Clay cat number "
        + std::to_string(index)
        + "</title>"
          "<content type='application/x-shockwave-flash' src='https://www.youtube.com/v/"
        + id
        + "?version=3'/>"
          "<link rel='alternate' type='text/html' href='https://www.youtube.com/watch?v="
        + id
        + "&amp;feature=youtube_gdata'/>"
          "<link rel='http://gdata.youtube.com/schemas/2007#video.responses' type='application/atom+xml' "
          "href='https://gdata.youtube.com/feeds/api/videos/"
        + id
        + "/responses?v=2'/>"
          "<link rel='self' type='application/atom+xml' href='https://gdata.youtube.com/feeds/api/videos/"
        + id
        + "?v=2'/>"
          "<author><name>claymaker</name><uri>https://gdata.youtube.com/feeds/api/users/claymaker</"
          "uri><yt:userId>UCclay</yt:userId></author>"
          "<yt:accessControl action='comment' permission='allowed'/><yt:accessControl action='embed' "
          "permission='allowed'/>"
          "<yt:accessControl action='rate' permission='allowed'/><yt:accessControl action='list' permission='allowed'/>"
          "<gd:comments><gd:feedLink rel='http://gdata.youtube.com/schemas/2007#comments' "
          "href='https://gdata.youtube.com/feeds/api/videos/"
        + id
        + "/comments?v=2' countHint='12'/></gd:comments>"
          "<media:group>"
          "<media:category label='Film &amp; Animation' "
          "scheme='http://gdata.youtube.com/schemas/2007/categories.cat'>Film</media:category>"
          "<media:content url='https://www.youtube.com/v/"
        + id
        + "?version=3' type='application/x-shockwave-flash' medium='video' isDefault='true' expression='full' "
          "duration='125' yt:format='5'/>"
          "<media:content url='rtsp://r1---sn-example.c.youtube.com/"
        + id
        + "/0/0/0/video.3gp' type='video/3gpp' medium='video' expression='full' duration='125' yt:format='1'/>"
          "<media:credit role='uploader' scheme='urn:youtube' yt:display='Clay Maker'>claymaker</media:credit>"
          "<media:description type='plain'>A cat made of clay, frame by frame, number "
        + std::to_string(index)
        + ". Shot on a kitchen table over three weekends with a phone and a lamp.</media:description>"
          "<media:keywords>clay, cat, stop motion, animation, kitchen</media:keywords>"
          "<media:license type='text/html' href='http://www.youtube.com/t/terms'>youtube</media:license>"
          "<media:player url='https://www.youtube.com/watch?v="
        + id
        + "&amp;feature=youtube_gdata_player'/>"
          "<media:thumbnail url='https://i.ytimg.com/vi/"
        + id
        + "/default.jpg' height='90' width='120' time='00:01:02.500' yt:name='default'/>"
          "<media:thumbnail url='https://i.ytimg.com/vi/"
        + id
        + "/mqdefault.jpg' height='180' width='320' yt:name='mqdefault'/>"
          "<media:thumbnail url='https://i.ytimg.com/vi/"
        + id
        + "/hqdefault.jpg' height='360' width='480' yt:name='hqdefault'/>"
          "<media:thumbnail url='https://i.ytimg.com/vi/"
        + id
        + "/2.jpg' height='90' width='120' time='00:01:02.500' yt:name='middle'/>"
          "<media:title type='plain'>Clay cat number "
        + std::to_string(index)
        + "</media:title>"
          "<yt:aspectRatio>widescreen</yt:aspectRatio><yt:duration seconds='125'/>"
          "<yt:uploaded>2013-05-02T10:20:30.000Z</yt:uploaded><yt:uploaderId>UCclay</yt:uploaderId><yt:videoid>"
        + id
        + "</yt:videoid>"
          "</media:group>"
          "<gd:rating average='4.8' max='5' min='1' numRaters='40' rel='http://schemas.google.com/g/2005#overall'/>"
          "<yt:recorded>2013-04-30</yt:recorded>"
          "<yt:statistics favoriteCount='7' viewCount='"
        + std::to_string(1000 + index)
        + "'/>"
          "<yt:rating numDislikes='1' numLikes='39'/>"
          "</entry>\n";
}

const std::string& feedText()
{
    static const std::string text = [] {
        std::string feed
            = "<?xml version='1.0' encoding='UTF-8'?>\n"
              "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:app='http://www.w3.org/2007/app' "
              "xmlns:media='http://search.yahoo.com/mrss/' "
              "xmlns:openSearch='http://a9.com/-/spec/opensearch/1.1/' "
              "xmlns:gd='http://schemas.google.com/g/2005' xmlns:yt='http://gdata.youtube.com/schemas/2007' "
              "gd:etag='W/\"DkYGRH48fCp7I2A9WhFXEE8.\"'>"
              "<id>tag:youtube.com,2008:videos</id><updated>2013-06-18T09:21:44.915Z</updated>"
              "<category scheme='http://schemas.google.com/g/2005#kind' "
              "term='http://gdata.youtube.com/schemas/2007#video'/>"
              "<title>Stop motion videos</title>"
              "<openSearch:totalResults>1000</openSearch:totalResults>"
              "<openSearch:startIndex>1</openSearch:startIndex>"
              "<openSearch:itemsPerPage>1000</openSearch:itemsPerPage>\n";
        for (int i = 0; i < 1000; ++i)
            feed += videoEntry(i);
        return feed + "</feed>\n";
    }();
    return text;
}

void BareLibxml2Parse(benchmark::State& state)
{
    const std::string& text = feedText();
    for (auto _ : state) {
        xmlDocPtr document = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
            XML_PARSE_NOCDATA | XML_PARSE_NOBLANKS | XML_PARSE_NONET);
        benchmark::DoNotOptimize(document);
        xmlFreeDoc(document);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void ObjectModelParse(benchmark::State& state)
{
    const std::string& text = feedText();
    plat::Data data(text.begin(), text.end());
    for (auto _ : state) {
        auto feed = zt::VSFeedBase::feedWithXMLData<zt::VSFeedYouTubeVideo>(data);
        if (!feed || feed->entries()->size() != 1000)
            state.SkipWithError("the feed did not parse");
        benchmark::DoNotOptimize(feed);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

BENCHMARK(BareLibxml2Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(ObjectModelParse)->Unit(benchmark::kMillisecond);

const zt::bench::Comparison kModelAgainstBareParse("ObjectModelParse", "BareLibxml2Parse", zt::bench::Measure::CpuTime);

std::string smallEntry(int index)
{
    std::string number = std::to_string(index);
    return "<entry><id>tag:youtube.com,2008:video:v" + number + "</id><title>Clay " + number
        + "</title><link rel='alternate' href='https://youtu.be/v" + number + "'/></entry>\n";
}

// About 130 bytes an entry: 50,000 of them stay under the 7 MiB a reply
// may have.
std::string smallFeedText(int entries)
{
    std::string feed = "<?xml version='1.0' encoding='UTF-8'?>\n"
                       "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:gd='http://schemas.google.com/g/2005'>"
                       "<id>tag:youtube.com,2008:videos</id><title>Many small videos</title>\n";
    feed.reserve(static_cast<size_t>(entries) * 128);
    for (int i = 0; i < entries; ++i)
        feed += smallEntry(i);
    return feed + "</feed>\n";
}

void reportPeakHeap(benchmark::State& state, int64_t peakBytes, size_t inputBytes)
{
    state.counters["peak_heap_MiB"] = static_cast<double>(peakBytes) / (1 << 20);
    state.counters["heap_per_input_byte"] = static_cast<double>(peakBytes) / static_cast<double>(inputBytes);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BareLibxml2ParseSmallEntries(benchmark::State& state)
{
    const std::string text = smallFeedText(static_cast<int>(state.range(0)));
    int64_t peakBytes = 0;
    for (auto _ : state) {
        peakBytes = std::max(peakBytes, peakHeapBytesDuring([&] {
            xmlDocPtr document = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                XML_PARSE_NOCDATA | XML_PARSE_NOBLANKS | XML_PARSE_NONET | XML_PARSE_HUGE);
            benchmark::DoNotOptimize(document);
            xmlFreeDoc(document);
        }));
    }
    reportPeakHeap(state, peakBytes, text.size());
}

void ObjectModelParseSmallEntries(benchmark::State& state)
{
    const std::string text = smallFeedText(static_cast<int>(state.range(0)));
    const plat::Data data(text.begin(), text.end());
    int64_t peakBytes = 0;
    for (auto _ : state) {
        peakBytes = std::max(peakBytes, peakHeapBytesDuring([&] {
            auto feed = zt::VSFeedBase::feedWithXMLData<zt::VSFeedYouTubeVideo>(data);
            if (!feed || feed->entries()->size() != static_cast<size_t>(state.range(0)))
                state.SkipWithError("the feed did not parse");
            benchmark::DoNotOptimize(feed);
        }));
    }
    reportPeakHeap(state, peakBytes, text.size());
}

// The densest feed there is: the most objects per input byte.
void ObjectModelParseEmptyEntries(benchmark::State& state)
{
    std::string text = "<feed xmlns='http://www.w3.org/2005/Atom'>";
    for (int64_t i = 0; i < state.range(0); ++i)
        text += "<entry/>";
    text += "</feed>";
    const plat::Data data(text.begin(), text.end());
    int64_t peakBytes = 0;
    for (auto _ : state) {
        peakBytes = std::max(peakBytes, peakHeapBytesDuring([&] {
            auto feed = zt::VSFeedBase::feedWithXMLData<zt::VSFeedYouTubeVideo>(data);
            benchmark::DoNotOptimize(feed);
        }));
    }
    reportPeakHeap(state, peakBytes, text.size());
}

BENCHMARK(ObjectModelParseEmptyEntries)->Arg(100'000)->Unit(benchmark::kMillisecond);

BENCHMARK(BareLibxml2ParseSmallEntries)->Arg(1'000)->Arg(10'000)->Arg(50'000)->Unit(benchmark::kMillisecond);
BENCHMARK(ObjectModelParseSmallEntries)->Arg(1'000)->Arg(10'000)->Arg(50'000)->Unit(benchmark::kMillisecond);

const zt::bench::Comparison kSmallEntriesAgainstBareParse(
    "ObjectModelParseSmallEntries", "BareLibxml2ParseSmallEntries", zt::bench::Measure::CpuTime);

enum class FeedShape { Ordinary, Densest };

// A feed of about the size: small entries, or text and an element the model
// does not know in turn, two nodes every five bytes, the most memory per
// input byte of the shapes tried (entries, unknown elements, comments,
// processing instructions, attributes, links, namespace declarations).
std::string feedOfSize(FeedShape shape, size_t bytes)
{
    std::string feed = "<feed xmlns='http://www.w3.org/2005/Atom'>";
    const std::string_view closing = "</feed>";
    feed.reserve(bytes);
    for (int index = 0;; ++index) {
        std::string part = shape == FeedShape::Ordinary ? smallEntry(index) : "x<a/>";
        if (feed.size() + part.size() + closing.size() > bytes)
            break;
        feed += part;
    }
    return feed.append(closing);
}

// A line of /proc/self/status ("VmRSS", "VmHWM") in bytes.
int64_t processStatusBytes(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key + ":", 0) == 0)
            return std::atoll(line.c_str() + key.size() + 1) * 1024;
    }
    return -1;
}

struct ParsePeak {
    int64_t heapBytes = -1;
    int64_t residentBytes = -1;
    bool parsed = false;
};

// Parses in a child, so that each parse starts from a fresh high-water mark
// and the allocator's leftovers of one size do not serve the next.
ParsePeak parsePeakInChild(const plat::Data& data)
{
    int channel[2];
    if (::pipe(channel) != 0)
        std::abort();
    pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        // Free memory the parent left resident would hide the parse's own.
        ::malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5";  // the high-water mark starts from now
        ParsePeak peak;
        const int64_t residentBefore = processStatusBytes("VmRSS");
        peak.heapBytes = peakHeapBytesDuring([&] {
            auto feed = zt::VSFeedBase::feedWithXMLData<zt::VSFeedYouTubeVideo>(data);
            peak.parsed = feed != nullptr;
        });
        peak.residentBytes = processStatusBytes("VmHWM") - residentBefore;
        bool sent = ::write(channel[1], &peak, sizeof peak) == static_cast<ssize_t>(sizeof peak);
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    ParsePeak peak;
    if (child < 0 || ::read(channel[0], &peak, sizeof peak) != static_cast<ssize_t>(sizeof peak))
        peak = ParsePeak();
    ::close(channel[0]);
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    return peak;
}

void FeedPeakMemory(benchmark::State& state)
{
    const auto shape = static_cast<FeedShape>(state.range(0));
    const std::string text = feedOfSize(shape, static_cast<size_t>(state.range(1)) << 20);
    const plat::Data data(text.begin(), text.end());
    ParsePeak peak;
    for (auto _ : state)
        peak = parsePeakInChild(data);
    if (peak.heapBytes < 0)
        state.SkipWithError("the child did not report");
    state.SetLabel(
        std::string(shape == FeedShape::Ordinary ? "ordinary" : "densest") + (peak.parsed ? ", parsed" : ", refused"));
    state.counters["input_MiB"] = static_cast<double>(text.size()) / (1 << 20);
    state.counters["peak_heap_MiB"] = static_cast<double>(peak.heapBytes) / (1 << 20);
    state.counters["peak_rss_MiB"] = static_cast<double>(peak.residentBytes) / (1 << 20);
    state.counters["rss_per_input_byte"] = static_cast<double>(peak.residentBytes) / static_cast<double>(text.size());
}

BENCHMARK(FeedPeakMemory)
    ->ArgsProduct({{static_cast<int>(FeedShape::Ordinary), static_cast<int>(FeedShape::Densest)}, {1, 7, 16, 63}})
    ->ArgNames({"shape", "MiB"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

// Every C++ allocation of the program is counted too.
void* operator new(size_t size)
{
    void* block = countedMalloc(size == 0 ? 1 : size);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void* operator new[](size_t size)
{
    return operator new(size);
}

void operator delete(void* block) noexcept
{
    countedFree(block);
}

void operator delete[](void* block) noexcept
{
    countedFree(block);
}

void operator delete(void* block, size_t) noexcept
{
    countedFree(block);
}

void operator delete[](void* block, size_t) noexcept
{
    countedFree(block);
}
