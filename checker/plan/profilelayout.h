// ReadProfileLayout: the sections and keys of a profile file as written, repeats included. The
// profile reader reads only the first section of a name, and in it only the first key of a
// name; this shows what it leaves unread.
#ifndef ZSTARTUP_CHECKER_PLAN_PROFILELAYOUT_H
#define ZSTARTUP_CHECKER_PLAN_PROFILELAYOUT_H

#include <string>
#include <vector>

struct WrittenKey {
    std::string name;   // blanks trimmed
    std::string value;  // blanks trimmed, one pair of surrounding quotes removed
    int line;           // from 1
    bool assigned;      // the line holds '=': a line without one is a key without a value
};

struct WrittenSection {
    std::string name;
    int line;
    std::vector<WrittenKey> keys;
};

// The file at path read as the profile reader reads it: ANSI text, or UTF-16 LE after its
// mark (converted to the ANSI code page); a UTF-8 mark is passed over, as Wine does. Lines
// starting with ';' are comments. A line starting with '[' and holding a ']' starts a section,
// named by what lies between the '[' and the last ']', blanks trimmed; any other line (one
// starting with '[' too) is a key of the section before, as Wine's profile reader takes them.
// Keys before the first section belong to none and are left out. A UTF-16 big-endian file,
// which Windows reads as empty, or one that cannot be read, gives no sections.
std::vector<WrittenSection> ReadProfileLayout(const char* path);

#endif
