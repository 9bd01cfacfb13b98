// CheckerVersion: the product version in this program's own version record.
#ifndef ZSTARTUP_CHECKER_REPORT_CHECKERVERSION_H
#define ZSTARTUP_CHECKER_REPORT_CHECKERVERSION_H

#include <string>

// "1.0.0.1": the fixed product version of the running program's version record, as Windows
// Installer and the file's properties show it; "" when the program carries none.
std::string CheckerVersion();

#endif
