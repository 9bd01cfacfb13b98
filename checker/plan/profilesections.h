// ReadProfileSections: the sections of a profile file that the platform's profile reader sees,
// and their keys (blanks trimmed, quotes stripped, names case-insensitive).
#ifndef ZSTARTUP_CHECKER_PLAN_PROFILESECTIONS_H
#define ZSTARTUP_CHECKER_PLAN_PROFILESECTIONS_H

#include <string>
#include <vector>

#include "checker/plan/profilelayout.h"

struct ProfileKey {
    std::string name;
    std::string value;  // whole, however long
};

struct ProfileSection {
    std::string name;
    std::vector<ProfileKey> keys;
};

struct ProfileSections {
    std::vector<ProfileSection> read;
    // Sections the profile reader lists but the file's layout does not hold (past its first
    // MiB, or a header read otherwise): listed, not read.
    std::vector<std::string> notRead;
};

// path must be a full path: a bare name is looked up in the Windows folder. Each section the
// profile reader lists, once, in the file's order, with the keys of the first section of that
// name in layout, the file's as ReadProfileLayout read it: each key once (the first of repeated
// ones), "key=value" lines with a name only. One profile call, however many sections: asking
// section by section costs a search of the file each.
ProfileSections ReadProfileSections(const char* path, const std::vector<WrittenSection>& layout);

// The section called name as the launcher's profile calls read it: the named "key=value" lines
// of GetPrivateProfileSectionA, single-character keys' values (the launcher's keys) from
// GetPrivateProfileStringA itself, the others' from those lines, blanks and one pair of
// surrounding quotes removed. One profile call, and one per single-character key.
ProfileSection ReadProfileSection(const char* path, const std::string& name);

#endif
