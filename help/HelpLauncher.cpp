#include "HelpLauncher.h"

std::intptr_t HelpLauncher::Launch(void* window, const char* address, std::uint32_t command,
                                   std::uint32_t data)
{
    if (!HelpLibrary && !HelpLoadFailed) {
        char path[HelpControlPathSize] = {};
        if (Loader->ReadHelpControlPath(path))
            HelpLibrary = Loader->LoadControl(path);
        if (!HelpLibrary)
            HelpLibrary = Loader->LoadControl(HelpControlName);
        if (!HelpLibrary) {
            HelpLoadFailed = true;
            return 0;
        }
    }
    // A failed load leaves no library: every later request ends here at once.
    if (!HelpLibrary)
        return 0;
    if (!HelpEntry) {
        HelpEntry = Loader->FindEntry(HelpLibrary, HelpEntryOrdinal);
        if (!HelpEntry) {
            HelpLoadFailed = true;
            return 0;
        }
    }
    return HelpEntry(window, address, command, data);
}

namespace {

HelpLauncher& ProcessHelpLauncher()
{
    static HelpLauncher launcher(PlatformHelpControlLoader());
    return launcher;
}

} // namespace

void UseHelpControlLoader(HelpControlLoader& loader)
{
    ProcessHelpLauncher() = HelpLauncher(loader);
}

std::intptr_t HtmlHelpLauncher(void* window, const char* address, std::uint32_t command, std::uint32_t data)
{
    return ProcessHelpLauncher().Launch(window, address, command, data);
}
