// Fuzzes ZString::Format with generated formats (fuzz/formatcase.h): the string must hold
// exactly the text and length that snprintf produces for the same format and arguments, and
// keep its invariants.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

#include "fuzz/formatcase.h"

namespace {

struct FuzzedChoices {
    FuzzedDataProvider& in;

    int Range(int low, int high) { return in.ConsumeIntegralInRange(low, high); }
    uint64_t Bits() { return in.ConsumeIntegral<uint64_t>(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    FuzzedChoices choices{in};
    formatcase::FormatCase c;
    formatcase::Generate(choices, c);
    if (const char* fault = formatcase::Check(c)) {
        std::fprintf(stderr, "fuzz_format: %s for format \"%s\"\n", fault, c.format.c_str());
        std::abort();
    }
    return 0;
}
