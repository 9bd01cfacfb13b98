#include "checker/checkoptions.h"

#include <windows.h>

#include "helpers/text.h"

namespace {

wchar_t AsciiLower(wchar_t character)
{
    return character >= L'A' && character <= L'Z' ? static_cast<wchar_t>(character - L'A' + L'a') : character;
}

bool AskedForHelp(const wchar_t* argument)
{
    return IsOption(argument, L"/?") || IsOption(argument, L"-?") || IsOption(argument, L"-h") ||
           IsOption(argument, L"--help");
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
    if (IsOption(argument, L"--last-run")) return SetOnce(options.lastRun, "--last-run", why);
    if (IsOption(argument, L"--json")) return SetOnce(options.json, "--json", why);
    if (argument[0] == L'-')
        why = "unknown option " + Utf8Of(argument);
    else if (argument[0] == L'\0')
        why = "empty launcher path";
    else if (options.launcher != nullptr)
        why = "too many arguments";
    else
        options.launcher = argument;
    return why.empty();
}

// "--task" at arguments[i] and its file after it; i is left on the file. A file starting with '-'
// is taken for a forgotten file before the next option (write .\-name.xml for such a file).
bool TakeTaskFile(int count, wchar_t** arguments, int& i, CheckOptions& options, std::string& why)
{
    if (options.taskFile != nullptr)
        why = "--task given twice";
    else if (i + 1 >= count || arguments[i + 1][0] == L'\0' || arguments[i + 1][0] == L'-')
        why = "--task needs a task definition file";
    else
        options.taskFile = arguments[++i];
    return why.empty();
}

}  // namespace

bool IsOption(const wchar_t* argument, const wchar_t* option)
{
    for (;; ++argument, ++option) {
        if (AsciiLower(*argument) != AsciiLower(*option)) return false;
        if (*argument == L'\0') return true;
    }
}

bool LineHoldsOption(const wchar_t* line, const wchar_t* option)
{
    for (; *line != L'\0'; ++line) {
        size_t i = 0;
        while (option[i] != L'\0' && AsciiLower(line[i]) == AsciiLower(option[i])) ++i;
        if (option[i] == L'\0') return true;
    }
    return false;
}

bool ParseCheckOptions(int count, wchar_t** arguments, CheckOptions& options, std::string& why)
{
    if (count == 2 && AskedForHelp(arguments[1])) {
        options.help = true;
        return true;
    }
    for (int i = 1; i < count; ++i) {
        if (IsOption(arguments[i], L"--task") ? !TakeTaskFile(count, arguments, i, options, why)
                                              : !Take(arguments[i], options, why))
            return false;
    }
    if (options.taskFile != nullptr && options.lastRun) why = "--task judges a task for the plan, not with --last-run";
    return why.empty();
}
