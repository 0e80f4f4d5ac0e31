#pragma once

#include <cstdint>

// Opens a topic of the compiled help file. `address` is "<help file>::/<topic>".
// Returns the viewer's window handle, or 0 when no viewer could be had; never
// reports anything to the user. `window` is the caller's window (a QWidget* on
// systems without the HTML Help control).
std::intptr_t HtmlHelpLauncher(void* window, const char* address, std::uint32_t command, std::uint32_t data);
