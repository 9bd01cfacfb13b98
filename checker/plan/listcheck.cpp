#include "checker/plan/listcheck.h"

#include <windows.h>

#include <map>
#include <string>

#include "checker/plan/profilelayout.h"
#include "checker/plan/profilesections.h"
#include "checker/plan/profiletext.h"
#include "runrules/servicelistfile.h"

namespace {

// Unknown sections named one finding each; the rest are counted in one.
const size_t kMaxSectionsNamed = 100;

const unsigned int kPastLastKey = kLastListKey + 1;

bool ListReachable(const LauncherTarget& target, CheckReport& report)
{
    switch (target.paths.listProblem) {
    case ListPathProblem::kTooLong:
        report.Error("list.path-too-long", Utf8Text(target.displayPath),
                     Utf8Text("service list beside " + target.displayPath +
                              ": the folder's path leaves no room for \\Services.ini in the launcher's 255 characters, "
                              "so the launcher reads no list; move the launcher to a folder with a shorter path"));
        return false;
    case ListPathProblem::kNotRepresentable:
        report.Error("list.folder-not-ansi", Utf8Text(target.displayPath),
                     Utf8Text("folder of " + target.displayPath +
                              ": its name cannot be written in the ANSI code page (" + std::to_string(GetACP()) +
                              "), so the launcher reads no service list and logs to default_LT.log in its current "
                              "folder; rename the folder with characters of that code page"));
        return false;
    case ListPathProblem::kNone:
        break;
    }
    return true;
}

bool ListReadable(const char* path, CheckReport& report)
{
    const ServiceListFile list = ProbeServiceList(path);
    const std::string name = std::string("service list ") + path;
    if (list.state == ListFileState::kAbsent) {
        report.Note("list.absent", path, "no " + name + ": nothing will be stopped or started");
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        report.Error("list.is-folder", path,
                     std::string(path) + " is a folder, not a service list: the launcher reports error " +
                         std::to_string(list.error) + " and stops or starts nothing; remove or rename the folder");
        return false;
    }
    if (list.state == ListFileState::kUnreadable) {
        report.Error("list.unreadable", path,
                     name + " cannot be read (error " + std::to_string(list.error) +
                         "): the launcher reports it and stops or starts nothing; give the launcher's account read "
                         "access, or close the program that holds the file");
        return false;
    }
    if (list.utf16BigEndian) {
        report.Error("list.utf16be-mark", path,
                     name +
                         " begins with the UTF-16 big-endian byte order mark (FE FF): Windows reads such a file "
                         "as empty, so the launcher stops and starts nothing; save it as ANSI or UTF-16 LE");
        return false;
    }
    if (list.utf8MarkHidesFirstSection) {
        report.Error("list.utf8-mark", std::string("[") + list.hiddenSection + "]",
                     name + ", section [" + list.hiddenSection +
                         "]: line 1 begins with a UTF-8 byte order mark, so Windows does not see this section and "
                         "the launcher skips its keys; save the file as ANSI or as UTF-16 LE");
    }
    return true;
}

std::string PlanLine(const ServiceListEntry& entry)
{
    std::string line = std::string("entry ") + entry.key + ": ";
    if (entry.stopName[0] != '\0') line += std::string("stop ") + entry.stopName;
    if (entry.stopName[0] != '\0' && entry.startName[0] != '\0') line += ", then ";
    if (entry.startName[0] != '\0') line += std::string("start ") + entry.startName;
    return line;
}

// A value that the ANSI code page cannot hold exactly names no service: its own finding, and
// no name in the entry for the service checks to look up.
void TakeNotAnsiValue(const char* path, const char* section, const char* key, char* name, CheckReport& report)
{
    const std::string subject = std::string("[") + section + "] key " + key;
    report.Error("list.value-not-ansi", subject,
                 std::string("service list ") + path + ", " + subject + ": the value " + name +
                     " has characters that the ANSI code page (" + std::to_string(GetACP()) +
                     ") cannot hold exactly (shown as ?), so the launcher acts on no service for it and logs an "
                     "error line; write the service's name as sc query shows it");
    name[0] = '\0';
}

// The entries in the launcher's order, and the key code where its reading stops.
std::vector<ServiceListEntry> ReadEntries(const char* path, unsigned int& endCode, CheckReport& report)
{
    std::vector<ServiceListEntry> entries;
    ServiceListEntry entry;
    for (endCode = kFirstListKey; endCode <= kLastListKey && ReadServiceListEntry(path, endCode, entry); ++endCode) {
        report.Line(PlanLine(entry));
        if (entry.stopNotAnsi) TakeNotAnsiValue(path, "STOP", entry.key, entry.stopName, report);
        if (entry.startNotAnsi) TakeNotAnsiValue(path, "START", entry.key, entry.startName, report);
        entries.push_back(entry);
    }
    if (entries.empty()) report.Line("no entries: key 0 is empty in both [STOP] and [START]");
    return entries;
}

// "key 3" or "keys 3, 4".
std::string KeyList(const std::vector<std::string>& keys)
{
    std::string text = keys.size() == 1 ? "key " : "keys ";
    for (size_t i = 0; i < keys.size(); ++i) text += (i == 0 ? "" : ", ") + keys[i];
    return text;
}

std::string Verb(const std::vector<std::string>& keys) { return keys.size() == 1 ? " is" : " are"; }

std::string KeyName(unsigned int code)
{
    return code <= kLastListKey ? std::string(1, static_cast<char>(code)) : std::string("past the last");
}

bool IsListSection(const std::string& name)
{
    return lstrcmpiA(name.c_str(), "STOP") == 0 || lstrcmpiA(name.c_str(), "START") == 0;
}

// One finding for the keys of section of a kind, when there are any.
void ReportKeys(const char* code, const char* path, const std::string& section, const std::vector<std::string>& keys,
                const std::string& why, CheckReport& report)
{
    if (keys.empty()) return;
    const std::string subject = "[" + section + "] " + KeyList(keys);
    report.Error(code, subject,
                 std::string("service list ") + path + ", " + subject + Verb(keys) + " never read: " + why);
}

// Keys of [STOP] or [START] with a value that the launcher never reads, by reason.
void CheckUnreadKeys(const char* path, const ProfileSection& section, unsigned int endCode, CheckReport& report)
{
    std::vector<std::string> notOneCharacter, belowZero, pastColon, afterGap;
    for (const ProfileKey& key : section.keys) {
        if (key.value.empty()) continue;
        const unsigned char code = static_cast<unsigned char>(key.name.empty() ? 0 : key.name[0]);
        if (key.name.size() != 1)
            notOneCharacter.push_back(key.name.empty() ? "(empty)" : key.name);
        else if (code < kFirstListKey)
            belowZero.push_back(key.name);
        else if (code > ':')
            pastColon.push_back(key.name);
        else if (code >= endCode)
            afterGap.push_back(key.name);
    }
    const std::string& where = section.name;
    ReportKeys("list.key-not-one-character", path, where, notOneCharacter,
               "keys are single characters, 0 to 9 and then :; renumber them", report);
    ReportKeys("list.key-below-zero", path, where, belowZero,
               "reading starts at key 0 and goes up in character order; renumber the keys from 0", report);
    ReportKeys("list.key-past-colon", path, where, pastColon,
               "after key : comes ;, which starts a comment line, so reading always ends there; use the keys 0 to 9 "
               "and : (11 entries at most)",
               report);
    ReportKeys("list.key-gap", path, where, afterGap,
               "reading stops at key " + KeyName(endCode) +
                   ", which is empty in both [STOP] and [START]; number the keys from 0 without a gap",
               report);
}

void CheckLongValues(const char* path, const ProfileSection& section, CheckReport& report)
{
    for (const ProfileKey& key : section.keys) {
        if (key.value.size() <= static_cast<size_t>(kMaxServiceNameLength)) continue;
        report.Error("list.value-too-long", "[" + section.name + "] key " + key.name,
                     std::string("service list ") + path + ", [" + section.name + "] key " + key.name +
                         ": the value is " + std::to_string(key.value.size()) +
                         " characters long, longer than any service name, so the launcher acts on no service "
                         "for it and logs an error line with its first " +
                         std::to_string(kMaxServiceNameLength) + " characters; write the service's name (at most " +
                         std::to_string(kMaxServiceNameLength) + " characters)");
    }
}

// The keys of section that hold a value.
std::vector<std::string> KeysWithValue(const ProfileSection& section)
{
    std::vector<std::string> keys;
    for (const ProfileKey& key : section.keys) {
        if (!key.value.empty()) keys.push_back(key.name);
    }
    return keys;
}

// A section other than [STOP] and [START] whose keys, holding values, are never read.
void ReportOtherSection(const char* path, const ProfileSection& section, const std::vector<std::string>& keys,
                        CheckReport& report)
{
    report.Error("list.section-unknown", "[" + section.name + "]",
                 std::string("service list ") + path + ", section [" + section.name +
                     "] is never read: the launcher reads only [STOP] and [START], so its " + KeyList(keys) +
                     Verb(keys) + " skipped; move the keys into [STOP] or [START]");
}

// [STOP] or [START], exactly as the launcher reads it.
void CheckListSection(const char* path, const std::string& name, unsigned int endCode, CheckReport& report)
{
    const ProfileSection section = ReadProfileSection(path, name);
    CheckUnreadKeys(path, section, endCode, report);
    CheckLongValues(path, section, report);
}

// Other sections that Windows lists but the file's layout does not hold: a note, not a search
// of the file for each of them.
void ReportNotJudged(const char* path, const std::vector<std::string>& names, CheckReport& report)
{
    if (names.empty()) return;
    report.Note("list.sections-not-judged", path,
                std::string("service list ") + path + ": " + std::to_string(names.size()) + " section(s), the first [" +
                    names.front() +
                    "], are not judged: they lie past the first MiB of the file, or Windows reads their header "
                    "line otherwise; the launcher reads only [STOP] and [START], so keep only those in the list");
}

// Sections past the first kMaxSectionsNamed that hold keys: one finding for all of them, so that
// a list of many sections gives a report of bounded size.
void ReportUnnamedSections(const char* path, const std::vector<std::string>& names, CheckReport& report)
{
    if (names.empty()) return;
    report.Error("list.section-unknown", "[" + names.front() + "]",
                 std::string("service list ") + path + ": " + std::to_string(names.size()) +
                     " more sections other than [STOP] and [START], from [" + names.front() + "] to [" + names.back() +
                     "], hold keys that are never read (not named one by one here); move the keys into [STOP] or "
                     "[START]");
}

void CheckSections(const char* path, const std::vector<WrittenSection>& layout, unsigned int endCode,
                   CheckReport& report)
{
    const ProfileSections sections = ReadProfileSections(path, layout);
    std::vector<std::string> unnamed;
    size_t named = 0;
    for (const ProfileSection& section : sections.read) {
        if (IsListSection(section.name)) {
            CheckListSection(path, section.name, endCode, report);
            continue;
        }
        const std::vector<std::string> keys = KeysWithValue(section);
        if (keys.empty()) continue;
        if (named++ < kMaxSectionsNamed)
            ReportOtherSection(path, section, keys, report);
        else
            unnamed.push_back(section.name);
    }
    ReportUnnamedSections(path, unnamed, report);
    std::vector<std::string> notJudged;
    for (const std::string& name : sections.notRead) {
        if (IsListSection(name))
            CheckListSection(path, name, endCode, report);
        else
            notJudged.push_back(name);
    }
    ReportNotJudged(path, notJudged, report);
}

// "key 1 (C) is", "keys 1 (C), 2 (D) are": the keys of a repeated section that hold a value.
std::string KeysWithValues(const WrittenSection& section)
{
    std::string text;
    int count = 0;
    for (const WrittenKey& key : section.keys) {
        if (key.value.empty()) continue;
        text += (count++ == 0 ? "" : ", ") + key.name + " (" + key.value + ")";
    }
    return count == 0 ? std::string() : (count == 1 ? "key " : "keys ") + text + (count == 1 ? " is" : " are");
}

void CheckRepeatedSection(const char* path, const WrittenSection& first, const WrittenSection& again,
                          CheckReport& report)
{
    const std::string keys = KeysWithValues(again);
    if (keys.empty()) return;
    report.Error("list.section-repeated", "[" + again.name + "] line " + std::to_string(again.line),
                 std::string("service list ") + path + ", [" + again.name + "] on line " + std::to_string(again.line) +
                     " repeats the section of line " + std::to_string(first.line) +
                     ": the profile reader reads only the first, so its " + keys +
                     " never read; move them into the first [" + first.name + "]");
}

void CheckRepeatedKeys(const char* path, const WrittenSection& section, CheckReport& report)
{
    std::map<std::string, const WrittenKey*> firstOf;  // by folded name
    for (const WrittenKey& again : section.keys) {
        const WrittenKey*& first = firstOf[FoldedName(again.name)];
        if (first == NULL) {
            first = &again;
            continue;
        }
        report.Error("list.key-repeated", "[" + section.name + "] key " + again.name,
                     std::string("service list ") + path + ", [" + section.name + "] key " + again.name + " on line " +
                         std::to_string(again.line) + " repeats the key of line " + std::to_string(first->line) +
                         ": the profile reader reads only the first value (" + first->value + "), so " +
                         (again.value.empty() ? "the empty one" : again.value) + " is never read; remove one of them");
    }
}

// What the profile reader hides: it reads only the first section of a name, and in it only the
// first key of a name.
void CheckRepeats(const char* path, const std::vector<WrittenSection>& sections, CheckReport& report)
{
    std::map<std::string, const WrittenSection*> firstOf;  // by folded name
    for (const WrittenSection& section : sections) {
        if (!IsListSection(section.name)) continue;
        const WrittenSection*& first = firstOf[FoldedName(section.name)];
        if (first == NULL) {
            first = &section;
            CheckRepeatedKeys(path, section, report);
        } else {
            CheckRepeatedSection(path, *first, section, report);
        }
    }
}

}  // namespace

std::vector<ServiceListEntry> CheckServiceList(const LauncherTarget& target, CheckReport& report)
{
    if (!ListReachable(target, report)) return {};
    const char* path = target.paths.serviceList;
    if (!ListReadable(path, report)) return {};
    unsigned int endCode = kPastLastKey;
    std::vector<ServiceListEntry> entries = ReadEntries(path, endCode, report);
    // One read of the file serves both.
    const std::vector<WrittenSection> layout = ReadProfileLayout(path);
    CheckSections(path, layout, endCode, report);
    CheckRepeats(path, layout, report);
    return entries;
}
