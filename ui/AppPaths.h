#pragma once

#include <string>
#include <string_view>

// The help file and the settings file lie beside the executable: its full path
// with the last three characters overwritten, whatever the extension
// is. C:\Tools\conv.exe gives C:\Tools\conv.chm and C:\Tools\conv.ini; the
// Linux program is build/tabulon.bin (reached through the link build/tabulon),
// so build/tabulon.chm and build/tabulon.ini. A path shorter than three
// characters is replaced whole.
std::string ReplaceLastThree(std::string_view path, std::string_view replacement);

// The full path of the running executable, links resolved.
std::string ExecutableFilePath();

// The help file: beside the executable as above where it is there; else the
// installed one, share/tabulon/tabulon.chm in the installation's prefix (the
// executable being in its bin folder); else the path beside the executable.
std::string HelpFilePath(const std::string& executable);

// The settings file: beside the executable as above while the executable's
// folder is writable and not an installation's bin folder (one with
// share/tabulon beside it); otherwise $XDG_CONFIG_HOME/tabulon/tabulon.ini, or
// ~/.config/tabulon/tabulon.ini where XDG_CONFIG_HOME is unset or relative
// (on Windows %APPDATA%\Tabulon\tabulon.ini, as the setup program installs it).
// The settings' folder is made when it does not exist yet.
std::string SettingsFilePath(const std::string& executable);
// The same with the environment's two variables given (null: unset): the
// configuration folder ($XDG_CONFIG_HOME, %APPDATA% on Windows) and the home.
std::string SettingsFilePath(const std::string& executable, const char* configHome, const char* home);

// The settings' own folder in the configuration folder.
#ifdef _WIN32
inline constexpr const char* SettingsFolderName = "Tabulon";
#else
inline constexpr const char* SettingsFolderName = "tabulon";
#endif
