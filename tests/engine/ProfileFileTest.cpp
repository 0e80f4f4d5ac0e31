#include "ProfileFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

TEST(ProfileFile, ReaderTrimsBlanksAndOnePairOfQuotes)
{
    const struct {
        const char* Raw;
        const char* Value;
    } cases[] = {
        {"  plain  ", "plain"},   {"\"quoted\"", "quoted"},
        {"'single'", "single"},   {"\"\"x\"\"", "\"x\""},
        {"'mixed\"", "'mixed\""}, {"'", "'"},
        {" \" a \" ", " a "},     {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProfileFile::DecodeValue(c.Raw), c.Value) << c.Raw;
}

namespace {

ProfileFile ReadProfile(const std::string& text)
{
    const TestFolder folder;
    ProfileFile profile;
    EXPECT_EQ(profile.Read(folder.Write("test.ini", text)), ProfileFile::ReadResult::Done);
    return profile;
}

} // namespace

TEST(ProfileFile, AValueInQuotesIsCutBeforeItsQuotesAreRemoved)
{
    const struct {
        const char* Line;
        std::size_t Buffer;
        const char* Value;
    } cases[] = {
        {"k=\"a b\"", 4, "a "},    {"k=\"x\"", 2, ""},       {"k=\"a b\"", 5, "a b"}, {"k=\"a b\"", 6, "a b"},
        {"k=\"a b\"", 260, "a b"}, {"k=  'ab'  ", 4, "ab"},  {"k=\"a b\"", 1, ""},    {"k=\"a b\"", 0, ""},
        {"k=plain", 4, "pla"},     {"k='mixed\"", 4, "'mi"}, {"k=\"\"", 2, ""},       {"k=\"a b\"", 3, "a"},
        {"k=\"ab\"", 5, "ab"},
    };
    for (const auto& c : cases) {
        const ProfileFile profile = ReadProfile(std::string("[General]\r\n") + c.Line + "\r\n");
        EXPECT_EQ(profile.Get("General", "k", "", c.Buffer), c.Value)
            << c.Line << " in " << c.Buffer << " bytes";
    }
}

TEST(ProfileFile, WritingAnExistingKeyKeepsItsSpelling)
{
    const struct {
        const char* Before;
        const char* Key;
        const char* After;
    } cases[] = {
        {"filename=old", "FileName", "filename=new"},
        {"FILENAME = old", "FileName", "FILENAME=new"},
        {"FileName=old", "filename", "FileName=new"},
        {"Other=old", "FileName", "Other=old\r\nFileName=new"},
    };
    for (const auto& c : cases) {
        ProfileFile profile = ReadProfile(std::string("[General]\r\n") + c.Before + "\r\n");
        profile.Set("GENERAL", c.Key, "new");
        EXPECT_EQ(profile.Text(), std::string("[General]\r\n") + c.After + "\r\n") << c.Before;
    }
}

TEST(ProfileFile, WhatIsWrittenReadsBackAsTheSameText)
{
    const char* const files[] = {
        "[General]\r\nA=1\r",                 // the last line's CR with no LF after it
        "[Gener[General]\r\nFileName=a]\r\r", // a line of no section, CRs at the end
        "[General]\r\nA=1\r\r\nB=2\n",
    };
    for (const char* file : files) {
        const std::string written = ReadProfile(file).Text();
        EXPECT_EQ(ReadProfile(written).Text(), written) << file;
    }
}
