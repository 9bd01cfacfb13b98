#include "tests/testservice/serviceoptions.h"

#include <cstdlib>
#include <cstring>

namespace {

// The text after prefix when arg starts with it, else null.
const char* ValueOf(const char* arg, const char* prefix)
{
    size_t length = strlen(prefix);
    return strncmp(arg, prefix, length) == 0 ? arg + length : nullptr;
}

// Milliseconds or "never" (INFINITE); false for anything else.
bool ParseDelay(const char* text, DWORD* delayMs)
{
    if (strcmp(text, "never") == 0) {
        *delayMs = INFINITE;
        return true;
    }
    char* end = nullptr;
    unsigned long value = strtoul(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value >= INFINITE) return false;
    *delayMs = static_cast<DWORD>(value);
    return true;
}

bool ParseEvent(const char* text, StopEventKind* kind)
{
    if (strcmp(text, "plain") == 0)
        *kind = StopEventKind::Plain;
    else if (strcmp(text, "global") == 0)
        *kind = StopEventKind::Global;
    else if (strcmp(text, "mutex") == 0)
        *kind = StopEventKind::Mutex;
    else
        return false;
    return true;
}

bool ParseRights(const char* text, StopEventRights* rights)
{
    if (strcmp(text, "synchronize") == 0)
        *rights = StopEventRights::SynchronizeOnly;
    else if (strcmp(text, "none") == 0)
        *rights = StopEventRights::Nobody;
    else if (strcmp(text, "guide-without-owner") == 0)
        *rights = StopEventRights::GuideWithoutOwner;
    else
        return false;
    return true;
}

bool ParseOne(const char* arg, ServiceOptions* options)
{
    if (const char* value = ValueOf(arg, "--start-delay=")) return ParseDelay(value, &options->startDelayMs);
    if (const char* value = ValueOf(arg, "--signal-after=")) return ParseDelay(value, &options->signalAfterMs);
    if (const char* value = ValueOf(arg, "--stopped-after=")) return ParseDelay(value, &options->stoppedAfterMs);
    if (const char* value = ValueOf(arg, "--stop-handler-blocks=")) return ParseDelay(value, &options->handlerBlocksMs);
    if (const char* value = ValueOf(arg, "--event=")) return ParseEvent(value, &options->event);
    if (const char* value = ValueOf(arg, "--event-rights=")) return ParseRights(value, &options->eventRights);
    if (strcmp(arg, "--event-without-descriptor") == 0) {
        options->eventRights = StopEventRights::NoDescriptor;
        return true;
    }
    if (strcmp(arg, "--keep-existing-event") == 0) return options->keepExistingEvent = true;
    if (strcmp(arg, "--exit-at-start") == 0) return options->exitAtStart = true;
    if (strcmp(arg, "--refuse-stop") == 0) return options->refuseStop = true;
    if (strcmp(arg, "--die-on-stop") == 0) return options->dieOnStop = true;
    return false;
}

}  // namespace

bool ParseServiceOptions(int argc, char** argv, ServiceOptions* options)
{
    for (int i = 1; i < argc; ++i) {
        if (!ParseOne(argv[i], options)) return false;
    }
    return true;
}
