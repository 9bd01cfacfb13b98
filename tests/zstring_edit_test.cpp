// Comparison, access, search and in-place edits of ZString.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/zstring_probe.h"

namespace {

// A string built from a row: null means no buffer, otherwise an exact-fit copy.
ZStringProbe Make(const char* text) { return text ? ZStringProbe(text, 0x7FFFFFFF) : ZStringProbe(); }

struct OrderRow {
    const char* name;
    const char* left;
    const char* right;
    int order;  // <0, 0, >0
};

class ZStringOrder : public testing::TestWithParam<OrderRow> {};

TEST_P(ZStringOrder, AllFourTestsAgree)
{
    const OrderRow& row = GetParam();
    ZStringProbe left = Make(row.left);
    ZStringProbe right = Make(row.right);
    EXPECT_EQ(left.LessThan(right), row.order < 0);
    EXPECT_EQ(left.GreaterThan(right), row.order > 0);
    EXPECT_EQ(left.LessOrEqual(right), row.order <= 0);
    EXPECT_EQ(left.GreaterOrEqual(right), row.order >= 0);
    EXPECT_EQ(left.EqualsString(right), row.order == 0);
    EXPECT_EQ(left.DiffersString(right), row.order != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ZStringOrder,
    testing::Values(OrderRow{"last_byte", "abc", "abd", -1}, OrderRow{"prefix", "ab", "abc", -1},
                    OrderRow{"longer", "abc", "ab", 1}, OrderRow{"same", "abc", "abc", 0},
                    OrderRow{"high_byte_after_z", "\xE9", "z", 1}, OrderRow{"case_differs", "ABC", "abc", -1},
                    // A string without a buffer orders as the empty text does.
                    OrderRow{"none_before_text", nullptr, "a", -1}, OrderRow{"text_after_none", "a", nullptr, 1},
                    OrderRow{"none_equals_empty", nullptr, "", 0}, OrderRow{"empty_equals_none", "", nullptr, 0},
                    OrderRow{"none_equals_none", nullptr, nullptr, 0}, OrderRow{"empty_before_text", "", "a", -1}),
    [](const testing::TestParamInfo<OrderRow>& info) { return info.param.name; });

TEST(ZStringOrder, SortsConsistentlyWithBothEmptyForms)
{
    ZStringProbe b = Make("b"), empty = Make(""), a = Make("a"), ab = Make("ab"), none;
    std::vector<ZStringProbe*> items = {&b, &empty, &a, &none, &ab};
    std::sort(items.begin(), items.end(), [](ZStringProbe* x, ZStringProbe* y) { return x->LessThan(*y); });
    std::string order;
    for (ZStringProbe* s : items) order += std::string("[") + s->CStr() + "]";
    EXPECT_EQ(order, "[][][a][ab][b]");
}

TEST(ZStringEquals, NullAndEmptyTexts)
{
    ZStringProbe none;
    ZStringProbe empty("", 1);
    ZStringProbe abc("abc", 3);
    EXPECT_TRUE(none.Equals(nullptr));
    EXPECT_TRUE(none.Equals(""));
    EXPECT_TRUE(empty.Equals(nullptr));
    EXPECT_TRUE(empty.Equals(""));
    EXPECT_FALSE(abc.Equals(nullptr));
    EXPECT_FALSE(abc.Equals(""));
    EXPECT_TRUE(abc.Equals("abc"));
    EXPECT_FALSE(abc.Equals("ABC"));
    EXPECT_TRUE(abc.Differs("abd"));
    EXPECT_FALSE(none.Differs(""));
}

TEST(ZStringAccess, AtInRangeWritesThrough)
{
    ZStringProbe s("abc", 3);
    s.At(1) = 'X';
    EXPECT_STREQ(s.CStr(), "aXc");
    EXPECT_EQ(s.Length(), 3);
}

TEST(ZStringAccess, AtFallbackReadsZeroEveryTime)
{
    ZStringProbe s("abc", 3);
    ZStringProbe none;
    s.At(3) = 'Q';  // a careless caller writes through the fallback
    EXPECT_EQ(s.At(3), 0);
    EXPECT_EQ(s.At(static_cast<unsigned int>(-1)), 0);
    none.At(0) = 'Z';
    EXPECT_EQ(none.At(0), 0);
    EXPECT_STREQ(s.CStr(), "abc");
}

TEST(ZStringAccess, TextAtAndIsEmpty)
{
    ZStringProbe s("abcdef", 6);
    EXPECT_STREQ(s.TextAt(2), "cdef");
    EXPECT_STREQ(s.TextAt(6), "");
    EXPECT_STREQ(s.TextAt(static_cast<unsigned int>(-1)), "");
    EXPECT_STREQ(ZStringProbe().TextAt(0), "");
    EXPECT_TRUE(ZStringProbe().IsEmpty());
    EXPECT_TRUE(ZStringProbe("", 1).IsEmpty());
    EXPECT_FALSE(s.IsEmpty());
}

struct FindRow {
    const char* name;
    const char* text;  // null: no buffer
    int (*find)(ZStringProbe& s);
    int expected;
};

class ZStringFind : public testing::TestWithParam<FindRow> {};

TEST_P(ZStringFind, Position)
{
    ZStringProbe s = Make(GetParam().text);
    EXPECT_EQ(GetParam().find(s), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ZStringFind,
    testing::Values(FindRow{"char_first", "abcabc", [](ZStringProbe& s) { return s.FindChar('c'); }, 2},
                    FindRow{"char_missing", "abc", [](ZStringProbe& s) { return s.FindChar('z'); }, -1},
                    FindRow{"char_zero", "abc", [](ZStringProbe& s) { return s.FindChar(0); }, -1},
                    FindRow{"char_no_buffer", nullptr, [](ZStringProbe& s) { return s.FindChar('a'); }, -1},
                    FindRow{"from_start", "abcabc", [](ZStringProbe& s) { return s.FindCharFrom('a', 1); }, 3},
                    FindRow{"from_length", "abc", [](ZStringProbe& s) { return s.FindCharFrom('a', 3); }, -1},
                    FindRow{"from_negative", "abc", [](ZStringProbe& s) { return s.FindCharFrom('a', -1u); }, -1},
                    FindRow{"text", "hello world", [](ZStringProbe& s) { return s.Find("wor"); }, 6},
                    FindRow{"text_missing", "hello", [](ZStringProbe& s) { return s.Find("xyz"); }, -1},
                    FindRow{"text_null", "hello", [](ZStringProbe& s) { return s.Find(nullptr); }, -1},
                    FindRow{"empty_text", "hello", [](ZStringProbe& s) { return s.Find(""); }, 0},
                    FindRow{"empty_in_empty", "", [](ZStringProbe& s) { return s.Find(""); }, 0},
                    FindRow{"empty_no_buffer", nullptr, [](ZStringProbe& s) { return s.Find(""); }, -1}),
    [](const testing::TestParamInfo<FindRow>& info) { return info.param.name; });

struct EditRow {
    const char* name;
    const char* text;
    bool (*edit)(ZStringProbe& s);
    bool result;
    const char* after;
    int capacity;  // 0: not checked
};

class ZStringEdit : public testing::TestWithParam<EditRow> {};

TEST_P(ZStringEdit, ResultTextAndCapacity)
{
    const EditRow& row = GetParam();
    ZStringProbe s = Make(row.text);
    EXPECT_EQ(row.edit(s), row.result);
    EXPECT_STREQ(s.CStr(), row.after);
    if (row.capacity != 0) {
        EXPECT_EQ(s.Capacity(), row.capacity);
    }
    s.ExpectInvariants();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ZStringEdit,
    testing::Values(
        EditRow{"insert_at_end_appends", "abcdef", [](ZStringProbe& s) { return s.Insert("XY", 6); }, true, "abcdefXY",
                18},
        EditRow{"insert_past_end", "abcdef", [](ZStringProbe& s) { return s.Insert("XY", 7); }, false, "abcdef", 7},
        EditRow{"insert_negative", "abcdef", [](ZStringProbe& s) { return s.Insert("XY", -1); }, false, "abcdef", 7},
        EditRow{"insert_inside", "abcdef", [](ZStringProbe& s) { return s.Insert("XY", 2); }, true, "abXYcdef", 9},
        EditRow{"insert_front", "abc", [](ZStringProbe& s) { return s.Insert("X", 0); }, true, "Xabc", 5},
        EditRow{"insert_null", "abc", [](ZStringProbe& s) { return s.Insert(nullptr, 0); }, false, "abc", 4},
        EditRow{"insert_empty_refits", "abc", [](ZStringProbe& s) { return s.Insert("", 1); }, true, "abc", 4},
        EditRow{"insert_own_text", "abcd", [](ZStringProbe& s) { return s.Insert(s.CStr() + 2, 1); }, true, "acdbcd",
                7},
        EditRow{"insert_into_none", nullptr, [](ZStringProbe& s) { return s.Insert("ab", 0); }, true, "ab", 6},
        EditRow{"delete_to_end", "abcdef", [](ZStringProbe& s) { return s.Delete(2, 100); }, true, "ab", 7},
        EditRow{"delete_middle", "abcdef", [](ZStringProbe& s) { return s.Delete(1, 2); }, true, "adef", 7},
        EditRow{"delete_at_length", "abcdef", [](ZStringProbe& s) { return s.Delete(6, 1); }, false, "abcdef", 7},
        EditRow{"delete_negative_pos", "abcdef", [](ZStringProbe& s) { return s.Delete(-1, 1); }, false, "abcdef", 7},
        EditRow{"delete_negative_count", "abcdef", [](ZStringProbe& s) { return s.Delete(2, -3); }, false, "abcdef", 7},
        EditRow{"delete_huge_count", "abcdef", [](ZStringProbe& s) { return s.Delete(3, 0x7FFFFFFF); }, true, "abc", 7},
        EditRow{"delete_zero_count", "abcdef", [](ZStringProbe& s) { return s.Delete(3, 0); }, true, "abcdef", 7},
        EditRow{"delete_no_buffer", nullptr, [](ZStringProbe& s) { return s.Delete(0, 1); }, false, "", 0},
        EditRow{"delete_empty", "", [](ZStringProbe& s) { return s.Delete(0, 1); }, false, "", 1}),
    [](const testing::TestParamInfo<EditRow>& info) { return info.param.name; });

struct SubstringRow {
    const char* name;
    int pos;
    int count;
    const char* text;  // null: no buffer
};

class ZStringSubstring : public testing::TestWithParam<SubstringRow> {};

TEST_P(ZStringSubstring, OfAbcdef)
{
    const SubstringRow& row = GetParam();
    ZStringProbe s("abcdef", 6);
    ZStringProbe part(s.Substring(row.pos, row.count));
    if (row.text == nullptr) {
        EXPECT_EQ(part.Buffer(), nullptr);
    } else {
        EXPECT_STREQ(part.CStr(), row.text);
        EXPECT_EQ(part.Capacity(), static_cast<int>(strlen(row.text)) + 1);
    }
    EXPECT_STREQ(s.CStr(), "abcdef");
}

INSTANTIATE_TEST_SUITE_P(Rows, ZStringSubstring,
                         testing::Values(SubstringRow{"middle", 2, 3, "cde"}, SubstringRow{"past_end", 4, 10, "ef"},
                                         SubstringRow{"at_length", 6, 1, nullptr},
                                         SubstringRow{"zero_count", 1, 0, nullptr},
                                         SubstringRow{"negative_count", 1, -2, nullptr},
                                         SubstringRow{"negative_pos", -1, 3, nullptr},
                                         SubstringRow{"whole", 0, 6, "abcdef"}),
                         [](const testing::TestParamInfo<SubstringRow>& info) { return info.param.name; });

TEST(ZStringEdit, ReverseCountsSwaps)
{
    ZStringProbe odd("abcde", 5);
    EXPECT_EQ(odd.Reverse(), 2);
    EXPECT_STREQ(odd.CStr(), "edcba");
    ZStringProbe even("ab", 2);
    EXPECT_EQ(even.Reverse(), 1);
    EXPECT_STREQ(even.CStr(), "ba");
    ZStringProbe one("a", 1);
    EXPECT_EQ(one.Reverse(), 0);
    EXPECT_EQ(ZStringProbe().Reverse(), 0);
}

TEST(ZStringEdit, CaseConversionTouchesAsciiLettersOnly)
{
    ZStringProbe s("aBc1\xE9", 5);
    EXPECT_EQ(s.MakeUpper(), 2);
    EXPECT_STREQ(s.CStr(), "ABC1\xE9");
    EXPECT_EQ(s.MakeLower(), 3);
    EXPECT_STREQ(s.CStr(), "abc1\xE9");
    EXPECT_EQ(ZStringProbe().MakeUpper(), 0);
}

struct NumberRow {
    const char* name;
    const char* text;
    int asLong;
    double asDouble;
};

class ZStringNumber : public testing::TestWithParam<NumberRow> {};

TEST_P(ZStringNumber, LeadingValue)
{
    ZStringProbe s = Make(GetParam().text);
    EXPECT_EQ(s.ToLong(), GetParam().asLong);
    EXPECT_DOUBLE_EQ(s.ToDouble(), GetParam().asDouble);
}

INSTANTIATE_TEST_SUITE_P(Rows, ZStringNumber,
                         testing::Values(NumberRow{"signed_with_tail", "  -42abc", -42, -42.0},
                                         NumberRow{"plus", "\t+17", 17, 17.0},
                                         // 12345678901 mod 2^32 = 3755744309, read as signed.
                                         NumberRow{"wraps_modulo_2_32", "12345678901", -539222987, 12345678901.0},
                                         NumberRow{"exponent", "3.5e2", 3, 350.0},
                                         NumberRow{"no_digits", "abc", 0, 0.0}, NumberRow{"empty", "", 0, 0.0},
                                         NumberRow{"no_buffer", nullptr, 0, 0.0},
                                         NumberRow{"int_min", "-2147483648", -2147483647 - 1, -2147483648.0}),
                         [](const testing::TestParamInfo<NumberRow>& info) { return info.param.name; });

struct TrimRow {
    const char* name;
    const char* text;
    int (*trim)(ZStringProbe& s);
    int removed;
    const char* after;
};

class ZStringTrim : public testing::TestWithParam<TrimRow> {};

TEST_P(ZStringTrim, RemovesAndCounts)
{
    const TrimRow& row = GetParam();
    ZStringProbe s = Make(row.text);
    int capacity = s.Capacity();
    EXPECT_EQ(row.trim(s), row.removed);
    EXPECT_STREQ(s.CStr(), row.after);
    EXPECT_EQ(s.Capacity(), capacity);
    s.ExpectInvariants();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ZStringTrim,
    testing::Values(
        // Bytes from 0x80 up are letters in ANSI code pages and never blank.
        TrimRow{"left_keeps_high_bytes", "\t\x85 abc", [](ZStringProbe& s) { return s.TrimLeft(false); }, 1,
                "\x85 abc"},
        TrimRow{"right_keeps_high_bytes", "caf\xE9", [](ZStringProbe& s) { return s.Trim(false); }, 0, "caf\xE9"},
        TrimRow{"left_spaces_only", "  \tabc", [](ZStringProbe& s) { return s.TrimLeft(true); }, 2, "\tabc"},
        TrimRow{"right_controls", "abc \r\n", [](ZStringProbe& s) { return s.TrimRight(false); }, 3, "abc"},
        TrimRow{"right_spaces_only", "abc\t ", [](ZStringProbe& s) { return s.TrimRight(true); }, 1, "abc\t"},
        // A text blank throughout loses every byte, its first included.
        TrimRow{"right_all_blank", "   ", [](ZStringProbe& s) { return s.TrimRight(true); }, 3, ""},
        TrimRow{"right_one_blank_byte", " ", [](ZStringProbe& s) { return s.TrimRight(false); }, 1, ""},
        TrimRow{"both_all_blank", "   ", [](ZStringProbe& s) { return s.Trim(true); }, 3, ""},
        TrimRow{"both_ends", " \tab c\n", [](ZStringProbe& s) { return s.Trim(false); }, 3, "ab c"},
        TrimRow{"char_both", "xxabcxx", [](ZStringProbe& s) { return s.TrimChar('x'); }, 4, "abc"},
        TrimRow{"char_right_all", "xxx", [](ZStringProbe& s) { return s.TrimRightChar('x'); }, 3, ""},
        TrimRow{"char_left", "xxabx", [](ZStringProbe& s) { return s.TrimLeftChar('x'); }, 2, "abx"},
        TrimRow{"char_zero", "abc", [](ZStringProbe& s) { return s.TrimChar(0); }, 0, "abc"},
        TrimRow{"no_buffer", nullptr, [](ZStringProbe& s) { return s.Trim(false); }, 0, ""}),
    [](const testing::TestParamInfo<TrimRow>& info) { return info.param.name; });

TEST(ZStringTrim, AllBlankEndsAsTheAllocatedEmptyText)
{
    ZStringProbe s("  ", 2);
    s.TrimRight(true);
    EXPECT_NE(s.Buffer(), nullptr);
    EXPECT_EQ(s.Length(), 0);
}

// A derived class whose Length reports at most two bytes: the edits must ask it.
class ShortLength : public ZString {
public:
    using ZString::ZString;
    int Length() override { return ZString::Length() > 2 ? 2 : ZString::Length(); }
};

class CountingAppend : public ZString {
public:
    using ZString::ZString;
    int appends = 0;
    void Append(const char* text) override
    {
        ++appends;
        ZString::Append(text);
    }
};

TEST(ZStringEdit, EditsCallTheirPeersThroughTheTable)
{
    ShortLength s("abcdef", 100);
    EXPECT_FALSE(s.Delete(3, 1));  // out of the overridden length
    EXPECT_FALSE(s.Insert("X", 3));
    EXPECT_TRUE(s.Insert("X", 1));  // copies Length() bytes around the insert
    EXPECT_STREQ(s.CStr(), "aXb");

    CountingAppend c("ab", 2);
    c.Insert("cd", 2);
    EXPECT_EQ(c.appends, 1);
    ZString joined(c.Concat("e"));
    EXPECT_STREQ(joined.CStr(), "abcde");
}

}  // namespace
