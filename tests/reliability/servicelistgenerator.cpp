#include "tests/reliability/servicelistgenerator.h"

namespace {

const char* const kSections[] = {"STOP", "START", "stop", "Start", " STOP ", "STOP]", "[START", "", "OTHER"};
const char kSyntax[] = "=;[]\"' \t#\\%";

}  // namespace

size_t ServiceListGenerator::Below(size_t bound)
{
    return bound == 0 ? 0 : std::uniform_int_distribution<size_t>(0, bound - 1)(random_);
}

std::string ServiceListGenerator::RandomBytes(size_t maxLength)
{
    std::string bytes(Below(maxLength + 1), '\0');
    for (char& byte : bytes) byte = static_cast<char>(Below(256));
    return bytes;
}

std::string ServiceListGenerator::MissingName(size_t maxLength)
{
    std::string name = "zstNo";
    for (size_t length = Below(maxLength + 1); name.size() < length;) name += static_cast<char>('a' + Below(26));
    return name;
}

std::string ServiceListGenerator::LineEnd()
{
    const char* const ends[] = {"\r\n", "\n", "\r", "\r\r\n"};
    return ends[Below(4)];
}

// Lines and values far past every buffer of the run, a key line without "=", and a section
// header that never closes.
std::string ServiceListGenerator::LongLines()
{
    std::string text = "[STOP]" + LineEnd();
    text += "0=" + MissingName(70000) + LineEnd();
    text += std::string(Below(20000), '1') + LineEnd();
    text += "[" + std::string(Below(5000), 'S') + "]" + LineEnd();
    text += "[START]" + LineEnd() + "0=" + MissingName(300) + LineEnd();
    text += "1=" + std::string(Below(3000), ' ') + MissingName(260) + LineEnd();
    text += "[" + MissingName(3000);
    return text;
}

std::string ServiceListGenerator::ManySections()
{
    std::string text;
    for (size_t i = 0, count = 1000 + Below(4000); i < count; ++i) {
        const char* section = kSections[Below(sizeof kSections / sizeof *kSections)];
        text += "[" + std::string(Below(4) == 0 ? section : MissingName(12)) + "]" + LineEnd();
        text += std::string(1, static_cast<char>('0' + Below(12))) + "=" + MissingName(20) + LineEnd();
    }
    return text;
}

// Keys and values made of the characters the profile syntax gives a meaning to.
std::string ServiceListGenerator::SyntaxCharacters()
{
    std::string text;
    for (size_t line = 0, count = 1 + Below(60); line < count; ++line) {
        if (Below(5) == 0) {
            text += "[" + std::string(kSections[Below(sizeof kSections / sizeof *kSections)]) + "]" + LineEnd();
            continue;
        }
        std::string piece;
        for (size_t i = 0, length = Below(12); i < length; ++i) piece += kSyntax[Below(sizeof kSyntax - 1)];
        std::string key = Below(2) == 0 ? std::string(1, static_cast<char>('0' + Below(4))) : piece;
        text += key + "=" + (Below(2) == 0 ? piece : "\"" + MissingName(20) + piece + "\"") + LineEnd();
    }
    return text;
}

std::string ServiceListGenerator::HighBytes()
{
    std::string text = Below(2) == 0 ? "[STOP]" : "[ST\xC3\x96P]";
    text += LineEnd();
    for (char key = '0', end = static_cast<char>('0' + Below(8)); key < end; ++key) {
        std::string value = MissingName(10);
        for (size_t i = 0, count = 1 + Below(20); i < count; ++i) value += static_cast<char>(0x80 + Below(128));
        text += std::string(1, key) + "=" + value + LineEnd();
    }
    text += "[START]" + LineEnd() + "0=\xE2\x82\xAC" + MissingName(8) + LineEnd();
    return text;
}

// Entries under every key code, each in one section or both, so that the scan goes on as far
// as the profile syntax lets it (a line starting with ';' is a comment).
std::string ServiceListGenerator::ManyEntries()
{
    std::string stop = "[STOP]" + LineEnd();
    std::string start = "[START]" + LineEnd();
    for (unsigned code = '0'; code <= 0xFF; ++code) {
        const std::string key(1, static_cast<char>(code));
        const size_t where = Below(3);
        if (where != 1) stop += key + "=" + MissingName(40) + LineEnd();
        if (where != 0) start += key + "=" + MissingName(40) + LineEnd();
    }
    return stop + start;
}

std::string ServiceListGenerator::Next()
{
    std::string text;
    switch (produced_++ % 6) {
    case 0:
        text = RandomBytes(4096);
        break;
    case 1:
        text = LongLines();
        break;
    case 2:
        text = ManySections();
        break;
    case 3:
        text = SyntaxCharacters();
        break;
    case 4:
        text = HighBytes();
        break;
    default:
        text = ManyEntries();
        break;
    }
    switch (Below(4)) {
    case 0:
        text = "\xEF\xBB\xBF" + text;
        break;
    case 1:
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        break;
    default:
        break;
    }
    return text;
}
