#include "ProgressLine.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

std::string ProgressLine::Draw(std::string_view status, int percent)
{
    std::string text = "\r";
    text += status;
    const std::string number = std::to_string(percent > 100 ? 100 : percent);
    text += "  " + std::string(number.size() < 3 ? 3 - number.size() : 0, ' ') + number + "%";
    const std::size_t shown = text.size() - 1;
    if (Escapes)
        text += "\033[K";
    else if (shown < Shown)
        text += std::string(Shown - shown, ' ');
    Shown = shown;
    return text;
}

std::string ProgressLine::Clear()
{
    std::string text = "\r";
    if (Escapes)
        text += "\033[K";
    else
        text += std::string(Shown, ' ') + "\r";
    Shown = 0;
    return text;
}

bool TerminalUnderstandsEscapes(std::FILE* stream)
{
#ifdef _WIN32
    const HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode))
        return false;
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
#else
    (void)stream;
    return true;
#endif
}
