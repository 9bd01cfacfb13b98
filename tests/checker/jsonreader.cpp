#include "tests/checker/jsonreader.h"

#include <cstdlib>

namespace {

// Nesting deeper than this is no report of the checker's: a bound instead of a stack overflow.
const int kDeepest = 64;

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : text(text) {}

    bool Document(JsonValue& value)
    {
        if (!Value(value, 0)) return false;
        SkipBlanks();
        return at == text.size() || Fail("text after the value");
    }

    std::string error;

private:
    bool Fail(const std::string& what)
    {
        if (error.empty()) error = "offset " + std::to_string(at) + ": " + what;
        return false;
    }

    void SkipBlanks()
    {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n')) ++at;
    }

    bool Take(char c)
    {
        SkipBlanks();
        if (at >= text.size() || text[at] != c) return false;
        ++at;
        return true;
    }

    bool Word(const char* word)
    {
        const std::string expected(word);
        if (text.compare(at, expected.size(), expected) != 0) return Fail("not a JSON value");
        at += expected.size();
        return true;
    }

    bool Value(JsonValue& value, int depth)
    {
        SkipBlanks();
        if (depth > kDeepest) return Fail("nested too deep");
        if (at >= text.size()) return Fail("end of text where a value belongs");
        switch (text[at]) {
        case '{':
            value.kind = JsonValue::Kind::kObject;
            return Object(value, depth);
        case '[':
            value.kind = JsonValue::Kind::kArray;
            return Array(value, depth);
        case '"':
            value.kind = JsonValue::Kind::kString;
            return String(value.text);
        case 't':
            value.kind = JsonValue::Kind::kBool;
            value.boolean = true;
            return Word("true");
        case 'f':
            value.kind = JsonValue::Kind::kBool;
            return Word("false");
        case 'n':
            return Word("null");
        default:
            value.kind = JsonValue::Kind::kNumber;
            return Number(value.number);
        }
    }

    bool Object(JsonValue& value, int depth)
    {
        ++at;
        if (Take('}')) return true;
        do {
            std::string key;
            SkipBlanks();
            if (at >= text.size() || text[at] != '"') return Fail("a member name must be a string");
            if (!String(key)) return false;
            if (!Take(':')) return Fail("':' expected");
            value.members.emplace_back(key, JsonValue());
            if (!Value(value.members.back().second, depth + 1)) return false;
        } while (Take(','));
        return Take('}') || Fail("',' or '}' expected");
    }

    bool Array(JsonValue& value, int depth)
    {
        ++at;
        if (Take(']')) return true;
        do {
            value.items.emplace_back();
            if (!Value(value.items.back(), depth + 1)) return false;
        } while (Take(','));
        return Take(']') || Fail("',' or ']' expected");
    }

    bool Number(double& number)
    {
        const char* start = text.c_str() + at;
        char* end = nullptr;
        number = std::strtod(start, &end);
        if (end == start) return Fail("not a JSON value");
        at += end - start;
        return true;
    }

    bool Hex4(unsigned int& unit)
    {
        if (at + 4 > text.size()) return Fail("\\u needs four hexadecimal digits");
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text[at++];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) return Fail("\\u needs four hexadecimal digits");
            unit = unit * 16 + static_cast<unsigned int>(digit);
        }
        return true;
    }

    // A \u escape, at after the u, with the second half of a surrogate pair when one follows.
    bool CodePoint(unsigned int& point)
    {
        if (!Hex4(point)) return false;
        if (point < 0xD800 || point > 0xDBFF) return true;
        if (text.compare(at, 2, "\\u") != 0) return Fail("a high surrogate without its low one");
        at += 2;
        unsigned int low = 0;
        if (!Hex4(low)) return false;
        if (low < 0xDC00 || low > 0xDFFF) return Fail("a high surrogate without its low one");
        point = 0x10000 + ((point - 0xD800) << 10) + (low - 0xDC00);
        return true;
    }

    static void AppendUtf8(unsigned int point, std::string& out)
    {
        if (point < 0x80) {
            out += static_cast<char>(point);
        } else if (point < 0x800) {
            out += static_cast<char>(0xC0 | (point >> 6));
            out += static_cast<char>(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            out += static_cast<char>(0xE0 | (point >> 12));
            out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (point & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (point >> 18));
            out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (point & 0x3F));
        }
    }

    bool Escape(std::string& out)
    {
        if (at >= text.size()) return Fail("unterminated string");
        const char c = text[at++];
        const char* const kPlain = "\"\\/bfnrt";
        const char* const kMeant = "\"\\/\b\f\n\r\t";
        for (int i = 0; kPlain[i] != '\0'; ++i) {
            if (c == kPlain[i]) {
                out += kMeant[i];
                return true;
            }
        }
        unsigned int point = 0;
        if (c != 'u') return Fail("unknown escape");
        if (!CodePoint(point)) return false;
        AppendUtf8(point, out);
        return true;
    }

    bool String(std::string& out)
    {
        ++at;
        while (at < text.size()) {
            const char c = text[at++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return Fail("a control character inside a string");
            if (c != '\\')
                out += c;
            else if (!Escape(out))
                return false;
        }
        return Fail("unterminated string");
    }

    const std::string& text;
    size_t at = 0;
};

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& key) const
{
    static const JsonValue kNone;
    for (const auto& member : members) {
        if (member.first == key) return member.second;
    }
    return kNone;
}

bool ReadJson(const std::string& text, JsonValue& value, std::string& error)
{
    JsonReader reader(text);
    value = JsonValue();
    const bool read = reader.Document(value);
    error = reader.error;
    return read;
}
