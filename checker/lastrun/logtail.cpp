#include "checker/lastrun/logtail.h"

namespace {

const DWORD kChunkBytes = 64 << 10;
const char kStartedLine[] = "[zStartup] started";

bool ReadAt(HANDLE file, ULONGLONG offset, char* bytes, DWORD count)
{
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    return ReadFile(file, bytes, count, &read, &at) && read == count;
}

const size_t kStartedLength = sizeof kStartedLine - 1;

// Where the last "started" line that begins within the first count bytes of text begins: at a
// line start (text's own start counts as one when startsALine), followed by CR LF or by the
// end of text. std::string::npos when there is none.
size_t LastStartedLine(const std::string& text, size_t count, bool startsALine)
{
    for (size_t at = text.rfind(kStartedLine, count - 1); at != std::string::npos;
         at = at == 0 ? std::string::npos : text.rfind(kStartedLine, at - 1)) {
        const bool lineStart = at == 0 ? startsALine : text[at - 1] == '\n';
        const std::string after = text.substr(at + kStartedLength, 2);
        if (lineStart && (after == "\r\n" || after.empty())) return at;
    }
    return std::string::npos;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// Reads backwards a chunk at a time, searching each with the start of the chunk after it, until
// the last start is found; then joins what follows it.
void ReadBackwards(HANDLE file, ULONGLONG size, LastRun& run)
{
    std::vector<std::string> chunks;  // latest first
    ULONGLONG offset = size;
    for (ULONGLONG searched = 0; offset > 0 && searched < kMaxLastRunBytes; searched += chunks.back().size()) {
        const DWORD count = static_cast<DWORD>(offset < kChunkBytes ? offset : kChunkBytes);
        offset -= count;
        std::string chunk(count, '\0');
        char before = '\n';
        if (!ReadAt(file, offset, &chunk[0], count) || (offset > 0 && !ReadAt(file, offset - 1, &before, 1))) {
            run.error = GetLastError() != 0 ? GetLastError() : ERROR_READ_FAULT;
            return;
        }
        const std::string text = chunk + (chunks.empty() ? std::string() : chunks.back().substr(0, kStartedLength + 2));
        const size_t started = LastStartedLine(text, count, before == '\n');
        chunks.push_back(chunk);
        if (started == std::string::npos) continue;
        std::string lastRun = chunk.substr(started);
        for (size_t i = chunks.size() - 1; i-- > 0;) lastRun += chunks[i];
        run.found = true;
        run.lines = Lines(lastRun);
        return;
    }
}

}  // namespace

LastRun ReadLastRun(const char* logPath)
{
    LastRun run = {0, false, {}, {}};
    HANDLE file = CreateFileA(logPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        run.error = GetLastError();
        return run;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size) || !GetFileTime(file, NULL, NULL, &run.lastWrite)) {
        run.error = GetLastError();
    } else {
        ReadBackwards(file, static_cast<ULONGLONG>(size.QuadPart), run);
    }
    CloseHandle(file);
    return run;
}
