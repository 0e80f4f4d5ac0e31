#pragma once

#include "HelpControl.h"

#include <cstdint>

// Opens a topic of the compiled help file. `address` is "<help file>::/<topic>".
// Returns the viewer's window handle, or 0 when no viewer could be had; never
// reports anything to the user. `window` is the caller's window (a QWidget* on
// systems without the HTML Help control).
std::intptr_t HtmlHelpLauncher(void* window, const char* address, std::uint32_t command, std::uint32_t data);

// Loads the help control at the first request and at most once; after a
// failed load it tries nothing again. A loaded control without its entry point
// has only the lookup repeated by later requests.
class HelpLauncher {
  public:
    explicit HelpLauncher(HelpControlLoader& loader) : Loader(&loader) {}

    std::intptr_t Launch(void* window, const char* address, std::uint32_t command, std::uint32_t data);

    // True once loading the control has failed: nothing is tried again.
    bool LoadFailed() const { return HelpLoadFailed; }

  private:
    HelpControlLoader* Loader;
    HelpModule HelpLibrary = nullptr; // never unloaded
    HelpEntryPoint HelpEntry = nullptr;
    bool HelpLoadFailed = false;
};

// Gives HtmlHelpLauncher a fresh state that loads through `loader`, so tests can
// watch what the program asks of the help control.
void UseHelpControlLoader(HelpControlLoader& loader);
