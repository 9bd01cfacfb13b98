#include "runrules/servicelistentry.h"

#include "lowtracessupport/ansitext.h"
#include "lowtracessupport/logfile.h"
#include "lowtracessupport/modulepath.h"

namespace {

// The profile reader counts a value's quotes against the buffer before it removes them, and a
// value it cuts may lose one more character to the quote removal: a quoted 257-character value
// comes back as 256 characters from 258 units. With this much room every value of a name's
// length comes back whole, and every value cut is still longer than any name.
const DWORD kValueCapacity = 1024;
// The same value in the ANSI code page: up to 3 bytes a unit in UTF-8.
const DWORD kValueTextCapacity = 3 * kValueCapacity;

// Copies at most kMaxServiceNameLength bytes of value into name, stopping before a
// double-byte character that would not fit whole. True when value was longer.
bool CopyName(const char* value, char (&name)[kServiceNameCapacity])
{
    const char* end = value;
    for (const char* next = value; *end != '\0'; end = next) {
        next = CharNextA(end);
        if (next - value > kMaxServiceNameLength) break;
    }
    const int length = static_cast<int>(end - value);
    lstrcpynA(name, value, length + 1);
    return value[length] != '\0';
}

struct ListValue {
    char (&name)[kServiceNameCapacity];
    bool& tooLong;
    bool& notAnsi;
};

// Reads one value into its name; sets readError when the profile reader could not open the
// list because another handle holds it (the holds that also keep a line from the log). The
// reader gives the empty default then, as for a missing key, but leaves the open's error (a
// missing key leaves none). The caller's hold keeps such handles out; this is what is left
// should Windows' reader open the file in a way the hold refuses.
void ReadValue(const wchar_t* section, const wchar_t* key, const wchar_t* listPath, ListValue value, DWORD& readError)
{
    wchar_t wide[kValueCapacity];
    SetLastError(NO_ERROR);
    if (GetPrivateProfileStringW(section, key, L"", wide, kValueCapacity, listPath) == 0) {
        const DWORD error = GetLastError();
        if (LogHeldByAnother(error)) readError = error;
    }
    char text[kValueTextCapacity];
    value.notAnsi = ToAnsiText(wide, text, sizeof text) != AnsiForm::kExact;
    value.tooLong = CopyName(text, value.name);
}

}  // namespace

bool ReadServiceListEntry(const wchar_t* listPath, unsigned int keyCode, ServiceListEntry& entry)
{
    entry = ServiceListEntry();
    entry.key[0] = static_cast<char>(keyCode);
    // The key as the ANSI profile reader would convert it; the byte alone, so that a lead byte
    // of a double-byte code page never takes the terminator as its second byte.
    wchar_t key[2];
    const int length = MultiByteToWideChar(CP_ACP, 0, entry.key, 1, key, 1);
    if (length != 1) return false;
    key[1] = L'\0';
    // Both names are read before either service is touched.
    ReadValue(L"STOP", key, listPath, {entry.stopName, entry.stopTooLong, entry.stopNotAnsi}, entry.readError);
    ReadValue(L"START", key, listPath, {entry.startName, entry.startTooLong, entry.startNotAnsi}, entry.readError);
    return entry.readError == 0 && (entry.stopName[0] != '\0' || entry.startName[0] != '\0');
}

bool ReadServiceListEntry(const char* listPath, unsigned int keyCode, ServiceListEntry& entry)
{
    wchar_t widePath[kLongestPath];
    if (FromAnsiText(listPath, widePath, kLongestPath)) return ReadServiceListEntry(widePath, keyCode, entry);
    entry = ServiceListEntry();
    return false;
}
