// ToAnsiText: UTF-16 text in the process's ANSI code page, never as a look-alike.
#ifndef ZSTARTUP_LOWTRACESSUPPORT_ANSITEXT_H
#define ZSTARTUP_LOWTRACESSUPPORT_ANSITEXT_H

#include <wchar.h>

enum class AnsiForm {
    kExact,    // every character has its own form in the code page
    kInexact,  // some have none: the code page's default character ('?') stands for each
    kTooLong,  // the text does not fit
};

// Converts wide (terminated) into text, capacity bytes with the terminator. No best-fit
// mapping: Windows would make the folder "Łódź" the folder "Lodz", and the full-width service
// name "Ｒ０" the name "R0"; both are other names. On kTooLong text is empty.
AnsiForm ToAnsiText(const wchar_t* wide, char* text, unsigned int capacity);

// ANSI text (terminated) as UTF-16 into wide, capacity units with the terminator, as the A
// calls convert it. False, with wide empty, when it does not fit.
bool FromAnsiText(const char* text, wchar_t* wide, unsigned int capacity);

#endif
