// Parsing a 1,000-entry video feed (about 3 MB, made here) into the object
// model, beside a bare libxml2 parse of the same bytes into a tree. The
// ratio of the two is printed at the end.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <libxml/parser.h>
#include <map>
#include <string>

#include "BenchRatio.h"
#include "platform/foundation/Value.h"
#include "videoservice/YouTubeFeeds.h"

namespace {

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

}  // namespace
