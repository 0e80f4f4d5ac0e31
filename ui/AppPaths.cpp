#include "AppPaths.h"

#include "QtText.h"
#include "Utf8Path.h"

#include <QCoreApplication>

#include <cstdlib>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// share/tabulon of the installation whose bin folder holds the executable.
fs::path InstalledDataFolder(const std::string& executable)
{
    return PathFromUtf8(executable).parent_path().parent_path() / "share" / "tabulon";
}

bool IsInstalled(const std::string& executable)
{
    std::error_code ec;
    return PathFromUtf8(executable).parent_path().filename() == "bin" &&
           fs::is_directory(InstalledDataFolder(executable), ec);
}

bool IsWritableFolder(const fs::path& folder)
{
    std::error_code ec;
    if (!fs::is_directory(folder.empty() ? fs::path(".") : folder, ec))
        return false;
#ifdef _WIN32
    // Access lists decide, which no attribute tells: a file is made there and
    // removed again as it closes.
    const std::wstring probe = (folder.empty() ? fs::path(".") : folder).wstring() + L"\\tabulon-probe.tmp";
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(file);
    return true;
#else
    return ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
#endif
}

} // namespace

std::string ReplaceLastThree(std::string_view path, std::string_view replacement)
{
    const std::size_t keep = path.size() >= 3 ? path.size() - 3 : 0;
    std::string result(path.substr(0, keep));
    result += replacement;
    return result;
}

std::string ExecutableFilePath()
{
    // Reads /proc/self/exe on Linux, so a link to the program gives the program's own path.
    return FromQt(QCoreApplication::applicationFilePath());
}

std::string HelpFilePath(const std::string& executable)
{
    const std::string beside = ReplaceLastThree(executable, "chm");
    std::error_code ec;
    if (fs::exists(PathFromUtf8(beside), ec))
        return beside;
    const fs::path installed = InstalledDataFolder(executable) / "tabulon.chm";
    if (fs::exists(installed, ec))
        return Utf8FromPath(installed.lexically_normal());
    return beside;
}

std::string SettingsFilePath(const std::string& executable)
{
#ifdef _WIN32
    // The user's roaming application data, %APPDATA%.
    const wchar_t* appData = _wgetenv(L"APPDATA");
    const std::string configHome = appData ? Utf8FromWide(appData) : std::string();
    return SettingsFilePath(executable, appData ? configHome.c_str() : nullptr, std::getenv("USERPROFILE"));
#else
    return SettingsFilePath(executable, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
#endif
}

std::string SettingsFilePath(const std::string& executable, const char* configHome, const char* home)
{
    if (!IsInstalled(executable) && IsWritableFolder(PathFromUtf8(executable).parent_path()))
        return ReplaceLastThree(executable, "ini");
    fs::path folder;
    if (configHome && PathFromUtf8(configHome).is_absolute())
        folder = PathFromUtf8(configHome);
    else
        folder = PathFromUtf8(home ? home : "") / ".config";
    folder /= SettingsFolderName;
    std::error_code ec;
    fs::create_directories(folder, ec); // a failure shows when the settings are written
    return Utf8FromPath(folder / "tabulon.ini");
}
