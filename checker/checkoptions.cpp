#include "checker/checkoptions.h"

#include <windows.h>

namespace {

bool Is(const wchar_t* argument, const wchar_t* text)
{
    return lstrcmpW(argument, text) == 0;
}

bool AskedForHelp(const wchar_t* argument)
{
    return Is(argument, L"/?") || Is(argument, L"-h") || Is(argument, L"--help");
}

// False, with why, when the option was given already.
bool SetOnce(bool& option, const char* name, std::string& why)
{
    if (option) why = std::string(name) + " given twice";
    option = true;
    return why.empty();
}

bool Take(const wchar_t* argument, CheckOptions& options, std::string& why)
{
    if (Is(argument, L"--last-run")) return SetOnce(options.lastRun, "--last-run", why);
    if (Is(argument, L"--json")) return SetOnce(options.json, "--json", why);
    if (argument[0] == L'-') why = "unknown option";
    else if (argument[0] == L'\0') why = "empty launcher path";
    else if (options.launcher != nullptr) why = "too many arguments";
    else options.launcher = argument;
    return why.empty();
}

}  // namespace

bool ParseCheckOptions(int count, wchar_t** arguments, CheckOptions& options, std::string& why)
{
    if (count == 2 && AskedForHelp(arguments[1])) {
        options.help = true;
        return true;
    }
    for (int i = 1; i < count; ++i) {
        if (!Take(arguments[i], options, why)) return false;
    }
    return true;
}
