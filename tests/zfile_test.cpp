// ZFile on real files in a fresh temporary folder: state, sharing, data, names, the closed
// object's failure values and formatted writes. File contents are read back without ZFile
// and compared byte for byte.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "foundation/zfile.h"

namespace {

// The whole file, read with every sharing flag so the reader never disturbs the test.
std::string ReadBytes(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot read " << path << ": error " << GetLastError();
        return {};
    }
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(h);
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path << ": error " << GetLastError();
    DWORD put = 0;
    EXPECT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr));
    EXPECT_EQ(put, bytes.size());
    CloseHandle(h);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Each test gets its own empty folder. Tear-down removes it, which fails when a test left a
// handle open in it: a leak shows up as a failure.
class ZFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        DWORD n = GetTempPathA(MAX_PATH, temp);
        ASSERT_TRUE(n > 0 && n < MAX_PATH);
        static int serial = 0;
        folder = std::string(temp) + "zfile_test_" + std::to_string(GetCurrentProcessId()) + "_" +
                 std::to_string(GetTickCount()) + "_" + std::to_string(++serial);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder << ": " << GetLastError();
    }

    void TearDown() override
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
                std::string path = Path(found.cFileName);
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                EXPECT_TRUE(DeleteFileA(path.c_str())) << path << " still in use";
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        EXPECT_TRUE(RemoveDirectoryA(folder.c_str())) << folder << ": " << GetLastError();
    }

    std::string Path(const char* leaf) const { return folder + "\\" + leaf; }

    std::string folder;
};

// ---- State and setters ----

using ZFileStateTest = ZFileTest;

TEST_F(ZFileStateTest, NewObjectIsClosedWithDefaultsAndItsOwnCopyOfTheName)
{
    std::string path = Path("new.bin");
    std::string callerText = path;
    ZFile file(callerText.c_str());
    callerText[0] = '#';

    EXPECT_EQ(file.IsOpen(), 0);
    EXPECT_EQ(file.GetHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(file.GetAccess(), 0xC0000000u);
    EXPECT_EQ(file.GetShareMode(), 0u);
    EXPECT_EQ(file.GetAttributes(), 0x80u);
    EXPECT_STREQ(file.GetName(), path.c_str());
    EXPECT_FALSE(Exists(path)) << "construction must open nothing";

    file.Close();
    EXPECT_EQ(file.IsOpen(), 0);
    EXPECT_EQ(file.GetHandle(), INVALID_HANDLE_VALUE);
}

TEST_F(ZFileStateTest, NullNameHasNoTextAndOpenFailsWithThePlatformsError)
{
    SetLastError(0);
    HANDLE direct =
        CreateFileA(nullptr, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD platformError = GetLastError();
    ASSERT_EQ(direct, INVALID_HANDLE_VALUE);
    ASSERT_NE(platformError, 0u);

    ZFile file(nullptr);
    EXPECT_EQ(file.GetName(), nullptr);
    EXPECT_EQ(file.Open(OPEN_ALWAYS), platformError);
    EXPECT_EQ(file.IsOpen(), 0);
}

TEST_F(ZFileStateTest, SetNameWhileOpenKeepsTheHandleOnTheFirstFile)
{
    ZFile file(Path("first").c_str());
    ASSERT_EQ(file.Open(CREATE_NEW), 0u);
    file.SetName(Path("second").c_str());
    EXPECT_STREQ(file.GetName(), Path("second").c_str());
    EXPECT_EQ(file.WriteString("xy"), 2u);
    file.Close();
    EXPECT_EQ(ReadBytes(Path("first")), "xy");
    EXPECT_FALSE(Exists(Path("second")));

    file.SetName(nullptr);
    EXPECT_EQ(file.GetName(), nullptr);
    file.SetName("");
    ASSERT_NE(file.GetName(), nullptr) << "an empty name is a text, not a missing one";
    EXPECT_STREQ(file.GetName(), "");
}

struct SetterRow {
    const char* name;
    bool (ZFile::*set)(DWORD);
    DWORD (ZFile::*get)();
    DWORD value;
};

// clang-format off
const SetterRow kSetters[] = {
    {"access", &ZFile::SetAccess, &ZFile::GetAccess, GENERIC_READ},
    {"share_mode", &ZFile::SetShareMode, &ZFile::GetShareMode, FILE_SHARE_READ},
    {"attributes", &ZFile::SetAttributes, &ZFile::GetAttributes, FILE_ATTRIBUTE_READONLY},
};
// clang-format on

TEST_F(ZFileStateTest, SettersAreRefusedWhileOpenAndStoreWhenClosed)
{
    for (const SetterRow& row : kSetters) {
        SCOPED_TRACE(row.name);
        ZFile file(Path("setters").c_str());
        ASSERT_EQ(file.Open(OPEN_ALWAYS), 0u);
        DWORD before = (file.*row.get)();
        EXPECT_FALSE((file.*row.set)(row.value));
        EXPECT_EQ((file.*row.get)(), before);
        file.Close();
        EXPECT_TRUE((file.*row.set)(row.value));
        EXPECT_EQ((file.*row.get)(), row.value);
    }
}

TEST_F(ZFileStateTest, AccessSetWhileClosedIsUsedAtTheNextOpen)
{
    WriteBytes(Path("data"), "abc");
    ZFile file(Path("data").c_str());
    ASSERT_TRUE(file.SetAccess(GENERIC_READ));
    ASSERT_EQ(file.Open(OPEN_EXISTING), 0u);
    EXPECT_EQ(file.WriteString("zz"), 0u) << "a read-only handle must refuse the write";
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 3u);
    file.Close();
    EXPECT_EQ(ReadBytes(Path("data")), "abc");
}

// ---- Sharing between objects ----

using ZFileSharingTest = ZFileTest;

TEST_F(ZFileSharingTest, SecondOpenerIsRefusedUntilTheFirstIsClosedOrDestroyed)
{
    using Release = std::function<void(std::unique_ptr<ZFile>&)>;
    const struct {
        const char* how;
        Release release;
    } rows[] = {
        {"close", [](std::unique_ptr<ZFile>& f) { f->Close(); }},
        {"destruction", [](std::unique_ptr<ZFile>& f) { f.reset(); }},
    };
    std::string path = Path("shared");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.how);
        auto first = std::make_unique<ZFile>(path.c_str());
        ASSERT_EQ(first->Open(OPEN_ALWAYS), 0u);
        ZFile second(path.c_str());
        EXPECT_EQ(second.Open(OPEN_EXISTING), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(second.IsOpen(), 0);
        row.release(first);
        EXPECT_EQ(second.Open(OPEN_EXISTING), 0u);
        EXPECT_EQ(second.IsOpen(), 1);
    }
}

TEST_F(ZFileSharingTest, ShareModeSetWhileClosedIsUsedAtTheNextOpen)
{
    std::string path = Path("shared");
    const DWORD readWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;
    ZFile first(path.c_str());
    ASSERT_TRUE(first.SetShareMode(readWrite));
    ASSERT_EQ(first.Open(OPEN_ALWAYS), 0u);
    ZFile second(path.c_str());
    ASSERT_TRUE(second.SetShareMode(readWrite));
    EXPECT_EQ(second.Open(OPEN_EXISTING), 0u);
}

TEST_F(ZFileSharingTest, OpenTwiceClosesTheFirstHandleBeforeMakingTheSecond)
{
    std::string path = Path("twice");
    ZFile file(path.c_str());
    ASSERT_EQ(file.Open(OPEN_ALWAYS), 0u);
    // Without sharing, the second CreateFileA succeeds only if the first handle is gone.
    EXPECT_EQ(file.Open(OPEN_EXISTING), 0u);
    file.Close();
    ZFile other(path.c_str());
    EXPECT_EQ(other.Open(OPEN_EXISTING), 0u) << "a handle of the first Open leaked";
}

TEST_F(ZFileSharingTest, FailedOpenOfAMissingFileLeavesTheObjectClosed)
{
    ZFile file(Path("present").c_str());
    ASSERT_EQ(file.Open(CREATE_NEW), 0u);
    file.SetName(Path("missing").c_str());
    EXPECT_EQ(file.Open(OPEN_EXISTING), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(file.IsOpen(), 0);
    EXPECT_EQ(file.GetHandle(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Exists(Path("missing")));
    ZFile other(Path("present").c_str());
    EXPECT_EQ(other.Open(OPEN_EXISTING), 0u) << "the earlier handle was not closed";
}

// ---- Reading, writing and positioning ----

using ZFileDataTest = ZFileTest;

struct WriteRow {
    const char* name;
    std::function<DWORD(ZFile&)> write;
    std::string bytes;  // the file afterwards; its size is also the expected result
};

// clang-format off
const WriteRow kWrites[] = {
    {"int32_513", [](ZFile& f) { return f.WriteInt32(513); }, std::string("\x01\x02\x00\x00", 4)},
    {"int16_513", [](ZFile& f) { return f.WriteInt16(513); }, "\x01\x02"},
    {"int8_513", [](ZFile& f) { return f.WriteInt8(static_cast<char>(513)); }, "\x01"},
    {"string_crlf", [](ZFile& f) { return f.WriteString("line\r\n"); }, "line\r\n"},
    {"string_null", [](ZFile& f) { return f.WriteString(nullptr); }, ""},
    {"bytes_with_zero", [](ZFile& f) { return f.Write("a\0b", 3); }, std::string("a\0b", 3)},
};
// clang-format on

TEST_F(ZFileDataTest, WritesPutTheirBytesInLittleEndianOrder)
{
    for (const WriteRow& row : kWrites) {
        SCOPED_TRACE(row.name);
        std::string path = Path(row.name);
        ZFile file(path.c_str());
        ASSERT_EQ(file.Open(CREATE_NEW), 0u);
        EXPECT_EQ(row.write(file), row.bytes.size());
        file.Close();
        EXPECT_EQ(ReadBytes(path), row.bytes);
    }
}

struct ReadRow {
    const char* name;
    std::string content;
    // Reads into a destination pre-filled with 0x55 bytes; gives the count and the value.
    std::function<DWORD(ZFile&, unsigned&)> read;
    DWORD count;
    unsigned value;
};

DWORD ReadInt32(ZFile& f, unsigned& value)
{
    int v = 0x55555555;
    DWORD n = f.ReadInt32(&v);
    value = static_cast<unsigned>(v);
    return n;
}

DWORD ReadInt16(ZFile& f, unsigned& value)
{
    short v = 0x5555;
    DWORD n = f.ReadInt16(&v);
    value = static_cast<unsigned short>(v);
    return n;
}

DWORD ReadInt8(ZFile& f, unsigned& value)
{
    char v = 0x55;
    DWORD n = f.ReadInt8(&v);
    value = static_cast<unsigned char>(v);
    return n;
}

// clang-format off
const ReadRow kReads[] = {
    {"int32_whole", std::string("\x01\x02\x00\x00", 4), ReadInt32, 4, 513},
    {"int32_one_byte_left", "\xC3", ReadInt32, 1, 0xC3},
    {"int32_three_bytes_left", "\x01\x02\x03", ReadInt32, 3, 0x030201},
    {"int16_one_byte_left", "\xC3", ReadInt16, 1, 0xC3},
    {"int8_at_end", "", ReadInt8, 0, 0},
};
// clang-format on

TEST_F(ZFileDataTest, ReadsZeroTheDestinationAndFillItsLowBytes)
{
    for (const ReadRow& row : kReads) {
        SCOPED_TRACE(row.name);
        std::string path = Path(row.name);
        WriteBytes(path, row.content);
        ZFile file(path.c_str());
        ASSERT_EQ(file.Open(OPEN_EXISTING), 0u);
        unsigned value = 0;
        EXPECT_EQ(row.read(file, value), row.count);
        EXPECT_EQ(value, row.value);
    }
}

TEST_F(ZFileDataTest, SeekFromTheEndGivesTheSizeAndReadThereGivesNothing)
{
    std::string path = Path("seek");
    WriteBytes(path, "hello");
    ZFile file(path.c_str());
    ASSERT_EQ(file.Open(OPEN_EXISTING), 0u);

    LONG high = 0;  // the distance's high part in, the position's high part out
    EXPECT_EQ(file.Seek(0, &high, FILE_END), 5u);
    EXPECT_EQ(high, 0);
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);

    EXPECT_EQ(file.Seek(1, nullptr, FILE_BEGIN), 1u);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 4u);
    EXPECT_EQ(std::string(buffer, 4), "ello");
    EXPECT_EQ(file.Seek(-2, nullptr, FILE_CURRENT), 3u);
    EXPECT_NE(file.Flush(), 0);
}

FILETIME TimeOf(WORD year, WORD month, WORD day)
{
    SYSTEMTIME st = {};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = 4;
    st.wMinute = 5;
    st.wSecond = 6;
    FILETIME ft = {};
    EXPECT_TRUE(SystemTimeToFileTime(&st, &ft));
    return ft;
}

bool SameTime(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

TEST_F(ZFileDataTest, SetTimeThenGetTimeGivesTheSameTimes)
{
    ZFile file(Path("times").c_str());
    ASSERT_EQ(file.Open(CREATE_NEW), 0u);
    const FILETIME access = TimeOf(2002, 3, 4);
    const FILETIME write = TimeOf(2001, 2, 3);
    EXPECT_EQ(file.SetTime(nullptr, &access, &write), 0u);

    FILETIME creation = {}, gotAccess = {}, gotWrite = {};
    EXPECT_EQ(file.GetTime(&creation, &gotAccess, &gotWrite), 0u);
    EXPECT_TRUE(SameTime(gotAccess, access));
    EXPECT_TRUE(SameTime(gotWrite, write));
    FILETIME writeOnly = {};
    EXPECT_EQ(file.GetTime(nullptr, nullptr, &writeOnly), 0u);
    EXPECT_TRUE(SameTime(writeOnly, write));
}

// ---- Whole-file operations on the name ----

using ZFileNamesTest = ZFileTest;

TEST_F(ZFileNamesTest, MoveToTakesTheNewNameOnlyWhenItSucceeds)
{
    std::string from = Path("from"), taken = Path("taken"), to = Path("to");
    WriteBytes(from, "F");
    WriteBytes(taken, "T");
    ZFile file(from.c_str());

    EXPECT_EQ(file.MoveTo(taken.c_str()), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_STREQ(file.GetName(), from.c_str());
    EXPECT_EQ(ReadBytes(taken), "T");

    EXPECT_EQ(file.MoveTo(to.c_str()), 0u);
    EXPECT_STREQ(file.GetName(), to.c_str());
    EXPECT_FALSE(Exists(from));
    EXPECT_EQ(ReadBytes(to), "F");

    EXPECT_EQ(file.MoveTo(Path("no_such_dir\\x").c_str()), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_STREQ(file.GetName(), to.c_str());
}

TEST_F(ZFileNamesTest, RemoveWhileOpenLeavesTheObjectOpenOnItsHandle)
{
    std::string path = Path("busy");
    ZFile file(path.c_str());
    ASSERT_EQ(file.Open(CREATE_NEW), 0u);
    HANDLE before = file.GetHandle();

    // The handle was opened without delete sharing, so the platform refuses the delete.
    EXPECT_EQ(file.Remove(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(file.IsOpen(), 1);
    EXPECT_EQ(file.GetHandle(), before);
    EXPECT_EQ(file.WriteString("still"), 5u);

    file.Close();
    EXPECT_EQ(ReadBytes(path), "still");
    EXPECT_EQ(file.Remove(), 0u);
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(file.Remove(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_STREQ(file.GetName(), path.c_str());
}

TEST_F(ZFileNamesTest, CopyToHonoursFailIfExistsAndKeepsTheName)
{
    std::string source = Path("source"), target = Path("target"), fresh = Path("fresh");
    WriteBytes(source, "new\r\n");
    WriteBytes(target, "old");
    ZFile file(source.c_str());

    EXPECT_EQ(file.CopyTo(target.c_str(), true), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(file.CopyTo(target.c_str(), false), 0u);
    EXPECT_EQ(ReadBytes(target), "new\r\n");
    EXPECT_EQ(file.CopyTo(fresh.c_str(), true), 0u);
    EXPECT_EQ(ReadBytes(fresh), "new\r\n");
    EXPECT_STREQ(file.GetName(), source.c_str());
    EXPECT_EQ(file.IsOpen(), 0);
}

// ---- A closed object reaches the platform and returns its failure ----

using ZFileClosedTest = ZFileTest;

struct ClosedRow {
    const char* name;
    std::function<DWORD(ZFile&)> call;
    DWORD expected;
};

const FILETIME kSomeTime = {1, 1};

// clang-format off
const ClosedRow kClosedCalls[] = {
    {"write", [](ZFile& f) { return f.Write("x", 1); }, 0},
    {"write_string", [](ZFile& f) { return f.WriteString("x"); }, 0},
    {"write_int32", [](ZFile& f) { return f.WriteInt32(1); }, 0},
    {"read", [](ZFile& f) { char b[4]; return f.Read(b, sizeof b); }, 0},
    {"read_int32", [](ZFile& f) { unsigned v; return ReadInt32(f, v) + v; }, 0},
    {"flush", [](ZFile& f) { return static_cast<DWORD>(f.Flush()); }, 0},
    {"seek", [](ZFile& f) { return f.Seek(0, nullptr, FILE_BEGIN); }, INVALID_SET_FILE_POINTER},
    {"get_time", [](ZFile& f) { FILETIME t; return f.GetTime(nullptr, nullptr, &t); },
     ERROR_INVALID_HANDLE},
    {"set_time", [](ZFile& f) { return f.SetTime(nullptr, nullptr, &kSomeTime); },
     ERROR_INVALID_HANDLE},
    {"write_formatted", [](ZFile& f) { return static_cast<DWORD>(f.WriteFormatted("x%d", 1)); }, 0},
};
// clang-format on

TEST_F(ZFileClosedTest, HandleOperationsReturnThePlatformsFailureAndCreateNothing)
{
    std::string path = Path("never_opened");
    for (const ClosedRow& row : kClosedCalls) {
        SCOPED_TRACE(row.name);
        ZFile file(path.c_str());
        EXPECT_EQ(row.call(file), row.expected);
        EXPECT_EQ(file.IsOpen(), 0);
    }
    EXPECT_FALSE(Exists(path));
}

// ---- Formatted writes ----

using ZFileFormattedTest = ZFileTest;

TEST_F(ZFileFormattedTest, NullFormatGives87AndLeavesTheFileUnchanged)
{
    std::string path = Path("keep");
    WriteBytes(path, "keep");
    ZFile file(path.c_str());
    ASSERT_EQ(file.Open(OPEN_EXISTING), 0u);
    EXPECT_EQ(file.WriteFormatted(nullptr), ERROR_INVALID_PARAMETER);
    file.Close();
    EXPECT_EQ(ReadBytes(path), "keep");
}

struct FormattedRow {
    const char* name;
    std::function<int(ZFile&)> write;
    std::string bytes;  // the file afterwards; its size is also the expected result
};

const std::string kLongText(1000, 'L');
const std::string kTooLongText(1500, 'T');
const wchar_t kWide[] = L"wide text";

// The estimate is short for every row from "negative_ten_digits" on; the file must still get
// the whole text.
// clang-format off
const FormattedRow kFormatted[] = {
    {"plain_text", [](ZFile& f) { return f.WriteFormatted("plain text\r\n"); }, "plain text\r\n"},
    {"decimal_then_string", [](ZFile& f) { return f.WriteFormatted("%d-%s", 12, "ab"); }, "12-ab"},
    {"negative_ten_digits", [](ZFile& f) { return f.WriteFormatted("%d", -2147483647); },
     "-2147483647"},
    {"null_string", [](ZFile& f) { return f.WriteFormatted("<%s>", static_cast<char*>(nullptr)); },
     "<(null)>"},
    {"wide_string", [](ZFile& f) { return f.WriteFormatted("%S", kWide); }, "wide text"},
    {"long_string", [](ZFile& f) { return f.WriteFormatted("%s.", kLongText.c_str()); },
     kLongText + "."},
    // The platform formatter stops at 1023 bytes; the write must stay within its buffer and
    // report what reached the file.
    {"beyond_the_formatter_limit",
     [](ZFile& f) { return f.WriteFormatted("%s", kTooLongText.c_str()); },
     kTooLongText.substr(0, 1023)},
};
// clang-format on

TEST_F(ZFileFormattedTest, WritesTheWholeFormattedTextAndReturnsItsLength)
{
    for (const FormattedRow& row : kFormatted) {
        SCOPED_TRACE(row.name);
        std::string path = Path(row.name);
        ZFile file(path.c_str());
        ASSERT_EQ(file.Open(CREATE_NEW), 0u);
        EXPECT_EQ(row.write(file), static_cast<int>(row.bytes.size()));
        file.Close();
        EXPECT_EQ(ReadBytes(path), row.bytes);
    }
}

// Every heap of the process passes the platform's own consistency check.
bool HeapsIntact()
{
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapValidate(heaps[i], 0, nullptr)) return false;
    }
    return count > 0;
}

// The estimate sizes the buffer, through the table; one of a single byte would let the
// formatter, which takes no size, run far past it.
class OneByteEstimate : public ZFile {
public:
    using ZFile::ZFile;
    int EstimateFormattedLength(const char*, va_list) override
    {
        ++calls;
        return 1;
    }
    int calls = 0;
};

TEST_F(ZFileFormattedTest, HeapOverrunOnShortEstimate)
{
    std::string path = Path("short_estimate");
    const std::string text(900, 'x');
    OneByteEstimate file(path.c_str());
    ASSERT_EQ(file.Open(CREATE_NEW), 0u);
    EXPECT_EQ(file.WriteFormatted("%s|%d", text.c_str(), -2147483647), 912);
    EXPECT_EQ(file.calls, 1);
    EXPECT_TRUE(HeapsIntact());
    file.Close();
    EXPECT_EQ(ReadBytes(path), text + "|-2147483647");
}

}  // namespace
