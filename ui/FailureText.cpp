#include "FailureText.h"

std::string DescribeFileFailure(std::string_view what, const std::string& file, const std::string& reason)
{
    std::string text(what);
    if (file.empty())
        return text + " No file is named."; // the reason would only say the same
    text += "\n\n" + file;
    if (!reason.empty())
        text += "\n\nReason: " + reason + ".";
    return text;
}
