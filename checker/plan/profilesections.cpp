#include "checker/plan/profilesections.h"

#include <windows.h>

namespace {

// Beyond this a profile file is not a service list; what is read is still consistent.
const DWORD kMaxText = 1 << 20;

// What GetPrivateProfileStringA gives for section and key, read into a buffer that grows until
// it fits. A null section lists the sections, a null key the keys of section: names, each
// ending in a 0 byte. A cut text comes back one byte short of the buffer, a cut list two.
std::string ProfileText(const char* section, const char* key, const char* path)
{
    const DWORD shortOfFull = section == NULL || key == NULL ? 2 : 1;
    std::vector<char> buffer(512);
    DWORD length = 0;
    for (;;) {
        length = GetPrivateProfileStringA(section, key, "", buffer.data(), static_cast<DWORD>(buffer.size()), path);
        if (length + shortOfFull < buffer.size() || buffer.size() >= kMaxText) break;
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data(), length);
}

bool Listed(const std::vector<std::string>& names, const std::string& name)
{
    for (const std::string& listed : names) {
        if (lstrcmpiA(listed.c_str(), name.c_str()) == 0) return true;
    }
    return false;
}

// Each name once: a repeated section or key reads as its first.
std::vector<std::string> NameList(const char* section, const char* path)
{
    const std::string list = ProfileText(section, NULL, path);
    std::vector<std::string> names;
    for (size_t at = 0; at < list.size();) {
        size_t end = list.find('\0', at);
        if (end == std::string::npos) end = list.size();
        if (end == at) break;  // an empty name ends the list
        const std::string name = list.substr(at, end - at);
        if (!Listed(names, name)) names.push_back(name);
        at = end + 1;
    }
    return names;
}

}  // namespace

std::vector<ProfileSection> ReadProfileSections(const char* path)
{
    std::vector<ProfileSection> sections;
    for (const std::string& name : NameList(NULL, path)) {
        ProfileSection section = {name, {}};
        for (const std::string& key : NameList(name.c_str(), path))
            section.keys.push_back({key, ProfileText(name.c_str(), key.c_str(), path)});
        sections.push_back(section);
    }
    return sections;
}
