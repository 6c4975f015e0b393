// Reading a large project's "frames.meta" (an XML property list) through
// libxml2, beside the hand-written tokenizer it replaced, on the same bytes.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <map>

#include "BenchRatio.h"
#include "XMLPropertyListReferenceReader.h"
#include "document/FrameList.h"
#include "platform/foundation/PropertyList.h"

namespace {

// The frame list of `frames` picture frames in holds of 3, as a project saves it.
const plat::Data& framesMeta(int64_t frames)
{
    static std::map<int64_t, plat::Data> made;
    auto found = made.find(frames);
    if (found != made.end())
        return found->second;
    zt::FrameList list;
    for (int64_t i = 0; i < frames; i += 3) {
        zt::Frame frame(zt::FrameTypePicture);
        list.insertFrame(frame, list.getCaptureIndex());
        list.setHoldForFrame(frame, 3);
    }
    auto bytes = list.getFrameListRepresentationData();
    if (!bytes.ok())
        std::abort();
    // Both readers must read the very same list before either is timed.
    auto ours = plat::PropertyListSerialization::propertyListWithData(bytes.value());
    auto reference = zt::bench::readXMLPropertyListWithReferenceReader(bytes.value());
    if (!ours.ok() || !reference.ok() || ours.value() != reference.value())
        std::abort();
    return made.emplace(frames, bytes.value()).first->second;
}

void XMLListReadLibxml2(benchmark::State& state)
{
    const plat::Data& bytes = framesMeta(state.range(0));
    for (auto _ : state) {
        auto value = plat::PropertyListSerialization::propertyListWithData(bytes);
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void XMLListReadReferenceTokenizer(benchmark::State& state)
{
    const plat::Data& bytes = framesMeta(state.range(0));
    for (auto _ : state) {
        auto value = zt::bench::readXMLPropertyListWithReferenceReader(bytes);
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

const zt::bench::Comparison kRead("XMLListReadLibxml2", "XMLListReadReferenceTokenizer");

}  // namespace

BENCHMARK(XMLListReadLibxml2)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(XMLListReadReferenceTokenizer)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
