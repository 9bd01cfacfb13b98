#include "checker/plan/profilesections.h"

#include <windows.h>

#include <functional>
#include <set>

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

// The keys of section, each once (the first of a repeated key), from one
// GetPrivateProfileSectionA call: asking key by key costs a search of the section each. Lines
// without '=' and keys without a name are no keys.
std::vector<ProfileKey> SectionKeys(const char* section, const char* path)
{
    const std::string lines =
        GrowingRead([&](char* buffer, DWORD size) { return GetPrivateProfileSectionA(section, buffer, size, path); });
    std::vector<ProfileKey> keys;
    std::set<std::string> seen;
    for (size_t at = 0; at < lines.size();) {
        size_t end = lines.find('\0', at);
        if (end == std::string::npos) end = lines.size();
        if (end == at) break;
        const std::string line = lines.substr(at, end - at);
        at = end + 1;
        const size_t equals = line.find('=');
        const std::string name = Trimmed(line.substr(0, equals));
        if (equals == std::string::npos || name.empty() || !seen.insert(FoldedName(name)).second) continue;
        // The launcher's own keys, single characters, exactly as it reads them.
        keys.push_back({name, name.size() == 1 ? ProfileText(section, name.c_str(), path)
                                               : Unquoted(Trimmed(line.substr(equals + 1)))});
    }
    return keys;
}

}  // namespace

std::vector<ProfileSection> ReadProfileSections(const char* path)
{
    std::vector<ProfileSection> sections;
    for (const std::string& name : NameList(path)) sections.push_back({name, SectionKeys(name.c_str(), path)});
    return sections;
}
