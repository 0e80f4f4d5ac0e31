#include "AppPaths.h"

#include "QtText.h"

#include <QCoreApplication>

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
