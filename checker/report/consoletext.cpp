#include "checker/report/consoletext.h"

#include <io.h>

#include <algorithm>

#include "helpers/text.h"

namespace {

// The console behind stream, or NULL when it goes to a pipe or a file.
HANDLE ConsoleOf(FILE* stream)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : NULL;
}

}  // namespace

std::string InCodePage(const std::string& utf8, UINT codePage)
{
    const std::wstring wide = WideOfUtf8(utf8);
    if (wide.empty()) return std::string();
    // UTF-8, UTF-7 and a few others refuse the flag (WideCharToMultiByte's documentation).
    const std::string exact = TextInCodePage(wide, codePage, WC_NO_BEST_FIT_CHARS);
    return exact.empty() ? TextInCodePage(wide, codePage) : exact;
}

UINT OutputCodePage()
{
    const UINT console = GetConsoleOutputCP();
    return console != 0 ? console : GetOEMCP();
}

void WriteText(FILE* stream, const std::string& utf8)
{
    const HANDLE console = ConsoleOf(stream);
    if (console == NULL) {
        const std::string text = InCodePage(utf8, OutputCodePage());
        std::fwrite(text.data(), 1, text.size(), stream);
        return;
    }
    std::fflush(stream);
    const std::wstring wide = WideOfUtf8(utf8);
    for (size_t at = 0; at < wide.size();) {
        // Older consoles take at most 64 KiB in one write.
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(wide.size() - at, 8192));
        DWORD written = 0;
        if (!WriteConsoleW(console, wide.data() + at, chunk, &written, NULL) || written == 0) return;
        at += written;
    }
}
