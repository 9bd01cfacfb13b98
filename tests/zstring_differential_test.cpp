// Random sequences of operations on a ZString and on a std::string side by side: the texts
// must agree and the invariants hold after every step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#include "tests/zstring_probe.h"

namespace {

class Differential {
public:
    explicit Differential(unsigned int seed) : random(seed) {}

    // Runs one random operation and describes it, for the failure message.
    std::string Step()
    {
        switch (Pick(0, 18)) {
        case 0: {
            std::string t = Text();
            s.Append(t.c_str());
            model += t;
            return "Append " + t;
        }
        case 1: {
            std::string t = Text();
            int n = Pick(-2, 8);
            s.AppendN(t.c_str(), n);
            model += t.substr(0, std::max(n, 0));
            return "AppendN";
        }
        case 2: {
            char c = static_cast<char>(Pick('a', 'z'));
            s.AppendChar(c);
            model += c;
            return "AppendChar";
        }
        case 3: {
            std::string t = Text();
            s.Assign(t.c_str());
            model = t;
            return "Assign " + t;
        }
        case 4: {
            int n = Pick(0, 40);
            s.Allocate(n);
            model.clear();
            return "Allocate";
        }
        case 5:
            s.Compact();
            return "Compact";
        case 6:
            return Format();
        case 7: {
            int from = Pick(0, 6);
            s.Append(s.TextAt(from));
            model += from < static_cast<int>(model.size()) ? model.substr(from) : "";
            return "Append self";
        }
        case 8: {
            std::string t = Text();
            int pos = Pick(-1, 12);
            bool ok = s.Insert(t.c_str(), pos);
            bool expect = pos >= 0 && pos <= static_cast<int>(model.size());
            EXPECT_EQ(ok, expect);
            if (expect) model.insert(pos, t);
            return "Insert";
        }
        case 9: {
            int pos = Pick(-1, 12), count = Pick(-1, 6);
            bool ok = s.Delete(pos, count);
            bool expect = pos >= 0 && count >= 0 && pos < static_cast<int>(model.size());
            EXPECT_EQ(ok, expect);
            if (expect) model.erase(pos, count);
            return "Delete";
        }
        case 10: {
            int pos = Pick(-1, 12), count = Pick(-1, 8);
            ZStringProbe part(s.Substring(pos, count));
            std::string expect =
                pos >= 0 && pos < static_cast<int>(model.size()) && count > 0 ? model.substr(pos, count) : "";
            EXPECT_EQ(std::string(part.CStr()), expect);
            part.ExpectInvariants();
            return "Substring";
        }
        case 11:
            s.Reverse();
            std::reverse(model.begin(), model.end());
            return "Reverse";
        case 12:
            s.MakeUpper();
            for (char& c : model)
                if (c >= 'a' && c <= 'z') c -= 0x20;
            return "MakeUpper";
        case 13:
            s.MakeLower();
            for (char& c : model)
                if (c >= 'A' && c <= 'Z') c += 0x20;
            return "MakeLower";
        case 14: {
            bool spacesOnly = Pick(0, 1) == 1;
            s.Trim(spacesOnly);
            TrimModel(spacesOnly ? " " : " \t");
            return "Trim";
        }
        case 15: {
            char c = Pick(0, 1) ? ' ' : 'a';
            s.TrimChar(c);
            TrimModel(std::string(1, c));
            return "TrimChar";
        }
        case 16: {
            ZStringProbe other(Text().c_str(), 100);
            std::string t = other.CStr();
            ZStringProbe joined(s.Concat(t.c_str()));
            EXPECT_EQ(std::string(joined.CStr()), model + t);
            return "Concat";
        }
        case 17: {
            ZStringProbe copy(s);
            s.AssignString(copy);
            return "AssignString";
        }
        default:
            s.Clear();
            model.clear();
            return "Clear";
        }
    }

    ZStringProbe s;
    std::string model;

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    std::string Text()
    {
        static const char kBytes[] = "ab xyzAB\t";
        std::string t;
        for (int n = Pick(0, 7); n > 0; --n) t += kBytes[Pick(0, 8)];
        return t;
    }

    std::string Format()
    {
        int value = Pick(-100000, 100000);
        std::string t = Text();
        char expect[128];
        std::snprintf(expect, sizeof expect, "%d|%s|%.2f", value, t.c_str(), value / 8.0);
        EXPECT_EQ(s.Format("%d|%s|%.2f", value, t.c_str(), value / 8.0), static_cast<int>(strlen(expect)));
        model = expect;
        return "Format";
    }

    // The generated texts' only blanks are the space and the tab.
    void TrimModel(const std::string& blanks)
    {
        size_t first = model.find_first_not_of(blanks);
        if (first == std::string::npos) {
            model.clear();
            return;
        }
        model = model.substr(first, model.find_last_not_of(blanks) - first + 1);
    }

    std::mt19937 random;
};

TEST(ZStringDifferential, AgreesWithStdString)
{
    for (unsigned int seed = 1; seed <= 200; ++seed) {
        Differential d(seed);
        std::string trail;
        for (int i = 0; i < 300; ++i) {
            trail += d.Step() + "; ";
            ASSERT_EQ(std::string(d.s.CStr()), d.model) << "seed " << seed << ": " << trail;
            ASSERT_EQ(d.s.Length(), static_cast<int>(d.model.size()));
            d.s.ExpectInvariants();
            if (testing::Test::HasFailure()) FAIL() << "seed " << seed << ": " << trail;
        }
    }
}

}  // namespace
