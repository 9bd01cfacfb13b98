#include "checker/profilesections.h"

#include <windows.h>

namespace {

// Beyond this a profile file is not a service list; what is read is still consistent.
const DWORD kMaxText = 1 << 20;

// The names that GetPrivateProfileStringA lists for a null section (the sections) or a null
// key (the keys of section), read into a buffer that grows until they fit.
std::vector<std::string> NameList(const char* section, const char* path)
{
    std::vector<char> buffer(4096);
    DWORD length = 0;
    for (;;) {
        length = GetPrivateProfileStringA(section, NULL, "", buffer.data(), static_cast<DWORD>(buffer.size()), path);
        if (length + 2 < buffer.size() || buffer.size() >= kMaxText) break;
        buffer.resize(buffer.size() * 2);
    }
    std::vector<std::string> names;
    for (const char* name = buffer.data(); name < buffer.data() + length && *name != '\0'; name += lstrlenA(name) + 1)
        names.push_back(name);
    return names;
}

std::string Value(const char* section, const char* key, const char* path)
{
    std::vector<char> buffer(512);
    DWORD length = 0;
    for (;;) {
        length = GetPrivateProfileStringA(section, key, "", buffer.data(), static_cast<DWORD>(buffer.size()), path);
        if (length + 1 < buffer.size() || buffer.size() >= kMaxText) break;
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data(), length);
}

}  // namespace

std::vector<ProfileSection> ReadProfileSections(const char* path)
{
    std::vector<ProfileSection> sections;
    for (const std::string& name : NameList(NULL, path)) {
        ProfileSection section = {name, {}};
        for (const std::string& key : NameList(name.c_str(), path))
            section.keys.push_back({key, Value(name.c_str(), key.c_str(), path)});
        sections.push_back(section);
    }
    return sections;
}
