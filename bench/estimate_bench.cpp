// EstimateFormattedLength against measuring with vsnprintf(nullptr, 0, ...), on the
// launcher's own trace formats.
#include <benchmark/benchmark.h>

#include <cstdarg>
#include <cstdio>

#include "foundation/estimateformattedlength.h"

namespace {

int Estimate(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = EstimateFormattedLength(format, args);
    va_end(args);
    return n;
}

int Measure(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    return n;
}

using Length = int (*)(const char* format, ...);

template <Length length>
void StopService(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(length("[zStartup] Success stopping service %s", "Spooler"));
}

template <Length length>
void BatchFile(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(
            length("[zStartup] BAT file is '%s', DIR is '%s'", "C:\\Show\\zStartup.bat", "C:\\Show"));
}

template <Length length>
void Started(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(length("[%s] '%s' started with result: %d", "zStartup", "C:\\Show\\zStartup.bat", 42));
}

template <Length length>
void NotFound(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(length("[%s] '%s' Not found", "zStartup", "C:\\Show\\zStartup.bat"));
}

BENCHMARK_TEMPLATE(StopService, Estimate);
BENCHMARK_TEMPLATE(StopService, Measure);
BENCHMARK_TEMPLATE(BatchFile, Estimate);
BENCHMARK_TEMPLATE(BatchFile, Measure);
BENCHMARK_TEMPLATE(Started, Estimate);
BENCHMARK_TEMPLATE(Started, Measure);
BENCHMARK_TEMPLATE(NotFound, Estimate);
BENCHMARK_TEMPLATE(NotFound, Measure);

}  // namespace
