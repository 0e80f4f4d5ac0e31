// The one form of "what failed, which file, why".
#include "FailureText.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* File;
    const char* Reason;
    const char* Text;
};

TEST(FailureText, NamesWhatFailedTheFileAndTheReason)
{
    const TextCase cases[] = {
        {"/x/p.cvtproj", "Permission denied",
         "The project cannot be saved.\n\n/x/p.cvtproj\n\nReason: Permission denied."},
        {"/x/p.cvtproj", "", "The project cannot be saved.\n\n/x/p.cvtproj"},
        {"", "no source file named", "The project cannot be saved. No file is named."},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(DescribeFileFailure("The project cannot be saved.", c.File, c.Reason), c.Text) << c.File;
}

} // namespace
