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
//   The file is opened (created when missing) with the access and share mode of logfile.h,
//   sharing it with readers, written with one write and closed again within the call.
//   While another handle holds it (LogHeldByAnother, at the open or at the write), the call
//   waits, but all calls of the process share one budget of kLogWaitMs: once it is spent, a
//   held log is tried once per line. A line that still does not reach the file is lost from
//   it without any error, and counted; the next line that reaches it is preceded there by
//   "[zStartup] Warning: <n> lines could not be written to the log" (n the lines lost since
//   the last that reached it). Standard output gets every line, and no warning.
void TraceMessage(int destination, const char* format, ...);

#endif
