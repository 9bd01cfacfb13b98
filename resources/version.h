// The programs' version, the project's: CMake gives its four parts as compile definitions
// (ZSTARTUP_VERSION_MAJOR, _MINOR, _PATCH and _TWEAK), for the version records and the checker.
#ifndef ZSTARTUP_RESOURCES_VERSION_H
#define ZSTARTUP_RESOURCES_VERSION_H

#define ZSTARTUP_STRINGIZE(x) #x
#define ZSTARTUP_STRING(x) ZSTARTUP_STRINGIZE(x)

// "1.0.0.1"
#define ZSTARTUP_VERSION_TEXT \
    ZSTARTUP_STRING(ZSTARTUP_VERSION_MAJOR.ZSTARTUP_VERSION_MINOR.ZSTARTUP_VERSION_PATCH.ZSTARTUP_VERSION_TWEAK)

#endif
