// Loading string resources: the 1024-byte steps, the exact fit afterwards, missing ids.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/resourcetext.h"
#include "tests/zstring_probe.h"

namespace {

const unsigned int kLong = 101;   // 1500 bytes
const unsigned int kStep = 102;   // 1023 bytes: exactly fills the first buffer
const unsigned int kShort = 103;  // "short text"
const unsigned int kMissing = 999;

// The same texts the resource script holds.
std::string Pattern(int n, int seed)
{
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string t;
    for (int i = 0; i < n; ++i) t += kAlphabet[(i * seed) % 62];
    return t;
}

class ResourceStrings : public testing::Test {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        instance = GetModuleHandleA(nullptr);
#else
        RegisterResourceText(kLong, Pattern(1500, 7).c_str());
        RegisterResourceText(kStep, Pattern(1023, 11).c_str());
        RegisterResourceText(kShort, "short text");
#endif
    }

    ZInstance instance = nullptr;
};

// Records the sizes LoadResourceString asks Allocate for.
class AllocationLog : public ZStringProbe {
public:
    std::vector<int> sizes;
    void Allocate(int size) override
    {
        sizes.push_back(size);
        ZString::Allocate(size);
    }
};

TEST_F(ResourceStrings, LongTextTakesTwoStepsThenFits)
{
    AllocationLog s;
    EXPECT_TRUE(s.LoadResourceString(instance, kLong));
    EXPECT_EQ(s.sizes, (std::vector<int>{1024, 2048}));
    EXPECT_EQ(s.Length(), 1500);
    EXPECT_EQ(s.Capacity(), 1501);
    EXPECT_EQ(std::string(s.CStr()), Pattern(1500, 7));
}

TEST_F(ResourceStrings, TextFillingTheFirstBufferIsReadAgain)
{
    AllocationLog s;
    EXPECT_TRUE(s.LoadResourceString(instance, kStep));
    EXPECT_EQ(s.sizes, (std::vector<int>{1024, 2048}));
    EXPECT_EQ(s.Length(), 1023);
    EXPECT_EQ(s.Capacity(), 1024);
    EXPECT_EQ(std::string(s.CStr()), Pattern(1023, 11));
}

TEST_F(ResourceStrings, ShortTextInOneStep)
{
    AllocationLog s;
    EXPECT_TRUE(s.LoadResourceString(instance, kShort));
    EXPECT_EQ(s.sizes, std::vector<int>{1024});
    EXPECT_STREQ(s.CStr(), "short text");
    EXPECT_EQ(s.Capacity(), 11);
}

TEST_F(ResourceStrings, MissingIdLeavesNoBuffer)
{
    ZStringProbe s("previous", 8);
    EXPECT_FALSE(s.LoadResourceString(instance, kMissing));
    EXPECT_EQ(s.Buffer(), nullptr);
    EXPECT_EQ(s.Capacity(), 0);
}

}  // namespace
