#include "checker/plan/profilesections.h"

#include <windows.h>

#include <functional>
#include <map>
#include <set>

#include "checker/plan/profilelayout.h"
#include "checker/plan/profiletext.h"

namespace {

// Beyond this a profile file is not a service list; what is read is still consistent.
const DWORD kMaxText = 1 << 20;

// What read (a profile call filling a buffer of a size) gives, in a buffer that grows until it
// fits. A cut list of 0-ended strings comes back two bytes short of the buffer, and so may a cut
// text: its quotes count against the buffer before they are removed.
std::string GrowingRead(const std::function<DWORD(char*, DWORD)>& read)
{
    std::vector<char> buffer(512);
    DWORD length = 0;
    for (;;) {
        length = read(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length + 2 < buffer.size() || buffer.size() >= kMaxText) break;
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data(), length);
}

// What GetPrivateProfileStringA gives for section and key; a null section lists the sections.
std::string ProfileText(const char* section, const char* key, const char* path)
{
    return GrowingRead(
        [&](char* buffer, DWORD size) { return GetPrivateProfileStringA(section, key, "", buffer, size, path); });
}

// The sections, each once, in order: a repeated section reads as its first.
std::vector<std::string> NameList(const char* path)
{
    const std::string list = ProfileText(NULL, NULL, path);
    std::vector<std::string> names;
    std::set<std::string> seen;
    for (size_t at = 0; at < list.size();) {
        size_t end = list.find('\0', at);
        if (end == std::string::npos) end = list.size();
        if (end == at) break;  // an empty name ends the list
        const std::string name = list.substr(at, end - at);
        if (seen.insert(FoldedName(name)).second) names.push_back(name);
        at = end + 1;
    }
    return names;
}

// A key of a "key=value" line with a name, the first of its name: the others are no keys.
bool IsNewKey(const std::string& name, bool assigned, std::set<std::string>& seen)
{
    return assigned && !name.empty() && seen.insert(FoldedName(name)).second;
}

// The keys of a section of the file's layout.
std::vector<ProfileKey> LaidOutKeys(const WrittenSection& section)
{
    std::vector<ProfileKey> keys;
    std::set<std::string> seen;
    for (const WrittenKey& key : section.keys) {
        if (IsNewKey(key.name, key.assigned, seen)) keys.push_back({key.name, key.value});
    }
    return keys;
}

}  // namespace

ProfileSections ReadProfileSections(const char* path, const std::vector<WrittenSection>& layout)
{
    std::map<std::string, const WrittenSection*> firstOf;  // by folded name
    for (const WrittenSection& section : layout) firstOf.insert({FoldedName(section.name), &section});
    ProfileSections sections;
    for (const std::string& name : NameList(path)) {
        const auto found = firstOf.find(FoldedName(name));
        if (found == firstOf.end())
            sections.notRead.push_back(name);
        else
            sections.read.push_back({name, LaidOutKeys(*found->second)});
    }
    return sections;
}

ProfileSection ReadProfileSection(const char* path, const std::string& name)
{
    const std::string lines = GrowingRead(
        [&](char* buffer, DWORD size) { return GetPrivateProfileSectionA(name.c_str(), buffer, size, path); });
    ProfileSection section = {name, {}};
    std::set<std::string> seen;
    for (size_t at = 0; at < lines.size();) {
        size_t end = lines.find('\0', at);
        if (end == std::string::npos) end = lines.size();
        if (end == at) break;
        const std::string line = lines.substr(at, end - at);
        at = end + 1;
        const size_t equals = line.find('=');
        const std::string key = Trimmed(line.substr(0, equals));
        if (!IsNewKey(key, equals != std::string::npos, seen)) continue;
        // The launcher's own keys, single characters, exactly as it reads them.
        section.keys.push_back({key, key.size() == 1 ? ProfileText(name.c_str(), key.c_str(), path)
                                                     : Unquoted(Trimmed(line.substr(equals + 1)))});
    }
    return section;
}
