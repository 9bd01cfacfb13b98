#include "checker/lastrun/logtail.h"

#include "helpers/filereading.h"

namespace {

const DWORD kFirstWindowBytes = 64 << 10;
const char kStartedLine[] = "[zStartup] started";
const size_t kStartedLength = sizeof kStartedLine - 1;
// The launcher's lines that end in a text of the list's: a service may be named anything.
const char* const kServiceLines[] = {
    "[zStartup] Success stopping service ",
    "[zStartup] Error stopping service ",
    "[zStartup] Success starting service ",
    "[zStartup] Error starting service ",
};

bool HasControl(const std::string& text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20) return true;
    }
    return false;
}

bool IsServiceLine(const std::string& text)
{
    for (const char* prefix : kServiceLines) {
        if (text.compare(0, lstrlenA(prefix), prefix) == 0) return true;
    }
    return false;
}

// What a byte takes in a report at most: a control or non-ASCII byte becomes "\u00XX" in JSON.
size_t ReportedSize(char c)
{
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x7F ? 1 : 6;
}

std::string Bounded(const std::string& line)
{
    size_t kept = 0;
    for (size_t size = 0; kept < line.size() && size + ReportedSize(line[kept]) <= kMaxLineBytes; ++kept)
        size += ReportedSize(line[kept]);
    if (kept == line.size()) return line;
    return line.substr(0, kept) + " [... " + std::to_string(line.size() - kept) + " more bytes]";
}

enum class Search { kFound, kNone, kNeedsMore };

struct Start {
    size_t at;
    size_t lineStart;  // where the line it ends began: at, unless the run before left its line unended
};

// Whether the start candidate at is one: a line of its own, or the end of a line that a power cut
// or an ended run left unfinished (its text holds a control byte: NUL padding, a lone CR), or of
// any line but a whole service line. kNeedsMore when the line began before text.
Search Classify(const std::string& text, size_t at, bool startsALine, Start& start)
{
    const size_t newline = at == 0 ? std::string::npos : text.rfind('\n', at - 1);
    if (newline == std::string::npos && !startsALine) return Search::kNeedsMore;
    start.at = at;
    start.lineStart = newline == std::string::npos ? 0 : newline + 1;
    const std::string before = text.substr(start.lineStart, at - start.lineStart);
    return before.empty() || HasControl(before) || !IsServiceLine(before) ? Search::kFound : Search::kNone;
}

// The last start in text (whose first byte starts a line when startsALine).
Search LastStart(const std::string& text, bool startsALine, Start& start)
{
    for (size_t at = text.rfind(kStartedLine); at != std::string::npos;
         at = at == 0 ? std::string::npos : text.rfind(kStartedLine, at - 1)) {
        const std::string after = text.substr(at + kStartedLength, 2);
        if (after != "\r\n" && !after.empty()) continue;
        const Search found = Classify(text, at, startsALine, start);
        if (found != Search::kNone) return found;
    }
    return Search::kNone;
}

void TakeLines(const std::string& text, size_t from, LastRun& run)
{
    for (size_t at = from; at < text.size();) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            end = text.size();
            run.lastLineUnended = true;
        }
        if (run.lines.size() < kMaxLines)
            run.lines.push_back(Bounded(text.substr(at, end - at)));
        else
            ++run.linesLeftOut;
        at = end + 2;
    }
}

// Reads ever larger windows at the log's end, each twice the last, until one holds the last start
// and the beginning of its line.
void ReadBackwards(HANDLE file, ULONGLONG size, LastRun& run)
{
    for (ULONGLONG window = kFirstWindowBytes;; window *= 2) {
        if (window > kMaxLastRunBytes) window = kMaxLastRunBytes;
        const ULONGLONG from = size > window ? size - window : 0;
        std::string text(static_cast<size_t>(size - from), '\0');
        const DWORD error = text.empty() ? 0 : ReadAt(file, from, &text[0], static_cast<DWORD>(text.size()));
        if (error != 0) {
            run.error = error;
            return;
        }
        const bool whole = from == 0;
        const bool last = whole || window == kMaxLastRunBytes;
        Start start = {};
        // At the limit, a line that began before it counts as begun there.
        const Search found = LastStart(text, whole || last, start);
        if (found == Search::kFound) {
            run.found = true;
            run.cutLineBefore = start.lineStart < start.at;
            run.cutLine = Bounded(text.substr(start.lineStart, start.at - start.lineStart));
            TakeLines(text, start.at, run);
            return;
        }
        if (last) return;
    }
}

}  // namespace

LastRun ReadLastRun(const char* logPath)
{
    LastRun run;
    const UniqueFile file = OpenForReading(logPath, run.error);
    if (!file) return run;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size) || !GetFileTime(file.Get(), NULL, NULL, &run.lastWrite)) {
        run.error = GetLastError();
    } else {
        ReadBackwards(file.Get(), static_cast<ULONGLONG>(size.QuadPart), run);
    }
    return run;
}
