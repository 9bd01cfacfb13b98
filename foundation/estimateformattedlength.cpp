#include "foundation/estimateformattedlength.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// Sums are taken modulo 2^32 and read back as signed: widths beyond the int range are
// outside the contract, but must not be undefined behaviour.
int Sum(int a, int b) { return static_cast<int>(static_cast<unsigned int>(a) + static_cast<unsigned int>(b)); }

int AtLeast(int value, int minimum) { return value > minimum ? value : minimum; }

struct Directive {
    int width = 0;
    int precision = 0;
    bool precisionPending = false;
    bool precisionGiven = false;
    int alternateExtra = 0;

    void TakeNumber(int value)
    {
        if (precisionPending) {
            precision = value;
            precisionPending = false;
        } else {
            width = value;
        }
    }

    // The most bytes a string conversion reads: its precision, or -1 when it has none (a
    // negative precision from '*' counts as none).
    int StringBound() const { return precisionGiven && precision >= 0 ? precision : -1; }
};

// Reads a run of at most ten digits starting at p; returns the position after it.
const char* ReadDigits(const char* p, int* value)
{
    unsigned int number = 0;
    for (int digits = 0; digits < 10 && *p >= '0' && *p <= '9'; ++digits, ++p)
        number = number * 10u + static_cast<unsigned int>(*p - '0');
    *value = static_cast<int>(number);
    return p;
}

// Flags, widths and precisions: moves past the character at p and returns true, or returns
// false when p holds a character that ends the directive.
bool ScanModifier(const char*& p, Directive& directive, int& total, va_list& args)
{
    switch (*p) {
    case '-':
    case '0':
    case '\'':  // digit grouping, as glibc and MinGW-w64 read it
        ++p;
        return true;
    case '+':
    case ' ':
        total = Sum(total, 1);
        ++p;
        return true;
    case '#':
        directive.alternateExtra = 2;
        ++p;
        return true;
    case '.':
        directive.precisionPending = true;
        directive.precisionGiven = true;
        ++p;
        return true;
    case '*':
        directive.TakeNumber(va_arg(args, int));
        ++p;
        return true;
    default:
        if (*p < '1' || *p > '9') return false;
        int value;
        p = ReadDigits(p, &value);
        directive.TakeNumber(value);
        return true;
    }
}

// C99's length modifiers and Microsoft's I, I32 and I64.
enum class Length {
    None,
    Char,
    Short,
    Long,
    LongLong,
    IntMax,
    Size,
    PtrDiff,
    LongDouble,
    PointerSize,
    Int32,
    Int64,
};

struct LengthModifier {
    Length length;
    int characters;
};

LengthModifier ReadLength(const char* p)
{
    switch (*p) {
    case 'h':
        return p[1] == 'h' ? LengthModifier{Length::Char, 2} : LengthModifier{Length::Short, 1};
    case 'l':
        return p[1] == 'l' ? LengthModifier{Length::LongLong, 2} : LengthModifier{Length::Long, 1};
    case 'j':
        return {Length::IntMax, 1};
    case 'z':
        return {Length::Size, 1};
    case 't':
        return {Length::PtrDiff, 1};
    case 'L':
        return {Length::LongDouble, 1};
    case 'I':
        if (p[1] == '3' && p[2] == '2') return {Length::Int32, 3};
        if (p[1] == '6' && p[2] == '4') return {Length::Int64, 3};
        return {Length::PointerSize, 1};
    }
    return {Length::None, 0};
}

bool IsShort(Length length) { return length == Length::Char || length == Length::Short; }

// An integer conversion's argument, of the size its length names. L names none for integers,
// as the Windows C runtime reads it.
void TakeInteger(Length length, va_list& args)
{
    switch (length) {
    case Length::Long:
        va_arg(args, long);
        break;
    case Length::LongLong:
    case Length::Int64:
        va_arg(args, long long);
        break;
    case Length::IntMax:
        va_arg(args, std::intmax_t);
        break;
    case Length::Size:
        va_arg(args, std::size_t);
        break;
    case Length::PtrDiff:
    case Length::PointerSize:
        va_arg(args, std::ptrdiff_t);
        break;
    default:
        va_arg(args, int);
        break;
    }
}

void TakeFloating(Length length, va_list& args)
{
    if (length == Length::LongDouble)
        va_arg(args, long double);
    else
        va_arg(args, double);
}

// The text's length, reading at most bound bytes when bound is not negative: a precision
// limits what the formatter reads, and the text need not be terminated within it.
int TextLength(const char* text, int bound)
{
    if (bound < 0) return static_cast<int>(std::strlen(text));
    const void* end = std::memchr(text, 0, static_cast<std::size_t>(bound));
    return end != nullptr ? static_cast<int>(static_cast<const char*>(end) - text) : bound;
}

int StringCount(const Directive& directive, va_list& args)
{
    const char* text = va_arg(args, const char*);
    if (text == nullptr) return 1;
    return AtLeast(directive.width, Sum(TextLength(text, directive.StringBound()), 1));
}

// The count of the conversion letter after a length modifier (or none), taking the argument
// the formatter takes for it. Letters outside the counted set count 8; those the formatter
// takes an argument for (o, g, n and the like) still take it here, so that every later '*'
// and string conversion reads its own argument instead of a neighbour's.
int ConversionCount(Length length, char letter, const Directive& directive, va_list& args)
{
    switch (letter) {
    case 'c':
    case 'C':
        va_arg(args, int);
        return AtLeast(directive.width, 1);
    case 'd':
    case 'i':
    case 'u':
        TakeInteger(length, args);
        return AtLeast(directive.width, IsShort(length) ? 5 : 7);
    case 'x':
    case 'X':
        TakeInteger(length, args);
        return AtLeast(directive.width, IsShort(length) ? 8 : directive.alternateExtra + 8);
    case 'o':
        TakeInteger(length, args);
        return AtLeast(directive.width, 8);
    case 's':
    case 'S':
        return StringCount(directive, args);
    case 'p':
        va_arg(args, void*);
        return AtLeast(directive.width, length == Length::None ? directive.alternateExtra + 8 : 8);
    case 'n':
        va_arg(args, void*);
        return AtLeast(directive.width, 8);
    case 'f':
    case 'F':
    case 'e':
    case 'E':
        TakeFloating(length, args);
        return IsShort(length) ? AtLeast(directive.width, 8) : AtLeast(Sum(directive.width, directive.precision), 12);
    case 'g':
    case 'G':
    case 'a':
    case 'A':
        TakeFloating(length, args);
        return AtLeast(directive.width, 8);
    }
    return AtLeast(directive.width, 8);
}

// The character at p ends the directive: returns its count and moves p past the conversion
// letter, or, after a length modifier, past the modifier only (the letter stays literal).
int EndDirective(const char*& p, const Directive& directive, va_list& args)
{
    if (*p == '%') {
        ++p;
        return 1;
    }
    const LengthModifier modifier = ReadLength(p);
    const char letter = p[modifier.characters];
    p += modifier.characters > 0 ? modifier.characters : 1;
    return ConversionCount(modifier.length, letter, directive, args);
}

}  // namespace

int EstimateFormattedLength(const char* format, va_list callerArgs)
{
    if (format == nullptr) return 0;
    va_list args;
    va_copy(args, callerArgs);
    int total = 0;
    const char* search = format;
    while (const char* percent = std::strchr(search, '%')) {
        Directive directive;
        const char* p = percent + 1;
        while (*p != 0) {
            if (!ScanModifier(p, directive, total, args)) {
                total = Sum(total, EndDirective(p, directive, args));
                break;
            }
        }
        total = Sum(total, -static_cast<int>(p - percent));
        search = p;
    }
    va_end(args);
    return Sum(Sum(total, static_cast<int>(std::strlen(format))), 1);
}
