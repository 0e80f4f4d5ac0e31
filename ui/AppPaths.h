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
