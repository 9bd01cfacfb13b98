// ZString: an owning heap byte string (8-bit text in the ANSI code page, NUL-terminated).
//
// Two empty forms are kept apart: no buffer at all (capacity 0, Buffer() is null) and an
// allocated empty text (capacity >= 1, length 0). Length, IsEmpty, CStr and the equality
// tests treat them alike.
//
// Every operation but the constructors is virtual, declared in a fixed slot order, and the
// class calls its own operations through the table so a derived class can replace any one.
// Buffers come from new[] and go back with delete[]; a replacement buffer is always
// allocated before the old one is released, so a failed allocation (std::bad_alloc) leaves
// the old text in place. Null text pointers mean "empty" or "nothing to do".
#ifndef ZSTARTUP_FOUNDATION_ZSTRING_H
#define ZSTARTUP_FOUNDATION_ZSTRING_H

#include <cstdarg>

#ifdef _WIN32
#include <windows.h>
using ZInstance = HINSTANCE;
#else
using ZInstance = void*;
#endif

class ZString {
public:
    // No buffer.
    ZString();
    // The first min(strlen(bytes), maxCount) bytes in an exact-fit buffer; no buffer when
    // bytes is null or maxCount <= 0. The whole source is measured, so it must be terminated.
    ZString(const char* bytes, int maxCount);
    // No buffer when other has none; otherwise an exact fit of other's Length() + 1 bytes.
    ZString(const ZString& other);

    // Slot 0. Releases the buffer; afterwards no buffer, capacity 0, length 0.
    virtual void Clear();
    // Slot 1. Append(other.CStr()); creates the two-byte empty buffer even for an empty other.
    virtual void AppendString(ZString& other);
    // Slot 2. Stores ch in place while capacity - 1 > length, else Append of the one-byte text.
    virtual void AppendChar(char ch);
    // Slot 3. Bytes a printf-style format with its arguments produces, terminator included;
    // 0 for a null format. Reads a copy of args: the caller's list is not advanced.
    virtual int EstimateFormattedLength(const char* format, va_list args);
    // Slot 4. Exact fit to the text measured up to its first 0 byte (not the stored length).
    virtual void Compact();
    // Slot 5.
    virtual ~ZString();
    // Slot 6. New heap copy (copy constructor); the caller deletes it.
    virtual ZString* Clone();
    // Slot 7. The text; never null (a shared empty text without a buffer).
    virtual const char* CStr();
    // Slot 8. length with a buffer, 0 without.
    virtual int Length();
    // Slot 9. Exact-fit copy of text; null clears; text may lie inside this string's buffer.
    virtual void Assign(const char* text);
    // Slot 10. Exact-fit copy of other's text; an empty other (either form) leaves no buffer.
    virtual void AssignString(ZString& other);
    // Slots 11-13. Append, AppendChar, AppendString; return this string for chaining.
    virtual ZString& Add(const char* text);
    virtual ZString& AddChar(char ch);
    virtual ZString& AddString(ZString& other);
    // Slots 14-15. New string: this text followed by text / other's text, exact fit. This
    // string is unchanged.
    virtual ZString Concat(const char* text);
    virtual ZString ConcatString(ZString& other);
    // Slots 16-19. Byte-wise equality; a string without a buffer equals any empty text.
    virtual bool EqualsString(ZString& other);
    virtual bool Equals(const char* text);
    virtual bool DiffersString(ZString& other);
    virtual bool Differs(const char* text);
    // Slots 20-23. Unsigned byte-wise order; a string without a buffer orders as the empty
    // text: before every non-empty text, equal to the other empty form.
    virtual bool LessThan(ZString& other);
    virtual bool GreaterThan(ZString& other);
    virtual bool LessOrEqual(ZString& other);
    virtual bool GreaterOrEqual(ZString& other);
    // Slot 24. The byte at index when index < Length(); otherwise a fallback byte that reads
    // 0 every time it is returned.
    virtual char& At(unsigned int index);
    // Slot 25. The raw buffer; null without one.
    virtual char* Buffer();
    // Slot 26. Length() is 0.
    virtual bool IsEmpty();
    // Slot 27. The text from index on when index < Length(); otherwise an empty text.
    virtual const char* TextAt(unsigned int index);
    // Slots 28-29. Position of the first ch (at or after start), -1 if none; ch 0 is never found.
    virtual int FindChar(char ch);
    virtual int FindCharFrom(char ch, unsigned int start);
    // Slot 30. Position of the first occurrence of text; -1 for null text or no buffer. An
    // empty text is found at 0 on any string with a buffer.
    virtual int Find(const char* text);
    // Slot 31. Clear, then (size > 0) an empty buffer of exactly size bytes.
    virtual void Allocate(int size);
    // Slot 32. Append at most maxCount bytes of text (not null); nothing for a count of 0.
    virtual void AppendN(const char* text, int maxCount);
    // Slot 33. Append text (null does nothing). Growth: 2 x the size needed.
    virtual void Append(const char* text);
    // Slot 34. Insert text at pos (0..Length()); false and no change otherwise. At the end it
    // appends; elsewhere the buffer becomes an exact fit.
    virtual bool Insert(const char* text, int pos);
    // Slot 35. Remove count bytes from pos; false and no change when pos is out of range, the
    // string is empty or count is negative. Capacity is kept.
    virtual bool Delete(int pos, int count);
    // Slots 36-37. ASCII letters only; the result is the number of bytes changed.
    virtual int MakeUpper();
    virtual int MakeLower();
    // Slot 38. Leading decimal integer; wraps modulo 2^32 without an overflow check.
    virtual int ToLong();
    // Slot 39. Leading floating-point number (strtod); 0.0 when there is none.
    virtual double ToDouble();
    // Slots 40-42. Remove blanks from both ends / the start / the end; the result is the number
    // of bytes removed. Blank: a space; with spacesOnly false also the bytes 0x01-0x20.
    virtual int Trim(bool spacesOnly);
    virtual int TrimLeft(bool spacesOnly);
    virtual int TrimRight(bool spacesOnly);
    // Slots 43-45. The same with copies of ch as the blank.
    virtual int TrimChar(char ch);
    virtual int TrimLeftChar(char ch);
    virtual int TrimRightChar(char ch);
    // Slot 46. New string of at most count bytes from pos; no buffer when pos is out of range
    // (negative included) or count <= 0.
    virtual ZString Substring(int pos, int count);
    // Slot 47. Reverses in place; the result is the number of swaps (Length() / 2).
    virtual int Reverse();
    // Slot 48. New[] copy of the text with its terminator; the caller delete[]s it.
    virtual char* Duplicate();
    // Slot 49. printf-style assignment; the string always holds the whole formatted text. The
    // result and length are its byte count. A null format, or one the C library's formatter
    // rejects, clears the string and gives 0. The arguments may point into this string's own
    // text: the new text is formatted into a new buffer and only then replaces the old one,
    // so a failed allocation leaves the old text.
    virtual int Format(const char* format, ...);
    // Slot 50. Loads string resource id of instance; false (and no buffer) when it is missing
    // or empty. The result is an exact fit.
    virtual bool LoadResourceString(ZInstance instance, unsigned int id);

    ZString& operator=(const ZString&) = delete;  // assignment goes through Assign/AssignString

protected:
    char* buffer;
    int capacity;
    int length;

private:
    using BlankTest = bool (*)(unsigned char byte, unsigned char ch);

    void Adopt(char* newBuffer, int newCapacity, int newLength);
    void AppendBytes(const char* text, int count);
    void CutAt(int pos);
    int TrimLeftWhere(BlankTest blank, unsigned char ch);
    int TrimRightWhere(BlankTest blank, unsigned char ch);
};

#endif
