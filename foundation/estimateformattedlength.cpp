#include "foundation/estimateformattedlength.h"

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
        ++p;
        return true;
    case '*':
        directive.TakeNumber(va_arg(args, int));
        ++p;
        return true;
    default:
        if (*p < '1' || *p > '9')
            return false;
        int value;
        p = ReadDigits(p, &value);
        directive.TakeNumber(value);
        return true;
    }
}

int StringCount(const Directive& directive, va_list& args)
{
    const char* text = va_arg(args, const char*);
    if (text == nullptr)
        return 1;
    return AtLeast(directive.width, Sum(static_cast<int>(std::strlen(text)), 1));
}

// The count of the conversion letter c (after a length prefix when prefixed), taking its
// argument; -1 when c is not one the prefix (or no prefix) combines with.
int ConversionCount(char prefix, char c, const Directive& directive, va_list& args)
{
    switch (c) {
    case 'c':
    case 'C':
        va_arg(args, int);
        return AtLeast(directive.width, 1);
    case 'd':
    case 'i':
    case 'u':
        va_arg(args, int);
        return AtLeast(directive.width, prefix == 'h' ? 5 : 7);
    case 's':
    case 'S':
        return StringCount(directive, args);
    }
    if (prefix == 'h')
        return -1;
    switch (c) {
    case 'f':
    case 'F':
    case 'e':
    case 'E':
        va_arg(args, double);
        return AtLeast(Sum(directive.width, directive.precision), 12);
    case 'x':
    case 'X':
        va_arg(args, int);
        return AtLeast(directive.width, directive.alternateExtra + 8);
    case 'p':
        if (prefix != 0)
            return -1;
        va_arg(args, void*);
        return AtLeast(directive.width, directive.alternateExtra + 8);
    }
    return -1;
}

// A conversion the estimate does not count (o, g, n and the like) still takes its argument
// from the formatter: take it here too, so that every later '*' and string conversion reads
// its own argument instead of a neighbour's (a double's half read as a text pointer).
void TakeUncountedArgument(char prefix, char c, va_list& args)
{
    if (c == 'o' || (prefix == 'h' && (c == 'x' || c == 'X')))
        va_arg(args, int);
    else if (prefix != 'h' && (c == 'g' || c == 'G' || c == 'a' || c == 'A'))
        va_arg(args, double);
    else if (c == 'n')
        va_arg(args, void*);
}

// The character at p ends the directive: returns its count and moves p past the
// conversion letter, or past the h or l only of a two-character form.
int EndDirective(const char*& p, const Directive& directive, va_list& args)
{
    if (*p == '%') {
        ++p;
        return 1;
    }
    const char prefix = *p == 'h' || *p == 'l' ? *p : 0;
    const char letter = prefix != 0 ? p[1] : *p;
    ++p;
    int count = ConversionCount(prefix, letter, directive, args);
    if (count >= 0)
        return count;
    TakeUncountedArgument(prefix, letter, args);
    return AtLeast(directive.width, 8);
}

}  // namespace

int EstimateFormattedLength(const char* format, va_list callerArgs)
{
    if (format == nullptr)
        return 0;
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
