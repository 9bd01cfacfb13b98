#include "checker/task/taskcommand.h"

#include <windows.h>

#include "checker/launchertarget.h"
#include "lowtracessupport/modulepath.h"

namespace {

bool SameText(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

#ifndef _WIN64
// text with every occurrence of name (compared ignoring case, as variable names are) replaced.
std::wstring ReplacedIgnoringCase(std::wstring text, const std::wstring& name, const std::wstring& replacement)
{
    for (size_t at = 0; at + name.size() <= text.size();) {
        if (SameText(text.substr(at, name.size()), name)) {
            text.replace(at, name.size(), replacement);
            at += replacement.size();
        } else {
            ++at;
        }
    }
    return text;
}
#endif

// Under WOW64 a 32-bit process's %ProgramFiles% and %CommonProgramFiles% are the 32-bit folders;
// the Task Scheduler, a native process, expands them to the 64-bit ones, which ProgramW6432
// and CommonProgramW6432 name in every process.
std::wstring AsNativeVariables(const std::wstring& command)
{
#ifdef _WIN64
    return command;
#else
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return command;
    return ReplacedIgnoringCase(ReplacedIgnoringCase(command, L"%ProgramFiles%", L"%ProgramW6432%"),
                                L"%CommonProgramFiles%", L"%CommonProgramW6432%");
#endif
}

std::wstring Expanded(const std::wstring& text)
{
    wchar_t expanded[kWideCapacity];
    const DWORD length = ExpandEnvironmentStringsW(text.c_str(), expanded, kWideCapacity);
    return length == 0 || length > kWideCapacity ? text : std::wstring(expanded, length - 1);
}

// The program an Exec Command names: what lies between the double quote it begins with and the
// next, as Windows reads a quoted program (single quotes quote nothing there); else the whole
// text, since the action's arguments have an element of their own.
std::wstring ProgramOf(const std::wstring& command)
{
    if (command.empty() || command[0] != L'"') return command;
    const size_t end = command.find(L'"', 1);
    return command.substr(1, end == std::wstring::npos ? std::wstring::npos : end - 1);
}

std::wstring FullLongPath(const std::wstring& path)
{
    const std::wstring full = FullPathOf(path);
    wchar_t longer[kWideCapacity];
    const DWORD longLength = GetLongPathNameW(full.c_str(), longer, kWideCapacity);
    if (longLength == 0 || longLength >= kWideCapacity) return full;
    return std::wstring(longer, longLength);
}

bool StartsWithText(const std::wstring& text, const wchar_t* prefix)
{
    const size_t length = lstrlenW(prefix);
    return text.size() >= length && SameText(text.substr(0, length), prefix);
}

// The path without the prefixes that pass it to the file system unparsed (\\?\) or name a
// device (\\.\): C:\x and \\?\C:\x are one file, and \\?\UNC\server\share is
// \\server\share.
std::wstring WithoutPrefix(const std::wstring& path)
{
    if (StartsWithText(path, L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
    if (StartsWithText(path, L"\\\\?\\") || StartsWithText(path, L"\\\\.\\")) return path.substr(4);
    return path;
}

std::wstring FileNameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::wstring CommandProgram(const std::wstring& command)
{
    const std::wstring program = WithoutPrefix(ProgramOf(Expanded(AsNativeVariables(command))));
    return program.empty() || IsRelativeProgram(program) ? program : FullLongPath(program);
}

bool IsRelativeProgram(const std::wstring& program)
{
    const bool driveRoot = program.size() >= 3 && program[1] == L':' && (program[2] == L'\\' || program[2] == L'/');
    const bool shareRoot = program.size() >= 2 && (program[0] == L'\\' || program[0] == L'/') &&
                           (program[1] == L'\\' || program[1] == L'/');
    return !driveRoot && !shareRoot;
}

CommandTarget TargetOf(const std::wstring& program, const std::wstring& launcher)
{
    if (!IsRelativeProgram(program) && SameText(FullLongPath(WithoutPrefix(launcher)), program))
        return CommandTarget::kThisLauncher;
    const std::wstring name = FileNameOf(program);
    if (SameText(name, FileNameOf(launcher)) || SameText(name, L"zStartup.exe")) return CommandTarget::kAnotherCopy;
    return CommandTarget::kOtherProgram;
}

std::wstring CommandRunning(const TaskDefinition& definition, const std::wstring& launcher, CommandTarget target)
{
    for (const std::wstring& command : ExecCommands(definition)) {
        if (TargetOf(CommandProgram(command), launcher) == target) return command;
    }
    return std::wstring();
}
