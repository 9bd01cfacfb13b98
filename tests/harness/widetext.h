// Wide: ANSI text (the process code page) as UTF-16, for the wide file and process calls the
// harness uses so that paths longer than MAX_PATH work under Wine too.
#ifndef ZSTARTUP_TESTS_HARNESS_WIDETEXT_H
#define ZSTARTUP_TESTS_HARNESS_WIDETEXT_H

#include <string>

std::wstring Wide(const std::string& text);

#endif
