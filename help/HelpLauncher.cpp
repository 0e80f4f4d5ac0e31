#include "HelpLauncher.h"

// Placeholder until the help viewer exists: no viewer, silently.
std::intptr_t HtmlHelpLauncher(void*, const char*, std::uint32_t, std::uint32_t)
{
    return 0;
}
