#pragma once

#include <string>
#include <string_view>

// What the user reads when something fails with a file: what failed, the file on a
// line of its own and the system's reason ("The project cannot be saved.\n\n/x/p.cvtproj
// \n\nReason: Permission denied."). Without a file name it says that none is named.
std::string DescribeFileFailure(std::string_view what, const std::string& file, const std::string& reason);
