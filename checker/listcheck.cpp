#include "checker/listcheck.h"

#include <windows.h>

#include <string>

#include "checker/profilesections.h"
#include "runrules/servicelistfile.h"

namespace {

const unsigned int kPastLastKey = kLastListKey + 1;

bool ListReachable(const LauncherTarget& target, CheckReport& report)
{
    switch (target.paths.listProblem) {
    case ListPathProblem::kTooLong:
        report.Error("service list beside " + target.displayPath +
                     ": the folder's path leaves no room for \\Services.ini in the launcher's 255 characters, so the "
                     "launcher reads no list; move the launcher to a folder with a shorter path");
        return false;
    case ListPathProblem::kNotRepresentable:
        report.Error("folder of " + target.displayPath + ": its name cannot be written in the ANSI code page (" +
                     std::to_string(GetACP()) +
                     "), so the launcher reads no service list and logs to default_LT.log in its current folder; "
                     "rename the folder with characters of that code page");
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
        report.Note("no " + name + ": nothing will be stopped or started");
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        report.Error(std::string(path) + " is a folder, not a service list: the launcher reports error " +
                     std::to_string(list.error) + " and stops or starts nothing; remove or rename the folder");
        return false;
    }
    if (list.state == ListFileState::kUnreadable) {
        report.Error(name + " cannot be read (error " + std::to_string(list.error) +
                     "): the launcher reports it and stops or starts nothing; give the launcher's account read "
                     "access, or close the program that holds the file");
        return false;
    }
    if (list.utf8MarkHidesFirstSection) {
        report.Error(name + ", section [" + list.hiddenSection +
                     "]: line 1 begins with a UTF-8 byte order mark, so Windows does not see this section and the "
                     "launcher skips its keys; save the file as ANSI or as UTF-16");
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

// The entries in the launcher's order, and the key code where its reading stops.
std::vector<ServiceListEntry> ReadEntries(const char* path, unsigned int& endCode, CheckReport& report)
{
    std::vector<ServiceListEntry> entries;
    ServiceListEntry entry;
    for (endCode = kFirstListKey; endCode <= kLastListKey && ReadServiceListEntry(path, endCode, entry); ++endCode) {
        entries.push_back(entry);
        report.Plan(PlanLine(entry));
    }
    if (entries.empty()) report.Plan("no entries: key 0 is empty in both [STOP] and [START]");
    return entries;
}

std::string KeyList(const std::vector<std::string>& keys)
{
    std::string text = keys.size() == 1 ? "key " : "keys ";
    for (size_t i = 0; i < keys.size(); ++i) text += (i == 0 ? "" : ", ") + keys[i];
    return text + (keys.size() == 1 ? " is" : " are");
}

std::string KeyName(unsigned int code)
{
    return code <= kLastListKey ? std::string(1, static_cast<char>(code)) : std::string("past the last");
}

// Keys of [STOP] or [START] with a value that the launcher never reads, by reason.
void CheckUnreadKeys(const char* path, const ProfileSection& section, unsigned int endCode, CheckReport& report)
{
    std::vector<std::string> notOneCharacter, pastColon, afterGap;
    for (const ProfileKey& key : section.keys) {
        if (key.value.empty()) continue;
        if (key.name.size() != 1) notOneCharacter.push_back(key.name.empty() ? "(empty)" : key.name);
        else if (static_cast<unsigned char>(key.name[0]) > ':') pastColon.push_back(key.name);
        else if (static_cast<unsigned char>(key.name[0]) >= endCode) afterGap.push_back(key.name);
    }
    const std::string where = std::string("service list ") + path + ", [" + section.name + "] ";
    if (!notOneCharacter.empty())
        report.Error(where + KeyList(notOneCharacter) +
                     " never read: keys are single characters, 0 to 9 and then :; renumber them");
    if (!pastColon.empty())
        report.Error(where + KeyList(pastColon) +
                     " never read: after key : comes ;, which starts a comment line, so reading always ends there; "
                     "use the keys 0 to 9 and : (11 entries at most)");
    if (!afterGap.empty())
        report.Error(where + KeyList(afterGap) + " never read: reading stops at key " + KeyName(endCode) +
                     ", which is empty in both [STOP] and [START]; number the keys from 0 without a gap");
}

void CheckLongValues(const char* path, const ProfileSection& section, CheckReport& report)
{
    for (const ProfileKey& key : section.keys) {
        if (key.value.size() <= static_cast<size_t>(kMaxServiceNameLength)) continue;
        report.Error(std::string("service list ") + path + ", [" + section.name + "] key " + key.name +
                     ": the value is " + std::to_string(key.value.size()) + " characters long and the launcher reads "
                     "only its first 255, which name no service; write the service's name (at most 256 characters)");
    }
}

void CheckOtherSection(const char* path, const ProfileSection& section, CheckReport& report)
{
    std::vector<std::string> keys;
    for (const ProfileKey& key : section.keys) {
        if (!key.value.empty()) keys.push_back(key.name);
    }
    if (keys.empty()) return;
    report.Error(std::string("service list ") + path + ", section [" + section.name +
                 "] is never read: the launcher reads only [STOP] and [START], so its " + KeyList(keys) +
                 " skipped; move the keys into [STOP] or [START]");
}

void CheckSections(const char* path, unsigned int endCode, CheckReport& report)
{
    for (const ProfileSection& section : ReadProfileSections(path)) {
        const bool listSection = lstrcmpiA(section.name.c_str(), "STOP") == 0 ||
                                 lstrcmpiA(section.name.c_str(), "START") == 0;
        if (!listSection) {
            CheckOtherSection(path, section, report);
            continue;
        }
        CheckUnreadKeys(path, section, endCode, report);
        CheckLongValues(path, section, report);
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
    CheckSections(path, endCode, report);
    return entries;
}
