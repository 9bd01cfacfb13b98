#include "foundation/resourcetext.h"

#ifdef _WIN32

int LoadResourceText(ZInstance instance, unsigned int id, char* buffer, int size)
{
    return LoadStringA(instance, id, buffer, size);
}

#else

#include <cstring>
#include <map>
#include <string>

namespace {

std::map<unsigned int, std::string>& Table()
{
    static std::map<unsigned int, std::string> table;
    return table;
}

}  // namespace

int LoadResourceText(ZInstance, unsigned int id, char* buffer, int size)
{
    auto found = Table().find(id);
    if (found == Table().end() || buffer == nullptr || size <= 0) return 0;
    const std::string& text = found->second;
    int count = static_cast<int>(text.size()) < size - 1 ? static_cast<int>(text.size()) : size - 1;
    std::memcpy(buffer, text.data(), count);
    buffer[count] = 0;
    return count;
}

void RegisterResourceText(unsigned int id, const char* text)
{
    if (text == nullptr)
        Table().erase(id);
    else
        Table()[id] = text;
}

#endif
