// The formatted operations with every length modifier: ZString::Format against the C
// library's snprintf on formats generated from fixed seeds (fuzz/formatcase.h), and what
// ZFile::WriteFormatted writes. Under Wine on i686 an argument read at the wrong size puts
// every later string conversion on the wrong bytes: a crash here, or a different text.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>

#include "fuzz/formatcase.h"
#ifdef _WIN32
#include <windows.h>

#include "foundation/zfile.h"
#endif

namespace {

struct SeededChoices {
    std::mt19937_64 random;

    int Range(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    uint64_t Bits() { return random(); }
};

TEST(FormatDifferential, FormatMatchesSnprintfOnGeneratedFormats)
{
    SeededChoices choices{std::mt19937_64(20261208)};
    for (int n = 0; n < 5000; ++n) {
        formatcase::FormatCase c;
        formatcase::Generate(choices, c);
        const char* fault = formatcase::Check(c);
        ASSERT_EQ(fault, nullptr) << fault << " for case " << n << ", format \"" << c.format << '"';
    }
}

#ifdef _WIN32
struct WrittenRow {
    const char* name;
    std::function<int(ZFile&)> write;
    std::string bytes;  // the file afterwards; its size is also the expected result
};

// Inside the platform formatter's subset (I64) and beyond it: modifiers, '+', '*', floating
// point, a zero string precision.
// clang-format off
const WrittenRow kWrittenRows[] = {
    {"size_then_string",
     [](ZFile& f) { return f.WriteFormatted("%zu items in %s", size_t{3}, "box"); },
     "3 items in box"},
    {"long_long_then_string",
     [](ZFile& f) { return f.WriteFormatted("%lld|%s", 0x100000001LL, "ab"); }, "4294967297|ab"},
    {"int64_then_string",
     [](ZFile& f) { return f.WriteFormatted("%I64d|%s", 0x100000001LL, "ab"); }, "4294967297|ab"},
    {"sign_and_star", [](ZFile& f) { return f.WriteFormatted("%+d|%*s", 5, 4, "ab"); }, "+5|  ab"},
    {"doubles", [](ZFile& f) { return f.WriteFormatted("%.2f|%Lg|%s", 2.5, 0.25L, "ab"); },
     "2.50|0.25|ab"},
    {"zero_precision", [](ZFile& f) { return f.WriteFormatted("<%.0s>", "ab"); }, "<>"},
};
// clang-format on

TEST(WriteFormatted, WritesWhatTheCLibraryFormatsForEveryModifier)
{
    char folder[MAX_PATH];
    char path[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
    for (const WrittenRow& row : kWrittenRows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(GetTempFileNameA(folder, "zfw", 0, path), 0u);
        ZFile file(path);
        ASSERT_EQ(file.Open(TRUNCATE_EXISTING), 0u);
        EXPECT_EQ(row.write(file), static_cast<int>(row.bytes.size()));
        file.Close();
        std::ifstream written(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), row.bytes);
        written.close();
        DeleteFileA(path);
    }
}
#endif

}  // namespace
