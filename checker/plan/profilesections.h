// ReadProfileSections: every section and key of a profile file, as the platform's profile
// reader sees them (blanks trimmed, quotes stripped, names case-insensitive).
#ifndef ZSTARTUP_CHECKER_PLAN_PROFILESECTIONS_H
#define ZSTARTUP_CHECKER_PLAN_PROFILESECTIONS_H

#include <string>
#include <vector>

struct ProfileKey {
    std::string name;
    std::string value;  // whole, however long
};

struct ProfileSection {
    std::string name;
    std::vector<ProfileKey> keys;
};

// path must be a full path: a bare name is looked up in the Windows folder. Each section, and
// each key in it, once (the first of repeated ones), in the file's order. Keys are the named
// "key=value" lines of the section as GetPrivateProfileSectionA gives it; single-character
// keys' values (the launcher's keys) come from GetPrivateProfileStringA itself, the others'
// from those lines, blanks and one pair of surrounding quotes removed. One profile call per
// section and per single-character key, however many keys there are.
std::vector<ProfileSection> ReadProfileSections(const char* path);

#endif
