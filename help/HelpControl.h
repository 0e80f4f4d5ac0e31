#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#define TABULON_HELP_API __stdcall
#else
#define TABULON_HELP_API
#endif

// The HTML Help control as the launcher sees it: a module with an entry point.
// The entry point takes the caller's window, a topic address, a command and
// its data, and returns the viewer's window handle or 0.
using HelpModule = void*;
using HelpEntryPoint = std::intptr_t(TABULON_HELP_API*)(void* window, const char* address,
                                                        std::uint32_t command, std::uintptr_t data);

// Size of the buffer that receives the control's path, terminating zero included.
inline constexpr std::size_t HelpControlPathSize = 260;
// The control's file name, loaded through the system's search when the
// recorded path is missing or cannot be loaded.
inline constexpr const char* HelpControlName = "hhctrl.ocx";
// The export that displays topics.
inline constexpr unsigned HelpEntryOrdinal = 14;

// How the control is found, loaded and entered. Replaceable so that the
// launcher's bookkeeping can be exercised without the real control.
class HelpControlLoader {
  public:
    virtual ~HelpControlLoader() = default;
    // True, with the path in `path`, when the system records where the control is.
    virtual bool ReadHelpControlPath(char (&path)[HelpControlPathSize]) = 0;
    // The module loaded from a full path or by file name; nullptr when it cannot be loaded.
    virtual HelpModule LoadControl(const char* pathOrName) = 0;
    // The module's export of that ordinal; nullptr when it has none.
    virtual HelpEntryPoint FindEntry(HelpModule module, unsigned ordinal) = 0;
};

#ifdef _WIN32
// True, with the path in `path`, when the registry records the HTML Help
// control's class; the path is left exactly as recorded.
bool ReadHelpControlPath(char (&path)[HelpControlPathSize]);
#endif

// The loader for this system: the registered HTML Help control on Windows,
// the program's own viewer elsewhere.
HelpControlLoader& PlatformHelpControlLoader();
