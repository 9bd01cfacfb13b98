#include "lowtracessupport/ansitext.h"

#include <windows.h>

AnsiForm ToAnsiText(const wchar_t* wide, char* text, unsigned int capacity)
{
    // UTF-8 as the ANSI code page holds every character but a lone surrogate, and refuses both
    // the no-best-fit flag and the used-default report.
    const bool utf8 = GetACP() == CP_UTF8;
    const UINT codePage = utf8 ? CP_UTF8 : CP_ACP;
    const int size = static_cast<int>(capacity);
    BOOL usedDefault = FALSE;
    int written = WideCharToMultiByte(codePage, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, wide, -1, text,
                                      size, NULL, utf8 ? NULL : &usedDefault);
    if (written == 0 && utf8 && GetLastError() == ERROR_NO_UNICODE_TRANSLATION) {
        usedDefault = TRUE;
        written = WideCharToMultiByte(codePage, 0, wide, -1, text, size, NULL, NULL);
    }
    if (written == 0) {
        if (capacity > 0) text[0] = '\0';
        return AnsiForm::kTooLong;
    }
    return usedDefault ? AnsiForm::kInexact : AnsiForm::kExact;
}

bool FromAnsiText(const char* text, wchar_t* wide, unsigned int capacity)
{
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, static_cast<int>(capacity)) != 0) return true;
    if (capacity > 0) wide[0] = L'\0';
    return false;
}
