#pragma once

#include <QString>
#include <string>

// The engine keeps text, paths included, as UTF-8 bytes; the widgets show
// QString. Not the local 8-bit encoding: on Windows that is the ANSI code page,
// which would turn every name beyond ASCII into other characters.
inline QString ToQt(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FromQt(const QString& text)
{
    return text.toUtf8().toStdString();
}
