#pragma once

#include "HelpControl.h"

class HelpWindow;

// The built-in help viewer's display entry point. `window` is the caller's
// QWidget* (or null) and owns the viewer window; `address` is
// "<help file>::/<topic>". Shows the topic in the one viewer window, made at the
// first successful request and reused afterwards, and returns that window, or
// 0, silently, when the file or the topic cannot be had or there is no GUI.
std::intptr_t TABULON_HELP_API ShowHelpTopic(void* window, const char* address, std::uint32_t command,
                                             std::uintptr_t data);

// The viewer window while it exists, else nullptr.
HelpWindow* HelpViewerWindow();
