// ParseCheckOptions: the checker's command line.
#ifndef ZSTARTUP_CHECKER_CHECKOPTIONS_H
#define ZSTARTUP_CHECKER_CHECKOPTIONS_H

#include <string>

struct CheckOptions {
    bool help = false;
    bool lastRun = false;               // --last-run: the last run from the log, instead of the next run's plan
    bool json = false;                  // --json: one JSON object on standard output
    const wchar_t* launcher = nullptr;  // null: zStartup.exe beside the checker
    const wchar_t* taskFile = nullptr;  // --task FILE: that definition judged instead of the registered tasks
};

// arguments[1..count-1]: "--last-run", "--json", "--task FILE", each at most once, and one
// launcher path, in any order; "/?", "-?", "-h" or "--help" alone. Options in any case, as
// Windows tools take them. False, with why set, for anything else: an option given twice, an
// unknown option (anything else starting with '-', named in why), an empty path, a second path,
// --task without a file (or with one starting with '-') or with --last-run.
bool ParseCheckOptions(int count, wchar_t** arguments, CheckOptions& options, std::string& why);

// Whether argument is option, letters in any case (ASCII letters only: the same in every locale).
bool IsOption(const wchar_t* argument, const wchar_t* option);

// Whether option appears anywhere in line, in any ASCII case as IsOption takes it: for a command
// line that could not be split into arguments.
bool LineHoldsOption(const wchar_t* line, const wchar_t* option);

#endif
