// Reads a string resource into a caller's buffer: at most size - 1 bytes of the string with
// identifier id and a terminator. Returns the bytes copied, 0 when there is no such string.
//
// On Windows this is LoadStringA on the module instance. Elsewhere there are no module
// resources, so texts come from a small process-wide table that RegisterResourceText fills
// (the instance is ignored there).
#ifndef ZSTARTUP_FOUNDATION_RESOURCETEXT_H
#define ZSTARTUP_FOUNDATION_RESOURCETEXT_H

#include "foundation/zstring.h"

int LoadResourceText(ZInstance instance, unsigned int id, char* buffer, int size);

#ifndef _WIN32
// Adds or replaces the text of id; a null text removes it.
void RegisterResourceText(unsigned int id, const char* text);
#endif

#endif
