#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

// The progress line on a terminal, redrawn in place after a carriage return.
// Where the terminal understands escape sequences the rest of the line is
// cleared with one (ESC [ K); elsewhere (a Windows console without them) what
// the last drawing left is overwritten with blanks, so no raw escape shows.
class ProgressLine {
  public:
    explicit ProgressLine(bool escapes) : Escapes(escapes) {}

    // The text that redraws the line with the status and the percentage (at most 100).
    std::string Draw(std::string_view status, int percent);
    // The text that leaves an empty line with the cursor at its start.
    std::string Clear();

  private:
    bool Escapes;
    std::size_t Shown = 0; // characters the last drawing left on the line
};

// True when the stream is a terminal that understands escape sequences; on
// Windows it asks the console to understand them first.
bool TerminalUnderstandsEscapes(std::FILE* stream);
