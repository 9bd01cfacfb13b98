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

// path must be a full path: a bare name is looked up in the Windows folder.
std::vector<ProfileSection> ReadProfileSections(const char* path);

#endif
