// The one entry point of the benchmark program; every other bench/*.cpp only
// registers its benchmarks.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
