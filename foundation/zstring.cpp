#include "foundation/zstring.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "foundation/estimateformattedlength.h"
#include "foundation/resourcetext.h"

namespace {

const char kEmptyText = 0;
const char kEmptyTail = 0;

int TextLength(const char* text)
{
    size_t n = std::strlen(text);
    if (n >= static_cast<size_t>(INT_MAX)) throw std::bad_alloc();
    return static_cast<int>(n);
}

// Growth doubles the size needed; a size that cannot be doubled cannot be allocated either.
char* NewDoubled(int need)
{
    if (need > INT_MAX / 2) throw std::bad_alloc();
    char* p = new char[2 * need];
    p[0] = 0;
    return p;
}

bool IsSpace(unsigned char byte, unsigned char) { return byte == ' '; }
// Control bytes and the space; bytes from 0x80 up are letters in ANSI code pages, never blank.
bool IsBlank(unsigned char byte, unsigned char) { return byte >= 0x01 && byte <= 0x20; }
bool IsChar(unsigned char byte, unsigned char ch) { return byte == ch; }

}  // namespace

ZString::ZString() : buffer(nullptr), capacity(0), length(0) {}

ZString::ZString(const char* bytes, int maxCount) : ZString()
{
    if (bytes == nullptr || maxCount <= 0) return;
    int n = TextLength(bytes);
    if (n > maxCount) n = maxCount;
    char* p = new char[n + 1];
    std::memcpy(p, bytes, n);
    p[n] = 0;
    Adopt(p, n + 1, n);
}

ZString::ZString(const ZString& source) : ZString()
{
    // The source's own Length decides what is copied, so a derived class's override counts.
    ZString& other = const_cast<ZString&>(source);
    if (other.capacity == 0) return;
    int n = other.Length();
    char* p = new char[n + 1];
    std::memcpy(p, other.CStr(), n);
    p[n] = 0;
    Adopt(p, n + 1, n);
}

void ZString::Clear()
{
    delete[] buffer;
    buffer = nullptr;
    capacity = 0;
    length = 0;
}

void ZString::AppendString(ZString& other) { Append(other.CStr()); }

void ZString::AppendChar(char ch)
{
    if (capacity != 0 && capacity - 1 > length) {
        buffer[length++] = ch;
        buffer[length] = 0;
        return;
    }
    const char text[2] = {ch, 0};
    Append(text);
}

int ZString::EstimateFormattedLength(const char* format, va_list args)
{
    return ::EstimateFormattedLength(format, args);
}

void ZString::Compact()
{
    if (buffer == nullptr || capacity == 0) return;
    // Direct writes may have left no terminator: measure within the allocation only, and keep
    // every byte written.
    const void* end = std::memchr(buffer, 0, capacity);
    int n = end ? static_cast<int>(static_cast<const char*>(end) - buffer) : capacity;
    char* p = new char[n + 1];
    std::memcpy(p, buffer, n);
    p[n] = 0;
    delete[] buffer;
    Adopt(p, n + 1, n);
}

ZString::~ZString() { Clear(); }

ZString* ZString::Clone() { return new ZString(*this); }

const char* ZString::CStr() { return capacity != 0 ? buffer : &kEmptyText; }

int ZString::Length() { return capacity != 0 ? length : 0; }

void ZString::Assign(const char* text)
{
    if (text == nullptr) {
        Clear();
        return;
    }
    int n = TextLength(text);
    char* p = new char[n + 1];
    std::memcpy(p, text, n + 1);  // before Clear: text may lie in this buffer
    Clear();
    Adopt(p, n + 1, n);
}

void ZString::AssignString(ZString& other)
{
    int n = other.Length();
    if (n == 0) {
        Clear();
        return;
    }
    char* p = new char[n + 1];
    std::memcpy(p, other.CStr(), n);
    p[n] = 0;
    Clear();
    Adopt(p, n + 1, n);
}

ZString& ZString::Add(const char* text)
{
    Append(text);
    return *this;
}

ZString& ZString::AddChar(char ch)
{
    AppendChar(ch);
    return *this;
}

ZString& ZString::AddString(ZString& other)
{
    AppendString(other);
    return *this;
}

ZString ZString::Concat(const char* text)
{
    ZString joined;
    joined.AssignString(*this);
    joined.Add(text);
    return ZString(joined);  // exact fit
}

ZString ZString::ConcatString(ZString& other)
{
    ZString joined;
    joined.AssignString(*this);
    joined.AddString(other);
    return ZString(joined);  // exact fit
}

bool ZString::EqualsString(ZString& other)
{
    if (capacity != 0 && other.capacity != 0) return std::strcmp(buffer, other.buffer) == 0;
    return Length() == 0 && other.Length() == 0;
}

bool ZString::Equals(const char* text)
{
    bool textEmpty = text == nullptr || text[0] == 0;
    if (capacity != 0 && !textEmpty) return std::strcmp(buffer, text) == 0;
    return Length() == 0 && textEmpty;
}

bool ZString::DiffersString(ZString& other) { return !EqualsString(other); }

bool ZString::Differs(const char* text) { return !Equals(text); }

// strcmp compares as unsigned bytes; CStr gives a string without a buffer the empty text, so
// both empty forms order alike.
bool ZString::LessThan(ZString& other) { return std::strcmp(CStr(), other.CStr()) < 0; }

bool ZString::GreaterThan(ZString& other) { return std::strcmp(CStr(), other.CStr()) > 0; }

bool ZString::LessOrEqual(ZString& other) { return !GreaterThan(other); }

bool ZString::GreaterOrEqual(ZString& other) { return !LessThan(other); }

char& ZString::At(unsigned int index)
{
    // Reset at every return, so a caller's write through it cannot leak to the next caller.
    static char fallback;
    if (index < static_cast<unsigned int>(Length())) return buffer[index];
    fallback = 0;
    return fallback;
}

char* ZString::Buffer() { return buffer; }

bool ZString::IsEmpty() { return Length() == 0; }

const char* ZString::TextAt(unsigned int index)
{
    if (index < static_cast<unsigned int>(Length())) return buffer + index;
    return &kEmptyTail;
}

int ZString::FindChar(char ch) { return FindCharFrom(ch, 0); }

int ZString::FindCharFrom(char ch, unsigned int start)
{
    if (start >= static_cast<unsigned int>(Length()) || ch == 0) return -1;
    const char* found = std::strchr(buffer + start, ch);
    return found ? static_cast<int>(found - buffer) : -1;
}

int ZString::Find(const char* text)
{
    if (text == nullptr || capacity == 0) return -1;
    const char* found = std::strstr(buffer, text);
    return found ? static_cast<int>(found - buffer) : -1;
}

void ZString::Allocate(int size)
{
    Clear();
    if (size <= 0) return;
    char* p = new char[size];
    p[0] = 0;
    Adopt(p, size, 0);
}

void ZString::AppendN(const char* text, int maxCount)
{
    int count = 0;
    while (count < maxCount && text[count] != 0) ++count;
    if (count != 0) AppendBytes(text, count);
}

void ZString::Append(const char* text)
{
    if (text != nullptr) AppendBytes(text, TextLength(text));
}

bool ZString::Insert(const char* text, int pos)
{
    if (text == nullptr || pos < 0 || pos > Length()) return false;
    if (pos == Length()) {
        Append(text);
        return true;
    }
    int old = Length();
    int n = TextLength(text);
    if (n > INT_MAX - 1 - old) throw std::bad_alloc();
    int size = old + n + 1;
    char* p = new char[size];
    std::memcpy(p, buffer, pos);
    std::memcpy(p + pos, text, n);  // text may lie in this buffer: it is still intact
    std::memcpy(p + pos + n, buffer + pos, old - pos);
    p[size - 1] = 0;
    Clear();
    Adopt(p, size, size - 1);
    return true;
}

bool ZString::Delete(int pos, int count)
{
    if (pos < 0 || count < 0 || capacity == 0 || Length() == 0 || pos >= Length()) return false;
    int old = Length();
    if (count >= old - pos) {
        CutAt(pos);
        return true;
    }
    std::memmove(buffer + pos, buffer + pos + count, old - count - pos);
    CutAt(old - count);
    return true;
}

int ZString::MakeUpper()
{
    if (capacity <= 0) return 0;
    int changed = 0;
    for (int i = 0, n = Length(); i < n; ++i) {
        if (buffer[i] >= 'a' && buffer[i] <= 'z') {
            buffer[i] = static_cast<char>(buffer[i] - 0x20);
            ++changed;
        }
    }
    return changed;
}

int ZString::MakeLower()
{
    if (capacity <= 0) return 0;
    int changed = 0;
    for (int i = 0, n = Length(); i < n; ++i) {
        if (buffer[i] >= 'A' && buffer[i] <= 'Z') {
            buffer[i] = static_cast<char>(buffer[i] + 0x20);
            ++changed;
        }
    }
    return changed;
}

int ZString::ToLong()
{
    if (capacity == 0 || Length() == 0) return 0;
    const char* p = buffer;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    // Unsigned arithmetic: the value wraps modulo 2^32 as documented, without overflow.
    unsigned int value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<unsigned int>(*p - '0');
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}

double ZString::ToDouble()
{
    if (capacity == 0 || Length() == 0) return 0.0;
    return std::strtod(buffer, nullptr);
}

int ZString::Trim(bool spacesOnly) { return TrimLeft(spacesOnly) + TrimRight(spacesOnly); }

int ZString::TrimLeft(bool spacesOnly) { return TrimLeftWhere(spacesOnly ? IsSpace : IsBlank, 0); }

int ZString::TrimRight(bool spacesOnly) { return TrimRightWhere(spacesOnly ? IsSpace : IsBlank, 0); }

int ZString::TrimChar(char ch) { return TrimLeftChar(ch) + TrimRightChar(ch); }

int ZString::TrimLeftChar(char ch) { return TrimLeftWhere(IsChar, static_cast<unsigned char>(ch)); }

int ZString::TrimRightChar(char ch) { return TrimRightWhere(IsChar, static_cast<unsigned char>(ch)); }

ZString ZString::Substring(int pos, int count)
{
    if (pos < 0 || capacity == 0 || pos >= length) return ZString();
    return ZString(buffer + pos, count);
}

int ZString::Reverse()
{
    if (capacity == 0) return 0;
    int swaps = 0;
    for (int i = 0; i < length - 1 - i; ++i, ++swaps) {
        char t = buffer[i];
        buffer[i] = buffer[length - 1 - i];
        buffer[length - 1 - i] = t;
    }
    return swaps;
}

char* ZString::Duplicate()
{
    int n = Length();
    char* p = new char[n + 1];
    std::memcpy(p, CStr(), n);
    p[n] = 0;
    return p;
}

int ZString::Format(const char* format, ...)
{
    if (format == nullptr) {
        Clear();
        return 0;
    }
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int size = EstimateFormattedLength(format, args);
    if (size < 1) size = 1;  // widths beyond the int range wrap the estimate; the retry below copes
    // The arguments may point into this string's text: it stays until the last pass is done.
    std::unique_ptr<char[]> text(new char[size]);
    int n = std::vsnprintf(text.get(), size, format, args);
    if (n >= size) {
        // The estimate was short: format again into a buffer that holds the whole text.
        size = n + 1;
        text.reset(new char[size]);
        n = std::vsnprintf(text.get(), size, format, again);
    }
    va_end(again);
    va_end(args);
    Clear();
    if (n < 0) return 0;
    Adopt(text.release(), size, n);
    return n;
}

bool ZString::LoadResourceString(ZInstance instance, unsigned int id)
{
    Clear();
    int size = 0;
    int n;
    do {
        size += 1024;
        Allocate(size);
        n = LoadResourceText(instance, id, Buffer(), size);
    } while (n > 0 && n == size - 1);
    if (n <= 0) {
        Clear();
        return false;
    }
    Compact();
    return true;
}

void ZString::Adopt(char* newBuffer, int newCapacity, int newLength)
{
    buffer = newBuffer;
    capacity = newCapacity;
    length = newLength;
}

// The growth routine behind Append and AppendN. text may lie in this string's own buffer:
// when growing, the old buffer is released only after the copy; in place, memmove copes
// with the overlap.
void ZString::AppendBytes(const char* text, int count)
{
    int old = Length();
    if (count > INT_MAX - 1 - old) throw std::bad_alloc();
    int need = old + count + 1;
    if (need > capacity) {
        char* p = NewDoubled(need);
        if (capacity != 0 && buffer != nullptr) std::memcpy(p, buffer, old);
        std::memcpy(p + old, text, count);
        delete[] buffer;
        buffer = p;
        capacity = 2 * need;
    } else {
        std::memmove(buffer + old, text, count);
    }
    CutAt(need - 1);
}

void ZString::CutAt(int pos)
{
    length = pos;
    buffer[pos] = 0;
}

int ZString::TrimLeftWhere(BlankTest blank, unsigned char ch)
{
    if (capacity == 0) return 0;
    int count = 0;
    while (count < length && buffer[count] != 0 && blank(static_cast<unsigned char>(buffer[count]), ch)) ++count;
    if (count != 0) {
        std::memmove(buffer, buffer + count, length - count + 1);
        length -= count;
    }
    return count;
}

int ZString::TrimRightWhere(BlankTest blank, unsigned char ch)
{
    if (capacity == 0 || length == 0) return 0;
    int end = length;
    while (end > 0 && blank(static_cast<unsigned char>(buffer[end - 1]), ch)) --end;
    int removed = length - end;
    CutAt(end);
    return removed;
}
