#include "HelpControl.h"

#ifdef _WIN32

#include <windows.h>

bool ReadHelpControlPath(char (&path)[HelpControlPathSize])
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    // The default value, whatever its type; environment references stay as they are.
    DWORD size = HelpControlPathSize;
    const LONG read = RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(key);
    // A value that fills the buffer need not end in a zero.
    path[HelpControlPathSize - 1] = '\0';
    return read == ERROR_SUCCESS;
}

namespace {

class WindowsHelpControlLoader final : public HelpControlLoader {
  public:
    bool ReadHelpControlPath(char (&path)[HelpControlPathSize]) override
    {
        return ::ReadHelpControlPath(path);
    }
    HelpModule LoadControl(const char* pathOrName) override { return LoadLibraryA(pathOrName); }
    HelpEntryPoint FindEntry(HelpModule module, unsigned ordinal) override
    {
        // Through the generic function pointer type, the one cast between function types that is clean.
        const FARPROC entry =
            GetProcAddress(static_cast<HMODULE>(module), MAKEINTRESOURCEA(static_cast<WORD>(ordinal)));
        return reinterpret_cast<HelpEntryPoint>(reinterpret_cast<void (*)()>(entry));
    }
};

} // namespace

HelpControlLoader& PlatformHelpControlLoader()
{
    static WindowsHelpControlLoader loader;
    return loader;
}

#else

#include "HelpViewer.h"

#include <cstring>

namespace {

// Stands in for the HTML Help control: "loading" it by its name yields the
// built-in viewer, whose only export is the display entry point.
class BuiltInHelpControlLoader final : public HelpControlLoader {
  public:
    // No registry of controls here.
    bool ReadHelpControlPath(char (&)[HelpControlPathSize]) override { return false; }
    HelpModule LoadControl(const char* pathOrName) override
    {
        return std::strcmp(pathOrName, HelpControlName) == 0 ? &ViewerModule : nullptr;
    }
    HelpEntryPoint FindEntry(HelpModule module, unsigned ordinal) override
    {
        return module == &ViewerModule && ordinal == HelpEntryOrdinal ? &ShowHelpTopic : nullptr;
    }

  private:
    char ViewerModule = 0; // its address is the module handle
};

} // namespace

HelpControlLoader& PlatformHelpControlLoader()
{
    static BuiltInHelpControlLoader loader;
    return loader;
}

#endif
