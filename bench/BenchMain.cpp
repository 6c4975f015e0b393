// The main of every benchmark: the app's model lives on the main queue, so
// the benchmark thread is bound as the main thread before anything runs; after
// the run it prints the ratios the benchmarks asked for.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string_view>
#include <vector>

#include "BenchRatio.h"
#include "platform/foundation/RunLoop.h"

namespace zt::bench {

namespace {

struct Requested {
    std::string ours;
    std::string reference;
    Measure measure;
    std::string counter;  // compared instead of a time when not empty
};

std::vector<Requested>& requestedComparisons()
{
    static std::vector<Requested> comparisons;
    return comparisons;
}

// "Name/arg1/arg2" without the repetition and time-unit decorations.
std::string keyOf(const benchmark::BenchmarkReporter::Run& run)
{
    std::string key = run.run_name.function_name;
    if (!run.run_name.args.empty())
        key += "/" + run.run_name.args;
    return key;
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            std::string key = keyOf(run);
            if (median || (run.run_type == Run::RT_Iteration && !_fromMedian.count(key))) {
                _real[key] = run.GetAdjustedRealTime();
                _cpu[key] = run.GetAdjustedCPUTime();
                for (const auto& [name, counter] : run.counters)
                    _counters[name][key] = counter.value;
                if (median)
                    _fromMedian[key] = true;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const
    {
        static const std::map<std::string, double> kNoValues;
        for (const Requested& comparison : requestedComparisons()) {
            const bool byCounter = !comparison.counter.empty();
            auto counter = _counters.find(comparison.counter);
            const auto& times = byCounter                ? (counter == _counters.end() ? kNoValues : counter->second)
                : comparison.measure == Measure::CpuTime ? _cpu
                                                         : _real;
            const char* measureName = byCounter          ? comparison.counter.c_str()
                : comparison.measure == Measure::CpuTime ? "CPU time"
                                                         : "real time";
            for (const auto& [key, ours] : times) {
                if (key != comparison.ours && key.rfind(comparison.ours + "/", 0) != 0)
                    continue;
                std::string referenceKey = comparison.reference + key.substr(comparison.ours.size());
                auto reference = times.find(referenceKey);
                if (reference == times.end() || reference->second <= 0)
                    continue;
                std::printf(
                    "%s / %s = %.2fx (%s)\n", key.c_str(), referenceKey.c_str(), ours / reference->second, measureName);
            }
        }
    }

private:
    std::map<std::string, double> _real;
    std::map<std::string, double> _cpu;
    std::map<std::string, bool> _fromMedian;
    std::map<std::string, std::map<std::string, double>> _counters;  // by counter name, then key
};

}  // namespace

Comparison::Comparison(std::string ours, std::string reference, Measure measure)
{
    requestedComparisons().push_back({std::move(ours), std::move(reference), measure, {}});
}

Comparison::Comparison(std::string ours, std::string reference, std::string counter)
{
    requestedComparisons().push_back({std::move(ours), std::move(reference), Measure::RealTime, std::move(counter)});
}

}  // namespace zt::bench

int main(int argc, char** argv)
{
    plat::RunLoop::main().bindToCurrentThread();
    // Repetitions of the benchmarks run in a shuffled order unless asked
    // otherwise, so that ours and the reference meet the same changes in
    // the machine's load rather than one of them all the busy minutes.
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    const bool asked = std::any_of(argv + 1, argv + argc, [](const char* argument) {
        return std::string_view(argument).starts_with("--benchmark_enable_random_interleaving");
    });
    std::vector<char*> arguments;
    arguments.reserve(static_cast<size_t>(argc) + 2);
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(argv[i]);
        if (i == 0 && !asked)
            arguments.push_back(interleave);
    }
    arguments.push_back(nullptr);  // argv ends with a null pointer
    argc = static_cast<int>(arguments.size()) - 1;
    argv = arguments.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    zt::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
