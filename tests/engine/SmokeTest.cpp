#include "Converter.h"

#include <gtest/gtest.h>

TEST(Smoke, NewProjectHasDefaults)
{
    CProject project;
    EXPECT_EQ(project.Separator, "<tab>");
}
