// What the user reads when engine work for a window fails, whatever it fails with.
#include "EngineWork.h"
#include "FileError.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <stdexcept>

namespace {

const EngineWorkTexts Texts{"The source file cannot be read.", "read the source file"};

std::string FailureOf(const std::function<void()>& work)
{
    return RunEngineWork(Texts, work);
}

TEST(EngineWork, WorkThatEndsNormallyGivesNoMessage)
{
    bool ran = false;
    EXPECT_EQ(FailureOf([&] { ran = true; }), "");
    EXPECT_TRUE(ran);
}

TEST(EngineWork, EachFailureReadsAsTheUserNeedsIt)
{
    EXPECT_EQ(FailureOf([] { throw FileError("/data/in.txt", "Input/output error"); }),
              "The source file cannot be read.\n\n/data/in.txt\n\nReason: Input/output error.");
    EXPECT_EQ(FailureOf([] { throw std::runtime_error("Line 3, column 2: the value cannot be written."); }),
              "Line 3, column 2: the value cannot be written.");
    EXPECT_EQ(FailureOf([] { throw std::bad_alloc(); }),
              "There is not enough memory to read the source file.");
    // A file system error names the path and the system's reason.
    const std::string fileSystem =
        FailureOf([] { (void)std::filesystem::file_size("/no/such/folder/in.txt"); });
    EXPECT_NE(fileSystem.find("/no/such/folder/in.txt"), std::string::npos) << fileSystem;
    EXPECT_NE(fileSystem.find("No such file or directory"), std::string::npos) << fileSystem;
}

TEST(EngineWork, TheTestFaultRunsFirstAndCanBeRemoved)
{
    int calls = 0;
    SetEngineFaultForTesting([] { throw std::runtime_error("injected"); });
    EXPECT_EQ(FailureOf([&] { ++calls; }), "injected");
    EXPECT_EQ(calls, 0);
    SetEngineFaultForTesting({});
    EXPECT_EQ(FailureOf([&] { ++calls; }), "");
    EXPECT_EQ(calls, 1);
}

} // namespace
