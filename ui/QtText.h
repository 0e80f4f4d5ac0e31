#pragma once

#include <QString>
#include <string>

// The engine keeps text as bytes in the system's 8-bit encoding; the widgets show QString.
inline QString ToQt(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FromQt(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}
