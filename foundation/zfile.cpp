#include "foundation/zfile.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "foundation/estimateformattedlength.h"

namespace {

// wvsprintfA takes no buffer size and writes up to this many bytes, terminator included.
const int kFormatterLimit = 1024;

const char* SkipDigits(const char* p)
{
    while (*p >= '0' && *p <= '9') ++p;
    return p;
}

const char* SkipOne(const char* p, char c) { return *p == c ? p + 1 : p; }

// Past the directive after a '%' when wvsprintfA reads it as the C library does:
// [-][#][0][width][.precision][h|l|I64] and one of c C d i u x X s S p. Null otherwise:
// wvsprintfA prints any other directive ('+', ' ', '*', hh, ll, z, floating point...) as
// text and takes no argument for it, so a later %s would read an integer as a pointer; and
// it reads a zero precision as none, so %.0s would read a string to its terminator.
const char* PastPlatformDirective(const char* p)
{
    if (*p == '%') return p + 1;
    p = SkipDigits(SkipOne(SkipOne(SkipOne(p, '-'), '#'), '0'));
    bool zeroPrecision = false;
    if (*p == '.') {
        const char* digits = p + 1;
        p = SkipDigits(digits);
        zeroPrecision = std::strspn(digits, "0") >= static_cast<size_t>(p - digits);
    }
    if (*p == 'h' || *p == 'l')
        ++p;
    else if (std::strncmp(p, "I64", 3) == 0)
        p += 3;
    if (*p == 0 || std::strchr("cCdiuxXsSp", *p) == nullptr) return nullptr;
    if (zeroPrecision && (*p == 's' || *p == 'S')) return nullptr;
    return p + 1;
}

bool PlatformFormatterReads(const char* format)
{
    for (const char* p = std::strchr(format, '%'); p != nullptr; p = std::strchr(p, '%')) {
        p = PastPlatformDirective(p + 1);
        if (p == nullptr) return false;
    }
    return true;
}

// At most kFormatterLimit bytes, terminator included: with wvsprintfA where it reads the
// format as the C library does, else with the C library.
void FormatWithinLimit(char* buffer, const char* format, va_list args)
{
    if (PlatformFormatterReads(format))
        wvsprintfA(buffer, format, args);
    else if (std::vsnprintf(buffer, kFormatterLimit, format, args) < 0)
        buffer[0] = 0;
}

}  // namespace

ZFile::ZFile(const char* fileName) : handle(INVALID_HANDLE_VALUE), name()
{
    Init(GENERIC_READ | GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL);
    name.Assign(fileName);
}

void ZFile::Init(DWORD newAccess, DWORD newShareMode, DWORD newAttributes)
{
    Close();
    access = newAccess;
    shareMode = newShareMode;
    attributes = newAttributes;
}

int ZFile::EstimateFormattedLength(const char* format, va_list args) { return ::EstimateFormattedLength(format, args); }

ZFile::~ZFile() { Close(); }

HANDLE ZFile::GetHandle() { return handle; }

void ZFile::SetName(const char* newName) { name.Assign(newName); }

const char* ZFile::GetName() { return name.Buffer(); }

bool ZFile::SetAttributes(DWORD value)
{
    if (IsOpen()) return false;
    attributes = value;
    return true;
}

DWORD ZFile::GetAttributes() { return attributes; }

bool ZFile::SetShareMode(DWORD value)
{
    if (IsOpen()) return false;
    shareMode = value;
    return true;
}

DWORD ZFile::GetShareMode() { return shareMode; }

bool ZFile::SetAccess(DWORD value)
{
    if (IsOpen()) return false;
    access = value;
    return true;
}

DWORD ZFile::GetAccess() { return access; }

DWORD ZFile::Open(DWORD creationDisposition)
{
    Close();
    handle = CreateFileA(name.Buffer(), access, shareMode, nullptr, creationDisposition, attributes, nullptr);
    return handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
}

void ZFile::Close()
{
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

int ZFile::IsOpen() { return handle != INVALID_HANDLE_VALUE ? 1 : 0; }

DWORD ZFile::Write(const void* data, DWORD count)
{
    DWORD written = 0;
    return WriteFile(handle, data, count, &written, nullptr) ? written : 0;
}

DWORD ZFile::WriteString(const char* text) { return Write(text, text ? lstrlenA(text) : 0); }

int ZFile::WriteFormatted(const char* format, ...)
{
    if (format == nullptr) return ERROR_INVALID_PARAMETER;
    va_list args;
    va_start(args, format);
    int size = EstimateFormattedLength(format, args);
    // The estimate can be short, and the formatter takes no size: the buffer is never
    // smaller than what the formatter may write, so the whole formatted text reaches the file.
    if (size < kFormatterLimit) size = kFormatterLimit;
    std::unique_ptr<char[]> text(new char[size]);
    FormatWithinLimit(text.get(), format, args);
    va_end(args);
    return static_cast<int>(WriteString(text.get()));
}

DWORD ZFile::WriteInt32(int value) { return Write(&value, 4); }

DWORD ZFile::WriteInt16(short value) { return Write(&value, 2); }

DWORD ZFile::WriteInt8(char value) { return Write(&value, 1); }

DWORD ZFile::Read(void* data, DWORD count)
{
    DWORD read = 0;
    return ReadFile(handle, data, count, &read, nullptr) ? read : 0;
}

DWORD ZFile::ReadInt32(int* value)
{
    *value = 0;
    return Read(value, 4);
}

DWORD ZFile::ReadInt16(short* value)
{
    *value = 0;
    return Read(value, 2);
}

DWORD ZFile::ReadInt8(char* value)
{
    *value = 0;
    return Read(value, 1);
}

DWORD ZFile::Remove() { return DeleteFileA(name.Buffer()) ? 0 : GetLastError(); }

DWORD ZFile::CopyTo(const char* newName, bool failIfExists)
{
    return CopyFileA(name.Buffer(), newName, failIfExists ? TRUE : FALSE) ? 0 : GetLastError();
}

DWORD ZFile::MoveTo(const char* newName)
{
    if (!MoveFileA(name.Buffer(), newName)) return GetLastError();
    name.Assign(newName);
    return 0;
}

DWORD ZFile::GetTime(FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite)
{
    return GetFileTime(handle, creation, lastAccess, lastWrite) ? 0 : GetLastError();
}

DWORD ZFile::SetTime(const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite)
{
    return SetFileTime(handle, creation, lastAccess, lastWrite) ? 0 : GetLastError();
}

BOOL ZFile::Flush() { return FlushFileBuffers(handle); }

DWORD ZFile::Seek(LONG distance, LONG* distanceHigh, DWORD moveMethod)
{
    return SetFilePointer(handle, distance, distanceHigh, moveMethod);
}
