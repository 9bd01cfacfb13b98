// UniqueAny on real kernel handles (unnamed events): after each operation, the handles that
// must be closed are, as Windows tells: GetHandleInformation fails with ERROR_INVALID_HANDLE
// on a closed handle. No other handle is made in between, so a closed value is not reused.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "helpers/uniqueany.h"

namespace {

bool IsOpen(HANDLE handle)
{
    DWORD flags = 0;
    if (GetHandleInformation(handle, &flags)) return true;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    return false;
}

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

enum class Holds { kNone, kA, kB };

struct OwnerCase {
    const char* name;
    // One operation, first owning an event a and second an event b.
    std::function<void(UniqueHandle& first, UniqueHandle& second)> operation;
    bool aOpen;
    bool bOpen;
    Holds firstHolds;  // afterwards
};

const OwnerCase kCases[] = {
    {"ResetClosesWhatItOwned", [](UniqueHandle& first, UniqueHandle&) { first.Reset(); }, false, true, Holds::kNone},
    {"ResetToAnotherClosesWhatItOwned",
     [](UniqueHandle& first, UniqueHandle& second) { first.Reset(second.Release()); }, false, true, Holds::kB},
    {"ReleaseLeavesItOpen", [](UniqueHandle& first, UniqueHandle&) { first.Release(); }, true, true, Holds::kNone},
    {"PutClosesWhatItOwned", [](UniqueHandle& first, UniqueHandle&) { first.Put(); }, false, true, Holds::kNone},
    {"MoveOntoClosesWhatItOwned", [](UniqueHandle& first, UniqueHandle& second) { first = std::move(second); }, false,
     true, Holds::kB},
    {"MoveOntoItselfKeepsIt",
     [](UniqueHandle& first, UniqueHandle&) {
         UniqueHandle& same = first;
         first = std::move(same);
     },
     true, true, Holds::kA},
    {"MovedOwnerClosesItWhereItWent", [](UniqueHandle& first, UniqueHandle&) { UniqueHandle taken(std::move(first)); },
     false, true, Holds::kNone},
};

class UniqueHandleOwner : public ::testing::TestWithParam<OwnerCase> {};

TEST_P(UniqueHandleOwner, ClosesExactlyWhatItNoLongerOwns)
{
    const OwnerCase& row = GetParam();
    const HANDLE a = NewEvent();
    const HANDLE b = NewEvent();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    {
        UniqueHandle first(a);
        UniqueHandle second(b);
        row.operation(first, second);
        EXPECT_EQ(IsOpen(a), row.aOpen);
        EXPECT_EQ(IsOpen(b), row.bOpen);
        EXPECT_EQ(first.Get(), row.firstHolds == Holds::kA ? a : row.firstHolds == Holds::kB ? b : nullptr);
        first.Release();
        second.Release();
    }
    if (row.aOpen) CloseHandle(a);
    if (row.bOpen) CloseHandle(b);
}

INSTANTIATE_TEST_SUITE_P(Helpers, UniqueHandleOwner, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<OwnerCase>& info) { return info.param.name; });

TEST(UniqueHandleOwnerEnd, ClosesWhatItOwnsWhenItGoes)
{
    const HANDLE event = NewEvent();
    ASSERT_NE(event, nullptr);
    {
        const UniqueHandle owner(event);
    }
    EXPECT_FALSE(IsOpen(event));
}

TEST(UniqueFileOwner, InvalidHandleValueIsEmpty)
{
    UniqueFile none(CreateFileW(L"Z:\\no\\such\\folder\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(none);
    EXPECT_EQ(none.Release(), INVALID_HANDLE_VALUE);
}

}  // namespace
