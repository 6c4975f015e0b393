// JSON parsing and writing: JSONCore and LiteJson against RapidJSON's DOM
// parser and writer, on three 2 MB documents (many small objects, an array of
// numbers, long strings with escapes). After the runs the ratios of ours to
// RapidJSON's time on the same document are printed (medians when repeated).
//
// The same work: each parse turns the same bytes into a tree in memory, and
// the tree is freed inside the timed loop on both sides. RapidJSON is asked
// for the checks JSONCore always makes (strings must be well-formed UTF-8,
// numbers are rounded to the nearest double); its faster unchecked defaults
// are measured too and printed as a second ratio. JSONCore also builds each
// object's hash table, which RapidJSON (members kept as a list) never does:
// that stays in JSONCore's time. The writers write the same trees as compact
// text; JSONCore writes reals as "%.17g" (17 digits), RapidJSON the shortest
// form that reads back the same.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <string>

#include "BenchRatio.h"
#include "web/JSONCoreDeserializing.h"
#include "web/JSONCoreSerializing.h"
#include "web/LiteJsonCategories.h"
#include "web/LiteJsonWriter.h"

namespace {

constexpr size_t kDocumentBytes = 2 * 1024 * 1024;
constexpr int kShapes = 3;
const char* const kShapeNames[kShapes] = {"objects", "numbers", "strings"};

// A fixed pseudo-random sequence, so every run sees the same documents.
class Sequence {
public:
    uint32_t next()
    {
        _state = _state * 1664525u + 1013904223u;
        return _state >> 8;
    }

private:
    uint32_t _state = 20240611;
};

std::string manySmallObjects()
{
    Sequence random;
    std::string text = "[";
    while (text.size() < kDocumentBytes) {
        const uint32_t id = random.next() % 1000000;
        if (text.size() > 1)
            text += ",";
        text += "{\"id\":" + std::to_string(id) + ",\"name\":\"user" + std::to_string(id) + "\",\"email\":\"user"
            + std::to_string(id) + "@example.com\",\"active\":" + (id % 2 == 0 ? "true" : "false")
            + ",\"score\":" + std::to_string(id % 1000) + "." + std::to_string(id % 97)
            + ",\"tags\":[\"red\",\"green\"],\"parent\":null}";
    }
    return text + "]";
}

std::string arrayOfNumbers()
{
    Sequence random;
    std::string text = "[";
    while (text.size() < kDocumentBytes) {
        if (text.size() > 1)
            text += ",";
        const uint32_t r = random.next();
        switch (r % 4) {
        case 0:
            text += std::to_string(r);
            break;
        case 1:
            text += "-" + std::to_string(r % 100000);
            break;
        case 2:
            text += std::to_string(r % 10000) + "." + std::to_string(r % 1000000);
            break;
        default:
            text += "-" + std::to_string(r % 10) + "." + std::to_string(r % 100000) + "e"
                + std::to_string(static_cast<int>(r % 40) - 20);
            break;
        }
    }
    return text + "]";
}

std::string longStringsWithEscapes()
{
    Sequence random;
    static const char* const kPieces[] = {"The quick brown fox ", "jumps over ", "the \\\"lazy\\\" dog", "\\n", "\\t",
        "caf\xC3\xA9 ", "\\u00e9t\\u00e9 ", "C:\\\\path\\\\to ", "100 \xE2\x82\xAC ", "\\/"};
    std::string text = "[";
    while (text.size() < kDocumentBytes) {
        if (text.size() > 1)
            text += ",";
        const size_t length = 500 + random.next() % 1500;
        std::string value;
        while (value.size() < length)
            value += kPieces[random.next() % (sizeof kPieces / sizeof kPieces[0])];
        text += "\"" + value + "\"";
    }
    return text + "]";
}

const std::string& document(int64_t shape)
{
    static const std::string documents[kShapes] = {manySmallObjects(), arrayOfNumbers(), longStringsWithEscapes()};
    return documents[shape];
}

void setCounters(benchmark::State& state)
{
    state.SetLabel(kShapeNames[state.range(0)]);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * document(state.range(0)).size()));
}

void ParseJSONCore(benchmark::State& state)
{
    const std::string& text = document(state.range(0));
    const plat::Data data(text.begin(), text.end());
    for (auto _ : state) {
        auto value = zt::objectFromJSONData(data);
        if (!value)
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(value);
    }
    setCounters(state);
}

void ParseLiteJson(benchmark::State& state)
{
    const std::string& text = document(state.range(0));
    for (auto _ : state) {
        auto value = zt::JSONValue(text);
        if (!value)
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(value);
    }
    setCounters(state);
}

// What JSONCore must do on every parse: reject ill-formed UTF-8 in strings
// and convert every number to the nearest double.
constexpr unsigned kRapidJSONSameChecks = rapidjson::kParseValidateEncodingFlag | rapidjson::kParseFullPrecisionFlag;

void ParseRapidJSON(benchmark::State& state)
{
    const std::string& text = document(state.range(0));
    for (auto _ : state) {
        rapidjson::Document parsed;
        parsed.Parse<kRapidJSONSameChecks>(text.data(), text.size());
        if (parsed.HasParseError())
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(parsed);
    }
    setCounters(state);
}

// RapidJSON's defaults, which neither check the UTF-8 of strings nor round
// numbers correctly: printed for comparison only.
void ParseRapidJSONUnchecked(benchmark::State& state)
{
    const std::string& text = document(state.range(0));
    for (auto _ : state) {
        rapidjson::Document parsed;
        parsed.Parse(text.data(), text.size());
        if (parsed.HasParseError())
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(parsed);
    }
    setCounters(state);
}

void WriteJSONCore(benchmark::State& state)
{
    const auto value = zt::objectFromJSONString(document(state.range(0)));
    for (auto _ : state) {
        auto text = zt::JSONString(value->arrayRef());
        if (!text)
            state.SkipWithError("write failed");
        benchmark::DoNotOptimize(text);
    }
    setCounters(state);
}

void WriteLiteJson(benchmark::State& state)
{
    const auto value = zt::JSONValue(document(state.range(0)));
    zt::LiteJsonWriter writer;
    for (auto _ : state) {
        auto text = writer.stringWithObject(*value);
        if (!text)
            state.SkipWithError("write failed");
        benchmark::DoNotOptimize(text);
    }
    setCounters(state);
}

void WriteRapidJSON(benchmark::State& state)
{
    const std::string& text = document(state.range(0));
    rapidjson::Document parsed;
    parsed.Parse(text.data(), text.size());
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        parsed.Accept(writer);
        benchmark::DoNotOptimize(buffer.GetString());
    }
    setCounters(state);
}

// Every side runs on one thread: its processor time, which the other work of
// a shared machine disturbs far less than the time on the clock.
constexpr auto kMeasure = zt::bench::Measure::CpuTime;

const zt::bench::Comparison kJSONCoreParse("ParseJSONCore", "ParseRapidJSON", kMeasure);
const zt::bench::Comparison kJSONCoreWrite("WriteJSONCore", "WriteRapidJSON", kMeasure);
const zt::bench::Comparison kJSONCoreParseUnchecked("ParseJSONCore", "ParseRapidJSONUnchecked", kMeasure);
const zt::bench::Comparison kLiteJsonParse("ParseLiteJson", "ParseRapidJSON", kMeasure);
const zt::bench::Comparison kLiteJsonWrite("WriteLiteJson", "WriteRapidJSON", kMeasure);

}  // namespace

BENCHMARK(ParseJSONCore)->DenseRange(0, kShapes - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(ParseLiteJson)->DenseRange(0, kShapes - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(ParseRapidJSON)->DenseRange(0, kShapes - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(ParseRapidJSONUnchecked)->DenseRange(0, kShapes - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteJSONCore)->DenseRange(0, kShapes - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteLiteJson)->DenseRange(0, kShapes - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteRapidJSON)->DenseRange(0, kShapes - 1)->Unit(benchmark::kMillisecond);
