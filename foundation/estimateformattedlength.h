// The estimate of how many bytes a printf-style format and its arguments produce, terminator
// included, from the format and the argument values alone. ZFile and ZString size their
// formatting buffers with it.
//
// Not an upper bound for every conversion: decimal values needing more than the 7 counted
// characters, a null %s (counted as 1), wide strings (measured as 8-bit text), large
// floating-point values, conversions outside the known set (counted as 8) and negative
// widths through '*' can produce more. Callers that format must not rely on it as a limit.
#ifndef ZSTARTUP_FOUNDATION_ESTIMATEFORMATTEDLENGTH_H
#define ZSTARTUP_FOUNDATION_ESTIMATEFORMATTEDLENGTH_H

#include <cstdarg>

// 0 for a null format. Reads its own copy of args; the caller's list is not advanced.
int EstimateFormattedLength(const char* format, va_list args);

#endif
