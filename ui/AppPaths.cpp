#include "AppPaths.h"

#include "QtText.h"

#include <QCoreApplication>

#include <cstdlib>
#include <filesystem>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// share/tabulon of the installation whose bin folder holds the executable.
fs::path InstalledDataFolder(const std::string& executable)
{
    return fs::path(executable).parent_path().parent_path() / "share" / "tabulon";
}

bool IsInstalled(const std::string& executable)
{
    std::error_code ec;
    return fs::path(executable).parent_path().filename() == "bin" &&
           fs::is_directory(InstalledDataFolder(executable), ec);
}

bool IsWritableFolder(const fs::path& folder)
{
    std::error_code ec;
    if (!fs::is_directory(folder.empty() ? fs::path(".") : folder, ec))
        return false;
#ifdef _WIN32
    return true; // the program's folder, as on Windows the program has always used it
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
    if (fs::exists(beside, ec))
        return beside;
    const fs::path installed = InstalledDataFolder(executable) / "tabulon.chm";
    if (fs::exists(installed, ec))
        return installed.lexically_normal().string();
    return beside;
}

std::string SettingsFilePath(const std::string& executable)
{
    return SettingsFilePath(executable, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::string SettingsFilePath(const std::string& executable, const char* configHome, const char* home)
{
    if (!IsInstalled(executable) && IsWritableFolder(fs::path(executable).parent_path()))
        return ReplaceLastThree(executable, "ini");
    fs::path folder;
    if (configHome && fs::path(configHome).is_absolute())
        folder = configHome;
    else
        folder = fs::path(home ? home : "") / ".config";
    folder /= "tabulon";
    std::error_code ec;
    fs::create_directories(folder, ec); // a failure shows when the settings are written
    return (folder / "tabulon.ini").string();
}
