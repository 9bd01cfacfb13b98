#include "lowtracessupport/lostlinecount.h"

namespace {

const DWORD kMostDigits = 10;  // 4294967295

// The decimal count in bytes, or 0 when they are anything else.
DWORD ParseCount(const char* bytes, DWORD length)
{
    if (length == 0 || length > kMostDigits) return 0;
    unsigned long long value = 0;
    for (DWORD i = 0; i < length; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9') return 0;
        value = value * 10 + static_cast<unsigned>(bytes[i] - '0');
    }
    return value > MAXDWORD ? 0 : static_cast<DWORD>(value);
}

}  // namespace

bool LostLinesWaiting(const wchar_t* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return false;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (data.nFileSizeLow != 0 || data.nFileSizeHigh != 0);
}

LostLineCount::LostLineCount() : value_(0) {}

void LostLineCount::Open(const wchar_t* path, bool create, LogWait& wait)
{
    value_ = 0;
    for (;;) {
        const DWORD error = file_.Open(path, GENERIC_READ | GENERIC_WRITE, 0, create ? OPEN_ALWAYS : OPEN_EXISTING);
        if (error == 0) break;
        if (!wait.PauseAfter(error)) return;
    }
    char bytes[kMostDigits + 1];
    DWORD got = 0;
    if (file_.Read(bytes, sizeof bytes, got) == 0) value_ = ParseCount(bytes, got);
}

bool LostLineCount::Store(DWORD count)
{
    char digits[kMostDigits + 1];
    const int length = count == 0 ? 0 : wsprintfA(digits, "%lu", count);
    return file_.Rewrite(digits, static_cast<DWORD>(length)) == 0;
}

DWORD AddCounts(DWORD a, DWORD b) { return a + b < a ? MAXDWORD : a + b; }
