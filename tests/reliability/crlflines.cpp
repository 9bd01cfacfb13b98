#include "tests/reliability/crlflines.h"

CrLfLines SplitCrLf(const std::string& text)
{
    CrLfLines split;
    size_t begin = 0;
    for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", begin)) {
        split.lines.push_back(text.substr(begin, end - begin));
        begin = end + 2;
    }
    split.rest = text.substr(begin);
    return split;
}
