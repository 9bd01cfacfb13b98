// Construction, assignment, copying and the two empty forms of ZString.
#include <gtest/gtest.h>

#include "tests/zstring_probe.h"

namespace {

TEST(ZStringCore, DefaultHasNoBuffer)
{
    ZStringProbe s;
    EXPECT_EQ(s.Length(), 0);
    ASSERT_NE(s.CStr(), nullptr);
    EXPECT_STREQ(s.CStr(), "");
    EXPECT_EQ(s.Buffer(), nullptr);
    EXPECT_EQ(s.Capacity(), 0);
}

struct ByteConstructorRow {
    const char* name;
    const char* bytes;
    int maxCount;
    const char* text;  // null: no buffer
    int capacity;
};

class ZStringByteConstructor : public testing::TestWithParam<ByteConstructorRow> {};

TEST_P(ZStringByteConstructor, TakesAtMostMaxCountInAnExactFit)
{
    const ByteConstructorRow& row = GetParam();
    ZStringProbe s(row.bytes, row.maxCount);
    EXPECT_EQ(s.Capacity(), row.capacity);
    if (row.text == nullptr) {
        EXPECT_EQ(s.Buffer(), nullptr);
    } else {
        EXPECT_STREQ(s.Buffer(), row.text);
        EXPECT_EQ(s.Length(), static_cast<int>(strlen(row.text)));
    }
    s.ExpectInvariants();
}

INSTANTIATE_TEST_SUITE_P(Rows, ZStringByteConstructor,
                         testing::Values(ByteConstructorRow{"prefix", "abcdef", 3, "abc", 4},
                                         ByteConstructorRow{"whole", "abcdef", 100, "abcdef", 7},
                                         ByteConstructorRow{"exact", "abcdef", 6, "abcdef", 7},
                                         ByteConstructorRow{"empty_text", "", 5, "", 1},
                                         ByteConstructorRow{"null", nullptr, 5, nullptr, 0},
                                         ByteConstructorRow{"zero_count", "abc", 0, nullptr, 0},
                                         ByteConstructorRow{"negative_count", "abc", -1, nullptr, 0}),
                         [](const testing::TestParamInfo<ByteConstructorRow>& info) { return info.param.name; });

TEST(ZStringCore, CopyConstructorKeepsTheEmptyForm)
{
    ZStringProbe none;
    ZStringProbe copyOfNone(none);
    EXPECT_EQ(copyOfNone.Buffer(), nullptr);

    ZStringProbe allocatedEmpty("", 5);
    ZStringProbe copyOfEmpty(allocatedEmpty);
    EXPECT_EQ(copyOfEmpty.Capacity(), 1);
    EXPECT_STREQ(copyOfEmpty.Buffer(), "");
}

TEST(ZStringCore, CopyIsDeepAndExact)
{
    ZStringProbe s;
    s.Allocate(40);
    s.Assign("abc");
    ZStringProbe copy(s);
    EXPECT_NE(copy.Buffer(), s.Buffer());
    EXPECT_STREQ(copy.CStr(), "abc");
    EXPECT_EQ(copy.Capacity(), 4);
    copy.Buffer()[0] = 'X';
    EXPECT_STREQ(s.CStr(), "abc");
}

TEST(ZStringCore, AssignTakesAnExactFitCopy)
{
    ZStringProbe s;
    s.Assign("");
    EXPECT_EQ(s.Capacity(), 1);
    EXPECT_EQ(s.Length(), 0);
    ASSERT_NE(s.Buffer(), nullptr);

    s.Assign("hello");
    EXPECT_EQ(s.Capacity(), 6);
    EXPECT_STREQ(s.CStr(), "hello");

    s.Assign(nullptr);
    EXPECT_EQ(s.Buffer(), nullptr);
    EXPECT_EQ(s.Capacity(), 0);
    s.ExpectInvariants();
}

TEST(ZStringCore, AssignFromItsOwnBuffer)
{
    ZStringProbe s("abcdef", 100);
    s.Assign(s.Buffer() + 2);
    EXPECT_STREQ(s.CStr(), "cdef");
    EXPECT_EQ(s.Capacity(), 5);
    s.Assign(s.Buffer());
    EXPECT_STREQ(s.CStr(), "cdef");
    s.ExpectInvariants();
}

TEST(ZStringCore, AssignStringDropsEitherEmptyForm)
{
    ZStringProbe allocatedEmpty("", 5);
    ZStringProbe target("xyz", 3);
    target.AssignString(allocatedEmpty);
    EXPECT_EQ(target.Buffer(), nullptr);
    EXPECT_EQ(target.Capacity(), 0);

    ZStringProbe source;
    source.Allocate(40);
    source.Assign("abc");
    target.AssignString(source);
    EXPECT_STREQ(target.CStr(), "abc");
    EXPECT_EQ(target.Capacity(), 4);
}

TEST(ZStringCore, AssignStringToItselfKeepsTheTextInAnExactFit)
{
    ZStringProbe s;
    s.Allocate(32);
    s.Append("self");
    s.AssignString(s);
    EXPECT_STREQ(s.CStr(), "self");
    EXPECT_EQ(s.Capacity(), 5);
}

TEST(ZStringCore, ClearReturnsToTheSharedEmptyText)
{
    ZStringProbe a("abc", 3);
    ZStringProbe b;
    a.Clear();
    EXPECT_EQ(a.Buffer(), nullptr);
    EXPECT_EQ(a.CStr(), b.CStr());
    EXPECT_STREQ(a.CStr(), "");
    a.Clear();
    EXPECT_EQ(a.Capacity(), 0);
}

TEST(ZStringCore, CloneIsAnExactFitHeapCopy)
{
    ZStringProbe s;
    s.Allocate(40);
    s.Append("abc");
    ASSERT_EQ(s.Capacity(), 40);
    ZString* clone = s.Clone();
    EXPECT_STREQ(clone->CStr(), "abc");
    EXPECT_NE(clone->Buffer(), s.Buffer());
    ZStringProbe probe(*clone);
    EXPECT_EQ(probe.Capacity(), 4);
    delete clone;
}

TEST(ZStringCore, LengthIsZeroWithoutABufferWhateverTheField)
{
    ZStringProbe s;
    s.SetFields(nullptr, 0, 7);
    EXPECT_EQ(s.Length(), 0);
    EXPECT_STREQ(s.CStr(), "");
}

// A derived class that reports a shorter Length: the class's own operations must ask it.
class ShortLength : public ZString {
public:
    using ZString::ZString;
    int Length() override { return ZString::Length() > 2 ? 2 : ZString::Length(); }
};

TEST(ZStringCore, OwnOperationsCallLengthThroughTheTable)
{
    ShortLength source("abcdef", 100);
    ZStringProbe assigned;
    assigned.AssignString(source);
    EXPECT_STREQ(assigned.CStr(), "ab");

    ZStringProbe copied(source);
    EXPECT_STREQ(copied.CStr(), "ab");
    EXPECT_EQ(copied.Capacity(), 3);
}

}  // namespace
