// Fuzzes EstimateFormattedLength with arbitrary formats.
//
// The input up to its first NUL byte becomes the format, copied into an allocation of exactly
// its size plus the terminator, so AddressSanitizer catches any read past the terminator. The
// bytes after that NUL give the argument values. The arguments are exactly those the format
// names, read as the C formatters read it (flags, width, precision, length modifier, letter)
// with the fuzzer's own table of the argument each conversion takes, never the estimator's;
// they travel through a real variadic call that libffi builds from that list. The format is
// cut just before a directive the formatters disagree on (see Unclear) and before the
// conversion that would take more than kMaxArgs arguments.
//
// Beyond the sanitizers, two checks:
// - nothing past the named arguments is taken: the estimate is made twice with different
//   guard arguments after the named ones and must come out the same;
// - the caller's list is not advanced: after the estimate the variadic helper reads the named
//   arguments from its own list and must find them all, in order.
#include <ffi.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/estimateformattedlength.h"

namespace {

constexpr size_t kMaxArgs = 16;

enum class Kind { Int, Int64, Pointer, Double, LongDouble };

struct Arg {
    Kind kind;
    int i = 0;
    const char* p = nullptr;
    double d = 0;
    long long ll = 0;
    long double ld = 0;
};

// The bytes of an x87 long double that hold its value (the rest is padding).
constexpr size_t kLongDoubleBytes = 10;

bool In(const char* set, char c) { return c != 0 && std::strchr(set, c) != nullptr; }

// The length modifier at p: C99's and Microsoft's I, I32 and I64.
std::string Modifier(const char* p)
{
    for (const char* two : {"hh", "ll", "I32", "I64"}) {
        if (std::strncmp(p, two, std::strlen(two)) == 0) return two;
    }
    return In("hljztLI", *p) ? std::string(1, *p) : std::string();
}

// The argument of an integer conversion with modifier, as the Windows C runtime reads it,
// in this host's sizes.
Kind IntegerKind(const std::string& modifier)
{
    struct Size {
        const char* modifier;
        size_t bytes;
    };
    static const Size kSizes[] = {{"l", sizeof(long)},
                                  {"ll", 8},
                                  {"I64", 8},
                                  {"j", sizeof(intmax_t)},
                                  {"z", sizeof(size_t)},
                                  {"t", sizeof(ptrdiff_t)},
                                  {"I", sizeof(ptrdiff_t)}};
    for (const Size& size : kSizes) {
        if (modifier == size.modifier) return size.bytes == 8 ? Kind::Int64 : Kind::Int;
    }
    return Kind::Int;
}

// The argument the formatters take for letter after modifier, if any, appended to kinds.
void TakeArgument(const std::string& modifier, char letter, std::vector<Kind>& kinds)
{
    if (In("cC", letter))
        kinds.push_back(Kind::Int);
    else if (In("diuoxX", letter))
        kinds.push_back(IntegerKind(modifier));
    else if (In("psSn", letter))
        kinds.push_back(Kind::Pointer);
    else if (In("fFeEgGaA", letter))
        kinds.push_back(modifier == "L" ? Kind::LongDouble : Kind::Double);
}

// The flags the formatters accept: C's five and the digit grouping of POSIX, glibc and
// MinGW-w64. glibc's I flag is left out: Microsoft's runtime reads I as a length modifier.
const char kFlags[] = "-+ #0'";

// Where the conversion letter belongs, a character that could still continue a directive (a
// flag, digit, '.', '*' or length letter), or a '%' after anything: formatters disagree on
// where such a directive ends and what it takes.
bool Unclear(const char* percent, const char* letter)
{
    return In(kFlags, *letter) || In("0123456789.*hljztLI", *letter) || (*letter == '%' && letter != percent + 1);
}

// A width or precision at p, '*' (taking an int) or digits; returns the position after it.
const char* Field(const char* p, std::vector<Kind>& kinds)
{
    if (*p != '*') return p + std::strspn(p, "0123456789");
    kinds.push_back(Kind::Int);
    return p + 1;
}

// The kinds of the arguments format names, in order, and how many of its bytes to keep.
struct Plan {
    std::vector<Kind> kinds;
    std::vector<int> bounds;  // per argument: the precision a text is read no further than, or -1
    size_t keep;
};

Plan Classify(const std::string& format)
{
    Plan plan{{}, {}, format.size()};
    const char* text = format.c_str();
    for (const char* p = std::strchr(text, '%'); p != nullptr; p = std::strchr(p, '%')) {
        const char* percent = p;
        const size_t before = plan.kinds.size();
        p = Field(p + 1 + std::strspn(p + 1, kFlags), plan.kinds);
        int precision = -1;  // plainly given in at most four digits, else none
        if (*p == '.') {
            const char* digits = p + 1;
            p = Field(digits, plan.kinds);
            if (*digits != '*' && p - digits <= 4) precision = p == digits ? 0 : std::stoi(std::string(digits, p));
        }
        const std::string modifier = Modifier(p);
        p += modifier.size();
        const size_t conversion = plan.kinds.size();
        TakeArgument(modifier, *p, plan.kinds);
        plan.bounds.resize(plan.kinds.size(), -1);
        if (plan.kinds.size() > conversion && plan.kinds.back() == Kind::Pointer) plan.bounds.back() = precision;
        if (Unclear(percent, p) || plan.kinds.size() > kMaxArgs) {
            plan.kinds.resize(before);
            plan.bounds.resize(before);
            plan.keep = static_cast<size_t>(percent - text);
            break;
        }
        if (*p != 0) ++p;
    }
    return plan;
}

// Hands out the bytes after the format as argument values; zeros once they run out.
class Values {
public:
    Values(const uint8_t* data, size_t size) : data(data), size(size) {}

    template <typename T>
    T Take()
    {
        uint8_t bytes[sizeof(T)] = {};
        for (uint8_t& b : bytes) b = next < size ? data[next++] : 0;
        T value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t next = 0;
};

// Strings for pointer arguments, each in an allocation of exactly its size: the terminator
// included, or left out for a text as long as the precision it is read with.
class Texts {
public:
    const char* Make(size_t length, char fill, bool terminated = true)
    {
        texts.emplace_back(new char[length + (terminated ? 1 : 0)]);
        std::memset(texts.back().get(), fill, length);
        if (terminated) texts.back()[length] = 0;
        return texts.back().get();
    }

private:
    std::vector<std::unique_ptr<char[]>> texts;
};

std::vector<Arg> MakeArgs(const Plan& plan, Values& values, Texts& texts)
{
    std::vector<Arg> args;
    for (size_t n = 0; n < plan.kinds.size(); ++n) {
        const Kind kind = plan.kinds[n];
        const int bound = plan.bounds[n];
        Arg arg{kind};
        if (kind == Kind::Int) {
            arg.i = values.Take<int>();
        } else if (kind == Kind::Int64) {
            arg.ll = values.Take<long long>();
        } else if (kind == Kind::Double) {
            arg.d = values.Take<double>();
        } else if (kind == Kind::LongDouble) {
            arg.ld = values.Take<double>();
        } else {
            const uint8_t choice = values.Take<uint8_t>();
            const size_t length = choice - 1u;
            const bool terminated = bound < 0 || length < static_cast<size_t>(bound);
            arg.p = choice == 0 ? nullptr : texts.Make(length, 'a', terminated);
        }
        args.push_back(arg);
    }
    return args;
}

// Arguments past the named ones; two sets that would give different estimates if read.
std::vector<Arg> Guards(int number, const char* text)
{
    std::vector<Arg> guards;
    for (int n = 0; n < 2; ++n) {
        guards.push_back(Arg{Kind::Int, number});
        guards.push_back(Arg{Kind::Pointer, 0, text});
        guards.push_back(Arg{Kind::Double, 0, nullptr, static_cast<double>(number)});
        Arg longDouble{Kind::LongDouble};
        longDouble.ld = number;
        guards.push_back(longDouble);
    }
    return guards;
}

const std::vector<Arg>* namedArgs = nullptr;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "fuzz_estimator: %s\n", what);
    std::abort();
}

// The estimate, then the named arguments read back from this function's own list.
int EstimateThenReadBack(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int estimate = EstimateFormattedLength(format, args);
    for (const Arg& expected : *namedArgs) {
        bool same = false;
        if (expected.kind == Kind::Int) {
            same = va_arg(args, int) == expected.i;
        } else if (expected.kind == Kind::Int64) {
            same = va_arg(args, long long) == expected.ll;
        } else if (expected.kind == Kind::Pointer) {
            same = va_arg(args, const char*) == expected.p;
        } else if (expected.kind == Kind::LongDouble) {
            const long double ld = va_arg(args, long double);
            same = std::memcmp(&ld, &expected.ld, kLongDoubleBytes) == 0;
        } else {
            const double d = va_arg(args, double);
            same = std::memcmp(&d, &expected.d, sizeof d) == 0;
        }
        if (!same) Fail("the caller's argument list was advanced by the estimate");
    }
    va_end(args);
    return estimate;
}

// A variadic call of EstimateThenReadBack with format and args, built at run time.
int CallEstimate(const char* format, std::vector<Arg>& args)
{
    std::vector<ffi_type*> types{&ffi_type_pointer};
    std::vector<void*> values{&format};
    for (Arg& arg : args) {
        if (arg.kind == Kind::Int) {
            types.push_back(&ffi_type_sint);
            values.push_back(&arg.i);
        } else if (arg.kind == Kind::Int64) {
            types.push_back(&ffi_type_sint64);
            values.push_back(&arg.ll);
        } else if (arg.kind == Kind::LongDouble) {
            types.push_back(&ffi_type_longdouble);
            values.push_back(&arg.ld);
        } else if (arg.kind == Kind::Pointer) {
            types.push_back(&ffi_type_pointer);
            values.push_back(&arg.p);
        } else {
            types.push_back(&ffi_type_double);
            values.push_back(&arg.d);
        }
    }
    ffi_cif cif;
    if (ffi_prep_cif_var(&cif, FFI_DEFAULT_ABI, 1, static_cast<unsigned>(types.size()), &ffi_type_sint, types.data()) !=
        FFI_OK)
        Fail("libffi refused the call");
    ffi_arg result = 0;
    ffi_call(&cif, FFI_FN(EstimateThenReadBack), &result, values.data());
    return static_cast<int>(result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    const size_t formatLength = strnlen(bytes, size);
    const Plan plan = Classify(std::string(bytes, formatLength));

    std::unique_ptr<char[]> format(new char[plan.keep + 1]);
    std::memcpy(format.get(), bytes, plan.keep);
    format[plan.keep] = 0;

    const size_t rest = formatLength < size ? formatLength + 1 : size;
    Values values(data + rest, size - rest);
    Texts texts;
    const std::vector<Arg> named = MakeArgs(plan, values, texts);
    namedArgs = &named;

    int estimates[2];
    const int guardNumbers[2] = {1000, 2000};
    for (int run = 0; run < 2; ++run) {
        std::vector<Arg> args = named;
        for (const Arg& guard : Guards(guardNumbers[run], texts.Make(500u * (run + 1), 'g'))) args.push_back(guard);
        estimates[run] = CallEstimate(format.get(), args);
    }
    if (estimates[0] != estimates[1]) Fail("the estimate took an argument the format does not name");
    return 0;
}
