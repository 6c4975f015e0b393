// The main of every benchmark: the app's model lives on the main queue, so
// the benchmark thread is bound as the main thread before anything runs.
#include <benchmark/benchmark.h>

#include "platform/foundation/RunLoop.h"

int main(int argc, char** argv)
{
    plat::RunLoop::main().bindToCurrentThread();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
