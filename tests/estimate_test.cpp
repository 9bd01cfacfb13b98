// The formatted-length estimate: the worked values from every class that offers it, the
// length modifiers, the argument order, the precision bound on strings, and the upper-bound
// rule against the real formatter.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "foundation/estimateformattedlength.h"
#include "foundation/zstring.h"
#ifdef _WIN32
#include "foundation/zfile.h"
#endif

namespace {

using Estimator = int (*)(const char* format, ...);

int ViaZString(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    ZString s;
    int n = s.EstimateFormattedLength(format, args);
    va_end(args);
    return n;
}

#ifdef _WIN32
int ViaZFile(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    ZFile f(nullptr);
    int n = f.EstimateFormattedLength(format, args);
    va_end(args);
    return n;
}
#endif

struct Row {
    const char* name;
    int (*call)(Estimator estimate);
    int expected;
};

// Each row calls the estimator with its own argument types, as a caller of a variadic would.
// clang-format off
const Row kWorkedRows[] = {
    {"empty", [](Estimator e) { return e(""); }, 1},
    {"plain_text", [](Estimator e) { return e("abc"); }, 4},
    {"trailing_percent", [](Estimator e) { return e("abc%"); }, 4},
    {"percent_percent", [](Estimator e) { return e("%%"); }, 2},
    {"decimal", [](Estimator e) { return e("%d", 5); }, 8},
    {"decimal_width", [](Estimator e) { return e("%10d", 5); }, 11},
    {"plus_flag", [](Estimator e) { return e("%+d", 5); }, 9},
    {"long_decimal", [](Estimator e) { return e("%ld", 5L); }, 9},
    {"short_decimal", [](Estimator e) { return e("%hd", 5); }, 7},
    {"char", [](Estimator e) { return e("%c", 'a'); }, 2},
    {"hex", [](Estimator e) { return e("%x", 255); }, 9},
    {"alternate_hex", [](Estimator e) { return e("%#x", 255); }, 11},
    {"pointer", [](Estimator e) { return e("%p", static_cast<void*>(nullptr)); }, 9},
    {"string", [](Estimator e) { return e("%s", "hello"); }, 7},
    {"null_string", [](Estimator e) { return e("%s", static_cast<const char*>(nullptr)); }, 2},
    {"left_string_width", [](Estimator e) { return e("%-20s.", "hi"); }, 22},
    {"string_precision", [](Estimator e) { return e("%.3s", "abcdef"); }, 5},
    {"double", [](Estimator e) { return e("%f", 1.5); }, 13},
    {"double_width_precision", [](Estimator e) { return e("%10.4f", 1.5); }, 15},
    {"long_double_letter", [](Estimator e) { return e("%lf", 1.5); }, 14},
    {"star_width", [](Estimator e) { return e("%*d", 20, 5); }, 21},
    {"star_precision", [](Estimator e) { return e("%.*f", 30, 1.5); }, 31},
    {"unknown_letter", [](Estimator e) { return e("%q"); }, 9},
    {"eleven_digits", [](Estimator e) { return e("%11111111111d", 5); }, 8},
    {"zero_inside_runs", [](Estimator e) { return e("%1234567891051d", 5); }, 52},
    {"short_hex", [](Estimator e) { return e("%hx", 5); }, 10},
    {"null_string_width", [](Estimator e) { return e("%20s", static_cast<const char*>(nullptr)); }, 2},
    {"mixed_line", [](Estimator e) { return e("Line %d of %s", 3, "file.txt"); }, 26},
    {"star_string", [](Estimator e) { return e("%*s", 10, "abc"); }, 11},
    {"percent_after_width", [](Estimator e) { return e("%5%"); }, 2},
};
// clang-format on

// Every length modifier and the grouping flag, each followed by a string conversion: an
// argument taken at the wrong size, or not taken, puts that conversion on the wrong bytes.
// 64-bit values have a high half that is no pointer.
const long long kHighHalfOne = 0x100000001LL;
// clang-format off
const Row kModifierRows[] = {
    {"char_decimal", [](Estimator e) { return e("%hhd|%s", 300, "abcdef"); }, 15},
    {"long_long_decimal", [](Estimator e) { return e("%lld|%s", kHighHalfOne, "abcdef"); }, 17},
    {"intmax", [](Estimator e) { return e("%jd|%s", intmax_t{kHighHalfOne}, "abcdef"); }, 17},
    {"size", [](Estimator e) { return e("%zu items in %s", size_t{3}, "box"); }, 23},
    {"ptrdiff", [](Estimator e) { return e("%td|%s", ptrdiff_t{-5}, "abcdef"); }, 17},
    {"pointer_sized", [](Estimator e) { return e("%Iu|%s", size_t{7}, "abcdef"); }, 17},
    {"int32", [](Estimator e) { return e("%I32d|%s", 7, "abcdef"); }, 17},
    {"int64", [](Estimator e) { return e("%I64d|%s", kHighHalfOne, "abcdef"); }, 17},
    {"long_double", [](Estimator e) { return e("%Lf|%s", 1.5L, "abcdef"); }, 22},
    {"short_double", [](Estimator e) { return e("%hf|%s", 1.5, "abcdef"); }, 18},
    {"star_precision_string", [](Estimator e) { return e("%.*s|%s", 3, "abcdef", "xy"); }, 9},
    {"modifier_then_unknown", [](Estimator e) { return e("%llq|%s", "abcdef"); }, 18},
    {"grouping_flag", [](Estimator e) { return e("%'d|%s", 1234567, "abcdef"); }, 16},
};
// clang-format on

class WorkedEstimates : public testing::TestWithParam<Row> {};

TEST_P(WorkedEstimates, MatchFromEveryClass)
{
    const Row& row = GetParam();
    EXPECT_EQ(row.call(ViaZString), row.expected) << "ZString";
#ifdef _WIN32
    EXPECT_EQ(row.call(ViaZFile), row.expected) << "ZFile";
#endif
}

INSTANTIATE_TEST_SUITE_P(Table, WorkedEstimates, testing::ValuesIn(kWorkedRows),
                         [](const testing::TestParamInfo<Row>& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Modifiers, WorkedEstimates, testing::ValuesIn(kModifierRows),
                         [](const testing::TestParamInfo<Row>& info) { return info.param.name; });

TEST(Estimate, NullFormatIsZero)
{
    EXPECT_EQ(ViaZString(nullptr), 0);
#ifdef _WIN32
    EXPECT_EQ(ViaZFile(nullptr), 0);
#endif
}

int EstimateThenFormat(std::string* text, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int estimate = EstimateFormattedLength(format, args);
    char out[256];
    vsnprintf(out, sizeof out, format, args);  // must still start at the first argument
    va_end(args);
    *text = out;
    return estimate;
}

TEST(Estimate, LeavesTheCallersArgumentsWhereTheyWere)
{
    std::string text;
    EXPECT_EQ(EstimateThenFormat(&text, "%*s|%d", 10, "abc", 42), 19);
    EXPECT_EQ(text, "       abc|42");
}

// Text without terminator in an allocation of its exact size: AddressSanitizer faults a read
// past the precision.
TEST(Estimate, PrecisionBoundsWhatIsReadOfAString)
{
    const std::unique_ptr<char[]> abc(new char[3]{'a', 'b', 'c'});
    std::string text;
    EXPECT_EQ(EstimateThenFormat(&text, "%.3s|%.*s|%5.2s", abc.get(), 2, abc.get(), abc.get()), 15);
    EXPECT_EQ(text, "abc|ab|   ab");
}

// Conversions outside the counted set count 8, but still take the argument the formatter
// takes, so the string conversion after them measures its own text.
TEST(Estimate, UncountedConversionsTakeTheirArguments)
{
    std::string text;
    EXPECT_EQ(EstimateThenFormat(&text, "%o|%s", 8, "abcdef"), 17);
    EXPECT_EQ(text, "10|abcdef");
    EXPECT_EQ(EstimateThenFormat(&text, "%g|%s", 2.5, "abcdef"), 17);
    EXPECT_EQ(text, "2.5|abcdef");
    EXPECT_EQ(EstimateThenFormat(&text, "%hx|%*s", 255, 12, "abc"), 23);
    EXPECT_EQ(text, "ff|         abc");
}

// Random formats from the conversions whose output the estimate bounds: decimals that fit
// their count, hex, characters, non-null strings, and floating values of modest magnitude.
class FormatGenerator {
public:
    explicit FormatGenerator(unsigned int seed) : random(seed) {}

    int Check()
    {
        format.clear();
        ints.clear();
        doubles.clear();
        texts.clear();
        kinds.clear();
        int conversions = Pick(0, 4);
        for (int i = 0; i < conversions; ++i) {
            Literal();
            Conversion();
        }
        Literal();
        return Compare();
    }

    std::string format;

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    void Literal()
    {
        for (int n = Pick(0, 5); n > 0; --n) format += static_cast<char>(Pick('a', 'z'));
    }

    // The '%' of a conversion, then its flags and width.
    void Flags(bool alternate)
    {
        format += '%';
        static const char kFlags[] = "-+ 0'";
        for (int n = Pick(0, 2); n > 0; --n) format += kFlags[Pick(0, 4)];
        if (alternate && Pick(0, 1)) format += '#';
        if (Pick(0, 2) == 0) format += std::to_string(Pick(1, 30));
    }

    void Conversion()
    {
        switch (Pick(0, 6)) {
        case 0:
            Flags(false);
            format += "d";
            Int(Pick(-999999, 9999999));
            break;
        case 1:
            Flags(false);
            format += "u";
            Int(Pick(0, 9999999));
            break;
        case 2:
            Flags(true);
            format += Pick(0, 1) ? "x" : "X";
            Int(Pick(-2000000000, 2000000000));
            break;
        case 3:
            Flags(false);
            format += "c";
            Int(Pick('a', 'z'));
            break;
        case 4:
            Flags(false);
            if (Pick(0, 1)) format += "." + std::to_string(Pick(0, 8));
            format += "s";
            texts.push_back(std::string(Pick(0, 20), 'w'));
            kinds.push_back('s');
            break;
        case 5:
            Flags(false);
            format += "." + std::to_string(Pick(0, 6)) + "f";
            Double(Pick(-999000, 999000) / 1000.0);
            break;
        default:
            Flags(false);
            format += "." + std::to_string(Pick(0, 6)) + "e";
            Double(Pick(0, 999000) / 7.0);
            break;
        }
    }

    void Int(int v)
    {
        ints.push_back(v);
        kinds.push_back('i');
    }
    void Double(double v)
    {
        doubles.push_back(v);
        kinds.push_back('f');
    }

    // Up to four conversions of three kinds: pass the arguments in their generated order.
    int Compare()
    {
        Arg a[4];
        size_t i = 0, f = 0, s = 0;
        for (size_t k = 0; k < kinds.size(); ++k) {
            a[k].kind = kinds[k];
            if (kinds[k] == 'i') a[k].i = ints[i++];
            if (kinds[k] == 'f') a[k].d = doubles[f++];
            if (kinds[k] == 's') a[k].s = texts[s++].c_str();
        }
        return Dispatch(a, kinds.size());
    }

    struct Arg {
        char kind = 'i';
        int i = 0;
        double d = 0;
        const char* s = "";
    };

    int Dispatch(const Arg* a, size_t count)
    {
        // A va_list cannot be built by hand: expand the arguments into a real call, one
        // template level per conversion.
        return Expand(a, count, 0);
    }

    template <typename... Ts>
    int Expand(const Arg* a, size_t count, size_t index, Ts... values)
    {
        if constexpr (sizeof...(Ts) < 4) {
            if (index < count) {
                switch (a[index].kind) {
                case 'i':
                    return Expand(a, count, index + 1, values..., a[index].i);
                case 'f':
                    return Expand(a, count, index + 1, values..., a[index].d);
                default:
                    return Expand(a, count, index + 1, values..., a[index].s);
                }
            }
        }
        return Margin(format.c_str(), values...);
    }

    // The estimate minus (the formatter's length + 1): never negative for these formats.
    static int Margin(const char* format, ...)
    {
        va_list args;
        va_start(args, format);
        int estimate = EstimateFormattedLength(format, args);
        int actual = vsnprintf(nullptr, 0, format, args);
        va_end(args);
        return estimate - (actual + 1);
    }

    std::mt19937 random;
    std::vector<int> ints;
    std::vector<double> doubles;
    std::vector<std::string> texts;
    std::vector<char> kinds;
};

TEST(Estimate, IsAnUpperBoundForTheBoundedConversions)
{
    FormatGenerator generator(20261208);
    for (int i = 0; i < 20000; ++i) {
        int margin = generator.Check();
        ASSERT_GE(margin, 0) << "format: " << generator.format;
    }
}

}  // namespace
