// A generated printf-style format with arguments of the types it names, and the check that
// ZString::Format gives exactly the text and length snprintf gives for them. fuzz_format draws
// the choices from the fuzzer's input; format_differential_test draws them from fixed seeds on
// every build, Windows ones included: on i686 integers, pointers, doubles and long doubles
// share one argument area, so an argument the estimator reads at the wrong size puts every
// later string conversion on the wrong bytes.
//
// Formats use only conversions whose arguments the C standard defines: d i u x X o c with the
// length modifiers hh h l ll j z t (and I32, I64 and I on Windows), s, f e E g G plain or with
// l or L, flags, widths and precisions where the standard defines them (the digit grouping '
// where POSIX does), and '*' for a width or precision. The arguments follow a fixed pattern
// of types, kPattern: the n-th conversion gets a letter and modifier of the n-th type (a '*'
// takes an int slot first), and unused trailing arguments are ignored as the standard allows.
// A text read with a precision no longer than itself has no terminator, so reading past the
// precision faults on the host.
#ifndef ZSTARTUP_FUZZ_FORMATCASE_H
#define ZSTARTUP_FUZZ_FORMATCASE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/zstring.h"

namespace formatcase {

enum class Kind { Int, Long, LongLong, Size, Text, Double, LongDouble };

constexpr Kind kPattern[] = {Kind::Int,    Kind::Text,       Kind::LongLong, Kind::Double, Kind::Size,
                             Kind::Text,   Kind::LongDouble, Kind::Int,      Kind::Long,   Kind::Text,
                             Kind::Double, Kind::LongLong,   Kind::Int,      Kind::Text};
constexpr size_t kSlots = sizeof kPattern / sizeof kPattern[0];

struct Slots {
    int ints[kSlots] = {};
    long longs[kSlots] = {};
    long long longLongs[kSlots] = {};
    size_t sizes[kSlots] = {};
    double doubles[kSlots] = {};
    long double longDoubles[kSlots] = {};
    std::unique_ptr<char[]> texts[kSlots];

    template <Kind K>
    auto Get(size_t i) const
    {
        if constexpr (K == Kind::Int)
            return ints[i];
        else if constexpr (K == Kind::Long)
            return longs[i];
        else if constexpr (K == Kind::LongLong)
            return longLongs[i];
        else if constexpr (K == Kind::Size)
            return sizes[i];
        else if constexpr (K == Kind::Text)
            return static_cast<const char*>(texts[i].get());
        else if constexpr (K == Kind::Double)
            return doubles[i];
        else
            return longDoubles[i];
    }
};

struct FormatCase {
    std::string format;
    Slots slots;
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

inline bool In(char c, const char* set) { return std::strchr(set, c) != nullptr; }

// The length modifiers that name each kind's type, as the Windows C runtime reads them.
inline std::vector<std::string> Modifiers(Kind kind, char letter)
{
    switch (kind) {
    case Kind::Int:
        if (letter == 'c') return {""};
#ifdef _WIN32
        return {"", "h", "hh", "I32"};
#else
        return {"", "h", "hh"};
#endif
    case Kind::Long:
        return {"l"};
    case Kind::LongLong:
#ifdef _WIN32
        return {"ll", "j", "I64"};
#else
        return {"ll", "j"};
#endif
    case Kind::Size:
#ifdef _WIN32
        return {"z", "t", "I"};
#else
        return {"z", "t"};
#endif
    case Kind::Double:
        return {"", "l"};
    case Kind::LongDouble:
        return {"L"};
    default:
        return {""};
    }
}

inline const char* Letters(Kind kind)
{
    switch (kind) {
    case Kind::Int:
        return "diuxXoc";
    case Kind::Text:
        return "s";
    case Kind::Double:
        return "feEgG";
    case Kind::LongDouble:
        return "feg";
    default:
        return "diuxXo";
    }
}

// Choices provides int Range(int low, int high) and uint64_t Bits().
template <typename Choices>
class Generator {
public:
    Generator(Choices& choices, FormatCase& out) : choices(choices), out(out) {}

    void Run()
    {
        out.format = Literal();
        const size_t count = static_cast<size_t>(choices.Range(0, static_cast<int>(kSlots)));
        for (size_t i = 0; i < count; ++i) {
            const bool star = kPattern[i] == Kind::Int && i + 1 < count && choices.Range(0, 3) == 0;
            if (star) out.slots.ints[i++] = choices.Range(-30, 60);
            out.format += Directive(i, star ? &out.slots.ints[i - 1] : nullptr) + Literal();
        }
    }

private:
    char Pick(const char* set) { return set[choices.Range(0, static_cast<int>(std::strlen(set)) - 1)]; }

    // Literal text: any bytes but NUL, a '%' doubled.
    std::string Literal()
    {
        std::string text;
        for (int n = choices.Range(0, 20); n > 0; --n) {
            const char c = static_cast<char>(choices.Range(1, 255));
            text += c == '%' ? "%%" : std::string(1, c);
        }
        return text;
    }

    // Flags the standard (or, for ', POSIX) defines for the letter.
    std::string Flags(char letter)
    {
        std::string flags = "-";
        if (In(letter, "dieEfgG")) flags += "+ ";
        if (In(letter, "diufgG")) flags += "'";
        if (In(letter, "xXoeEfgG")) flags += "#";
        if (letter != 'c' && letter != 's') flags += "0";
        std::string chosen;
        for (int n = choices.Range(0, 3); n > 0; --n) chosen += Pick(flags.c_str());
        return chosen;
    }

    // One directive for slot i, its '*' (if any) reading the int star points to.
    std::string Directive(size_t i, const int* star)
    {
        const Kind kind = kPattern[i];
        const char letter = Pick(Letters(kind));
        const std::vector<std::string> modifiers = Modifiers(kind, letter);
        const std::string& modifier =
            modifiers[static_cast<size_t>(choices.Range(0, static_cast<int>(modifiers.size()) - 1))];
        const bool starPrecision = star != nullptr && letter != 'c' && choices.Range(0, 1) == 1;
        int precision = -1;
        std::string directive = "%" + Flags(letter);
        if (star != nullptr && !starPrecision)
            directive += "*";
        else if (choices.Range(0, 1) == 1)
            directive += std::to_string(choices.Range(0, 40));
        if (starPrecision) {
            directive += ".*";
            precision = *star;
        } else if (letter != 'c' && choices.Range(0, 1) == 1) {
            precision = choices.Range(0, 40);
            directive += "." + std::to_string(precision);
        }
        Value(kind, i, precision);
        return directive + modifier + letter;
    }

    void Value(Kind kind, size_t i, int precision)
    {
        const uint64_t bits = choices.Bits();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        switch (kind) {
        case Kind::Int:
            out.slots.ints[i] = static_cast<int>(bits);
            break;
        case Kind::Long:
            out.slots.longs[i] = static_cast<long>(bits);
            break;
        case Kind::LongLong:
            out.slots.longLongs[i] = static_cast<long long>(bits);
            break;
        case Kind::Size:
            out.slots.sizes[i] = static_cast<size_t>(bits);
            break;
        case Kind::Double:
            out.slots.doubles[i] = d;
            break;
        case Kind::LongDouble:
            out.slots.longDoubles[i] = d;
            break;
        case Kind::Text:
            out.slots.texts[i] = Text(precision);
            break;
        }
    }

    // AddressSanitizer's printf check reads a zero precision as none: such texts keep their
    // terminator.
    std::unique_ptr<char[]> Text(int precision)
    {
        const int length = choices.Range(0, 300);
        const bool terminated = precision <= 0 || precision > length;
        std::unique_ptr<char[]> text(new char[static_cast<size_t>(length) + (terminated ? 1 : 0)]);
        for (int n = 0; n < length; ++n) text[static_cast<size_t>(n)] = static_cast<char>(choices.Range(1, 255));
        if (terminated) text[static_cast<size_t>(length)] = 0;
        return text;
    }

    Choices& choices;
    FormatCase& out;
};

template <typename Choices>
void Generate(Choices& choices, FormatCase& out)
{
    Generator<Choices>(choices, out).Run();
}

class Probe : public ZString {
public:
    bool Sound() const
    {
        if (buffer == nullptr) return capacity == 0 && length == 0;
        return capacity > 0 && length >= 0 && length < capacity && buffer[length] == 0;
    }
};

// Null when ZString::Format gives the text and length snprintf gives and keeps its
// invariants; otherwise what went wrong.
inline const char* Check(const FormatCase& c)
{
    const char* f = c.format.c_str();
    const int expectedLength = Apply([f](auto... a) { return std::snprintf(nullptr, 0, f, a...); }, c.slots);
    if (expectedLength < 0) return "snprintf failed";
    std::string expected(static_cast<size_t>(expectedLength) + 1, '\0');
    Apply([&](auto... a) { return std::snprintf(&expected[0], expected.size(), f, a...); }, c.slots);
    expected.resize(static_cast<size_t>(expectedLength));

    Probe z;
    const int result = Apply([&](auto... a) { return z.Format(f, a...); }, c.slots);
    if (result != expectedLength || z.Length() != expectedLength) return "wrong length";
    if (std::memcmp(z.CStr(), expected.data(), expected.size()) != 0) return "wrong text";
    if (!z.Sound()) return "broken invariants";
    return nullptr;
}

}  // namespace formatcase

#endif
