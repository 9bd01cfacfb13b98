#include "tests/testservice/ownusersid.h"

#include <windows.h>
#include <sddl.h>

std::string OwnUserSid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return std::string();
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info;
    DWORD size = 0;
    char* text = nullptr;
    std::string sid;
    if (GetTokenInformation(token, TokenUser, &info, sizeof info, &size) &&
        ConvertSidToStringSidA(info.user.User.Sid, &text)) {
        sid = text;
        LocalFree(text);
    }
    CloseHandle(token);
    return sid;
}
