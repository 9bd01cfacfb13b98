// Calls TraceMessage once per argument pair: <destination code> <text>.
#include <cstdlib>

#include "lowtracessupport/tracemessage.h"

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; i += 2) TraceMessage(atoi(argv[i]), "%s", argv[i + 1]);
    return 0;
}
