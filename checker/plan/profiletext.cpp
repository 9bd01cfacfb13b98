#include "checker/plan/profiletext.h"

#include <windows.h>

std::string FoldedName(const std::string& name)
{
    std::string folded = name;
    if (!folded.empty()) CharUpperBuffA(&folded[0], static_cast<DWORD>(folded.size()));
    return folded;
}
