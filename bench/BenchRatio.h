#pragma once
#include <string>

namespace zt::bench {

enum class Measure { RealTime, CpuTime };

// Asks the benchmark main to print ours / reference after the run, for every
// argument the two benchmarks share (their medians when repeated). Declare
// one at namespace scope beside the benchmarks it compares:
//   const zt::bench::Comparison kPack("PackOurs", "PackInfoZip");
class Comparison {
public:
    Comparison(std::string ours, std::string reference, Measure measure = Measure::RealTime);
    // The ratio of a counter both benchmarks set (per iteration), such as the
    // processor seconds of work done in other processes.
    Comparison(std::string ours, std::string reference, std::string counter);
};

}  // namespace zt::bench
