// ZString growth and Format against std::string doing the same work.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <string>

#include "foundation/zstring.h"

namespace {

// Growth allocates buffers of up to a few megabytes. glibc maps such sizes afresh and raises
// its threshold as they are freed, so whichever benchmark runs first pays for new pages and
// the later ones reuse the heap. Fixed thresholds give every benchmark the same steady heap.
const bool kSteadyHeap = mallopt(M_MMAP_THRESHOLD, 64 << 20) && mallopt(M_TRIM_THRESHOLD, 256 << 20);

constexpr int kChars = 1000000;
constexpr int kPieces = 65536;
const char kPiece[] = "0123456789abcdef";  // 16 bytes

void ZStringAppendChar(benchmark::State& state)
{
    for (auto _ : state) {
        ZString s;
        for (int i = 0; i < kChars; ++i) s.AppendChar('x');
        benchmark::DoNotOptimize(s.CStr());
    }
}
BENCHMARK(ZStringAppendChar)->Unit(benchmark::kMillisecond);

void StdStringPushBack(benchmark::State& state)
{
    for (auto _ : state) {
        std::string s;
        for (int i = 0; i < kChars; ++i) s.push_back('x');
        benchmark::DoNotOptimize(s.data());
    }
}
BENCHMARK(StdStringPushBack)->Unit(benchmark::kMillisecond);

// The piece's address is hidden from the optimiser in both, as a caller's text would be, so
// neither side measures its length at compile time.
const char* Piece()
{
    const char* piece = kPiece;
    benchmark::DoNotOptimize(piece);
    return piece;
}

void ZStringAppend16(benchmark::State& state)
{
    const char* piece = Piece();
    for (auto _ : state) {
        ZString s;
        for (int i = 0; i < kPieces; ++i) s.Append(piece);
        benchmark::DoNotOptimize(s.CStr());
    }
}
BENCHMARK(ZStringAppend16)->Unit(benchmark::kMillisecond);

void StdStringAppend16(benchmark::State& state)
{
    const char* piece = Piece();
    for (auto _ : state) {
        std::string s;
        for (int i = 0; i < kPieces; ++i) s.append(piece);
        benchmark::DoNotOptimize(s.data());
    }
}
BENCHMARK(StdStringAppend16)->Unit(benchmark::kMillisecond);

const char kTraceFormat[] = "[%s] '%s' started with result: %d";

void ZStringFormat(benchmark::State& state)
{
    for (auto _ : state) {
        ZString s;
        benchmark::DoNotOptimize(s.Format(kTraceFormat, "zStartup", "C:\\Show\\zStartup.bat", 42));
        benchmark::DoNotOptimize(s.CStr());
    }
}
BENCHMARK(ZStringFormat);

// snprintf into a stack buffer, then the exact-fit std::string: one pass, one allocation.
void SnprintfStdString(benchmark::State& state)
{
    for (auto _ : state) {
        char text[256];
        int n = std::snprintf(text, sizeof text, kTraceFormat, "zStartup", "C:\\Show\\zStartup.bat", 42);
        std::string s(text, static_cast<size_t>(n));
        benchmark::DoNotOptimize(s.data());
    }
}
BENCHMARK(SnprintfStdString);

}  // namespace
