// TraceMessage: the program's one way to report what it does.
#ifndef ZSTARTUP_LOWTRACESSUPPORT_TRACEMESSAGE_H
#define ZSTARTUP_LOWTRACESSUPPORT_TRACEMESSAGE_H

// Destination codes.
enum TraceDestination {
    kTraceEverywhere = 0,  // standard output and the log file
    kTraceOutputOnly = 1,  // standard output only
    kTraceLogOnly = 2,     // the log file only
    kTraceNowhere = 3      // any other code does the same: nothing
};

// Formats the message with wvsprintfA (the Win32 printf subset, no floating point; cut to
// 1023 characters; a null format is an empty message), then, as destination asks:
// - prints "[LLT] <message>\n" to the inherited standard output and flushes it (discarded
//   when there is none);
// - appends "<message>\r\n" to the log file: the executable's path with its extension
//   replaced by "_LT.log", or "default_LT.log" in the current directory when that path is
//   unavailable, does not fit 256 characters or cannot be written in the ANSI code page.
//   The file is opened (created when missing) as OpenLogFile says, sharing it with readers,
//   and closed again within the call. While another writer holds it, the call waits up to
//   kLogWaitMs; when it still cannot be opened, the line is lost from the file without any
//   error.
void TraceMessage(int destination, const char* format, ...);

#endif
