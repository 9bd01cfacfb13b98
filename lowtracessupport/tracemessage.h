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
// - appends "<message>\r\n" to the log file, with one write: the executable's path with its
//   extension replaced by "_LT.log" (its UTF-16 path: a folder name the ANSI code page cannot
//   hold is no obstacle), or "default_LT.log" in the current directory when that path is
//   unavailable or does not fit 256 characters (logpath.h). The first line opens the log
//   (created when missing) with the access and share mode of logfile.h, and the process keeps
//   it open to its end: a line is in the file when the call returns, and no program can take
//   the log from the run with an open that refuses write sharing.
//   While another handle holds it (LogHeldByAnother, at the open or at the write), the call
//   waits, but all calls of the process share one budget of kLogWaitMs: once it is spent, a
//   held log is tried once per line. A line that still does not reach the file is lost from
//   it without any error, and counted, in the file beside the log (lostlinecount.h) when it
//   can be written, else in the process. The next line that reaches the log, of this run or a
//   later one, is preceded there by "[zStartup] Warning: <n> lines could not be written to the
//   log", n counting every line lost since the last that reached it. Standard output gets
//   every line, and no warning.
void TraceMessage(int destination, const char* format, ...);

#endif
