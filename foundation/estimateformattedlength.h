// The estimate of how many bytes a printf-style format and its arguments produce, terminator
// included, from the format and the argument values alone. ZFile and ZString size their
// formatting buffers with it.
//
// Flags: -, +, space, #, 0 and ' (digit grouping). glibc's I flag is not one: I is
// Microsoft's length modifier.
//
// Length modifiers: C99's hh, h, l, ll, j, z, t and L, and Microsoft's I (pointer-sized),
// I32 and I64. Each takes an argument of the size it names, as the Windows C runtime reads
// it: hh, h and I32 an int; l a long; ll, I64 and j 64 bits; z, t and I pointer-sized; L a
// long double for f, e, g and a, and nothing different from an int for integer conversions.
// c, s, p and n take an int or a pointer whatever the modifier. A modified conversion counts
// as the plain one does (hh and h: d, i, u count 5; x, f, e count 8 and take their argument;
// p counts 8), and its letter is counted once more as literal text. A letter no modifier
// combines with counts 8 and takes nothing.
//
// A string's precision bounds the bytes read from it: the text need not be terminated within
// its precision, and only that much of it is counted.
//
// Not an upper bound for every conversion: decimal values needing more than the 7 counted
// characters (64-bit ones count no more than 32-bit ones), a null %s (counted as 1), wide
// strings (measured as 8-bit text), large floating-point values, conversions outside the
// known set (counted as 8) and negative widths through '*' can produce more. Callers that
// format must not rely on it as a limit.
#ifndef ZSTARTUP_FOUNDATION_ESTIMATEFORMATTEDLENGTH_H
#define ZSTARTUP_FOUNDATION_ESTIMATEFORMATTEDLENGTH_H

#include <cstdarg>

// 0 for a null format. Reads its own copy of args; the caller's list is not advanced.
int EstimateFormattedLength(const char* format, va_list args);

#endif
