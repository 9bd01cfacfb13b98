// Fuzzes ZString::Format with generated formats: the string must hold exactly the text and
// length that snprintf produces for the same format and arguments, and keep its invariants.
//
// Formats use only well-defined conversions (d i u x X c s f e g, flags, widths and
// precisions where the C standard defines them; no %n, no '*'). The arguments follow a fixed
// pattern of types, kPattern: the generator gives the n-th conversion a letter of the n-th
// type, so every conversion meets an argument of its own type, and unused trailing arguments
// are ignored as the standard allows.
//
// g lies outside the estimator's table: it counts 8 and takes no argument there. On this ABI
// doubles are read from a register area of their own (the pattern keeps them in registers),
// so that does not move the estimator's int and pointer arguments.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "foundation/zstring.h"

namespace {

enum class Kind { Int, Text, Double };

constexpr Kind kPattern[] = {Kind::Int,  Kind::Text, Kind::Double, Kind::Int,
                             Kind::Int,  Kind::Text, Kind::Double, Kind::Text,
                             Kind::Int,  Kind::Double, Kind::Int,  Kind::Text};
constexpr size_t kSlots = sizeof kPattern / sizeof kPattern[0];

struct Slots {
    int ints[kSlots] = {};
    std::string texts[kSlots];
    double doubles[kSlots] = {};

    template <Kind K>
    auto Get(size_t i) const
    {
        if constexpr (K == Kind::Int)
            return ints[i];
        else if constexpr (K == Kind::Text)
            return texts[i].c_str();
        else
            return doubles[i];
    }
};

// Calls f with every slot, each as the type the pattern gives it.
template <typename F, size_t... I>
int Apply(F&& f, const Slots& slots, std::index_sequence<I...>)
{
    return f(slots.Get<kPattern[I]>(I)...);
}

template <typename F>
int Apply(F&& f, const Slots& slots)
{
    return Apply(std::forward<F>(f), slots, std::make_index_sequence<kSlots>());
}

bool In(char c, const char* set) { return std::strchr(set, c) != nullptr; }

char Pick(FuzzedDataProvider& in, const char* set)
{
    return set[in.ConsumeIntegralInRange<size_t>(0, std::strlen(set) - 1)];
}

// One conversion directive of the given kind, with flags the standard defines for its
// letter; its argument goes into slot i.
std::string Conversion(FuzzedDataProvider& in, Kind kind, size_t i, Slots& slots)
{
    const char letter = kind == Kind::Int    ? Pick(in, "diuxXc")
                        : kind == Kind::Text ? 's'
                                             : Pick(in, "feg");
    const bool numeric = letter != 'c' && letter != 's';
    std::string flags = "-";
    if (In(letter, "difeg"))
        flags += "+ ";
    if (In(letter, "xXfeg"))
        flags += "#";
    if (numeric)
        flags += "0";

    std::string directive = "%";
    for (int n = in.ConsumeIntegralInRange(0, 3); n > 0; --n)
        directive += flags[in.ConsumeIntegralInRange<size_t>(0, flags.size() - 1)];
    if (in.ConsumeBool())
        directive += std::to_string(in.ConsumeIntegralInRange(0, 40));
    if (letter != 'c' && in.ConsumeBool())
        directive += "." + std::to_string(in.ConsumeIntegralInRange(0, 40));
    directive += letter;

    if (kind == Kind::Int)
        slots.ints[i] = in.ConsumeIntegral<int>();
    else if (kind == Kind::Text)
        slots.texts[i] = in.ConsumeRandomLengthString(300);
    else
        slots.doubles[i] = in.ConsumeFloatingPoint<double>();
    return directive;
}

// Literal text: any bytes but NUL, a '%' doubled.
std::string Literal(FuzzedDataProvider& in)
{
    std::string text;
    for (char c : in.ConsumeRandomLengthString(20)) {
        if (c == '%')
            text += "%%";
        else if (c != 0)
            text += c;
    }
    return text;
}

class Probe : public ZString {
public:
    bool Sound() const
    {
        if (buffer == nullptr)
            return capacity == 0 && length == 0;
        return capacity > 0 && length >= 0 && length < capacity && buffer[length] == 0;
    }
};

[[noreturn]] void Fail(const char* what, const std::string& format)
{
    std::fprintf(stderr, "fuzz_format: %s for format \"%s\"\n", what, format.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    Slots slots;
    std::string format = Literal(in);
    const size_t conversions = in.ConsumeIntegralInRange<size_t>(0, kSlots);
    for (size_t i = 0; i < conversions; ++i)
        format += Conversion(in, kPattern[i], i, slots) + Literal(in);

    const char* f = format.c_str();
    const int expectedLength =
        Apply([f](auto... a) { return std::snprintf(nullptr, 0, f, a...); }, slots);
    if (expectedLength < 0)
        Fail("snprintf failed", format);
    std::string expected(static_cast<size_t>(expectedLength) + 1, '\0');
    Apply([&](auto... a) { return std::snprintf(&expected[0], expected.size(), f, a...); }, slots);
    expected.resize(static_cast<size_t>(expectedLength));

    Probe z;
    const int result = Apply([&](auto... a) { return z.Format(f, a...); }, slots);
    if (result != expectedLength || z.Length() != expectedLength)
        Fail("wrong length", format);
    if (std::memcmp(z.CStr(), expected.data(), expected.size()) != 0)
        Fail("wrong text", format);
    if (!z.Sound())
        Fail("broken invariants", format);
    return 0;
}
