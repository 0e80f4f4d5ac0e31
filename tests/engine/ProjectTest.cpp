#include "Project.h"
#include "ProfileFile.h"
#include "RunSettings.h"
#include "SettingsError.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

TEST(Project, NewRecordHasTheDefaults)
{
    const CProject project;
    EXPECT_TRUE(project.FileName.empty());
    EXPECT_TRUE(project.TargetName.empty());
    EXPECT_TRUE(project.TableName.empty());
    EXPECT_TRUE(project.ProjectPath.empty());
    EXPECT_EQ(project.ColumnNames, 1);
    EXPECT_EQ(project.WithSeparators, 1);
    EXPECT_EQ(project.Commit, 0);
    EXPECT_EQ(project.CommitSize, 250);
    EXPECT_EQ(project.Separator, "<tab>");
    EXPECT_EQ(project.SQLSep, ";");
    EXPECT_TRUE(project.Widths.empty());
    EXPECT_TRUE(project.Columns.empty());
    EXPECT_TRUE(project.Quotes.empty());
}

TEST(Project, ResetDefaultsGivesANewProject)
{
    CProject project;
    project.FileName = "a.csv";
    project.ProjectPath = "p.cvtproj";
    project.Commit = 1;
    project.Separator = ",";
    project.Widths = "5,10";
    project.Dialect = "MySQL";
    project.Columns = {"a", "b", "c"};
    project.Quotes = {"", "'", ""};
    project.SourceColumns = {"A", "B", "C"};
    project.Types = {"", "TEXT", ""};

    project.ResetDefaults();

    EXPECT_TRUE(project.FileName.empty());
    EXPECT_TRUE(project.ProjectPath.empty());
    EXPECT_EQ(project.Commit, 0);
    EXPECT_EQ(project.Separator, "<tab>");
    EXPECT_TRUE(project.Widths.empty());
    EXPECT_TRUE(project.Dialect.empty());
    // The columns of an earlier source mean nothing for a new project.
    EXPECT_TRUE(project.Columns.empty());
    EXPECT_TRUE(project.Quotes.empty());
    EXPECT_TRUE(project.SourceColumns.empty());
    EXPECT_TRUE(project.Types.empty());
}

TEST(Project, WidthsAreWholePositiveNumbers)
{
    const struct {
        const char* Text;
        std::vector<std::size_t> Expected; // empty: refused
    } cases[] = {
        {"10,20,30", {10, 20, 30}},
        {"10", {10}},
        {" 7, 8 ,9", {7, 8, 9}},
        {"65537", {65537}},
        {"", {}},
        {",10,20", {}},
        {"10,20,", {}},
        {"10,,30", {}},
        {"9x", {}},
        {"0", {}},
        {"-3", {}},
        {"abc", {}},
        {"1000000001", {}},
    };
    for (const auto& c : cases) {
        if (c.Expected.empty()) {
            EXPECT_THROW(ParseWidths(c.Text), SettingsError) << c.Text;
            continue;
        }
        EXPECT_EQ(ParseWidths(c.Text), c.Expected) << c.Text;
    }
}

namespace {

CProject OrdersProject(const std::string& path)
{
    CProject project;
    project.ProjectPath = path;
    project.FileName = "C:\\data\\orders.csv";
    project.TargetName = "C:\\data\\orders.sql";
    project.TableName = "ORDERS";
    project.Separator = ",";
    project.SQLSep = ";";
    project.Commit = 1;
    project.Columns = {"ID", "CUSTOMER", "AMOUNT"};
    project.Quotes = {"", "'", ""};
    return project;
}

CProject LoadFrom(const std::string& path)
{
    CProject project;
    project.ProjectPath = path;
    project.Load();
    return project;
}

} // namespace

TEST(ProjectFile, SaveWritesTheKeysInOrderWithCrLf)
{
    TestFolder folder;
    const CProject project = OrdersProject(folder.Path("orders.cvtproj"));
    ASSERT_TRUE(project.Save());
    EXPECT_EQ(ReadFile(project.ProjectPath), "[General]\r\n"
                                             "FileName=C:\\data\\orders.csv\r\n"
                                             "TargetName=C:\\data\\orders.sql\r\n"
                                             "TableName=ORDERS\r\n"
                                             "Separator=,\r\n"
                                             "SQLSep=;\r\n"
                                             "Widths=\r\n"
                                             "Commit=1\r\n"
                                             "WithSeparators=1\r\n"
                                             "ColumnNames=1\r\n"
                                             "CommitSize=250\r\n"
                                             "nColumns=3\r\n"
                                             "Column0=ID\r\n"
                                             "Quote0=\r\n"
                                             "Column1=CUSTOMER\r\n"
                                             "Quote1='\r\n"
                                             "Column2=AMOUNT\r\n"
                                             "Quote2=\r\n");
    EXPECT_FALSE(std::filesystem::exists(project.ProjectPath + ".tmp~"));
}

TEST(ProjectFile, SaveThenLoadGivesBackEveryField)
{
    TestFolder folder;
    CProject saved = OrdersProject(folder.Path("p.cvtproj"));
    saved.Widths = "3,4,5";
    saved.WithSeparators = 0;
    saved.ColumnNames = 0;
    saved.CommitSize = -5;
    saved.SQLSep = "GO";
    ASSERT_TRUE(saved.Save());

    const CProject loaded = LoadFrom(saved.ProjectPath);
    EXPECT_EQ(loaded.FileName, saved.FileName);
    EXPECT_EQ(loaded.TargetName, saved.TargetName);
    EXPECT_EQ(loaded.TableName, saved.TableName);
    EXPECT_EQ(loaded.Separator, saved.Separator);
    EXPECT_EQ(loaded.SQLSep, saved.SQLSep);
    EXPECT_EQ(loaded.Widths, saved.Widths);
    EXPECT_EQ(loaded.Commit, saved.Commit);
    EXPECT_EQ(loaded.WithSeparators, saved.WithSeparators);
    EXPECT_EQ(loaded.ColumnNames, saved.ColumnNames);
    EXPECT_EQ(loaded.CommitSize, saved.CommitSize);
    EXPECT_EQ(loaded.Columns, saved.Columns);
    EXPECT_EQ(loaded.Quotes, saved.Quotes);
}

TEST(ProjectFile, ValuesThatTheReaderWouldChangeReadBackExactly)
{
    TestFolder folder;
    for (const std::string value : {" ", "\t", " lead", "trail ", "\"People\"", "'x'", "''", "\"\"", "'",
                                    "\"", "a\"b", "=", "x=y", "; not a comment", "[General]"}) {
        CProject saved;
        saved.ProjectPath = folder.Path("v.cvtproj");
        saved.Separator = value;
        saved.TableName = value;
        saved.Columns = {value};
        saved.Quotes = {value};
        ASSERT_TRUE(saved.Save());
        const CProject loaded = LoadFrom(saved.ProjectPath);
        EXPECT_EQ(loaded.Separator, value);
        EXPECT_EQ(loaded.TableName, value);
        EXPECT_EQ(loaded.Columns, saved.Columns);
        EXPECT_EQ(loaded.Quotes, saved.Quotes);
        std::filesystem::remove(saved.ProjectPath);
    }
}

TEST(ProjectFile, MissingKeysTakeTheReadDefaults)
{
    TestFolder folder;
    for (const std::string& content : {std::string("[General]\r\n"), std::string()}) {
        const std::string path = folder.Write("d.cvtproj", content);
        CProject project;
        project.Columns = {"old"};
        project.Quotes = {"'"};
        project.Commit = 0;
        project.ProjectPath = path;
        EXPECT_EQ(project.Load(), !content.empty()); // an empty file is no project file
        EXPECT_EQ(project.FileName, "");
        EXPECT_EQ(project.Separator, "<tab>");
        EXPECT_EQ(project.SQLSep, ";");
        EXPECT_EQ(project.Commit, 1);
        EXPECT_EQ(project.WithSeparators, 1);
        EXPECT_EQ(project.ColumnNames, 1);
        EXPECT_EQ(project.CommitSize, 250);
        EXPECT_TRUE(project.Columns.empty());
        EXPECT_TRUE(project.Quotes.empty());
    }
}

// Settings newer than the format: a file without them reads as before and is
// saved without them while they keep their defaults.
TEST(ProjectFile, NewerSettingsAreWrittenOnlyWhenUsed)
{
    TestFolder folder;
    const std::string path = folder.Write("n.cvtproj", "[General]\r\nTableName=t\r\n");
    CProject project = LoadFrom(path);
    EXPECT_EQ(project.QuotedFields, 0);
    EXPECT_EQ(project.Encoding, "");
    EXPECT_EQ(project.Trim, 0);
    EXPECT_EQ(project.EmptyIsNull, 0);
    ASSERT_TRUE(project.Save());
    for (const char* key : {"QuotedFields", "Encoding", "Trim", "EmptyIsNull"})
        EXPECT_EQ(ReadFile(path).find(key), std::string::npos) << key;

    project.QuotedFields = 1;
    project.Encoding = "Windows-1252";
    project.Trim = 1;
    project.EmptyIsNull = 1;
    ASSERT_TRUE(project.Save());
    const CProject loaded = LoadFrom(path);
    EXPECT_EQ(loaded.QuotedFields, 1);
    EXPECT_EQ(loaded.Encoding, "Windows-1252");
    EXPECT_EQ(loaded.Trim, 1);
    EXPECT_EQ(loaded.EmptyIsNull, 1);
    project.Encoding.clear(); // back to the default: the key stays, empty
    ASSERT_TRUE(project.Save());
    EXPECT_NE(ReadFile(path).find("Encoding=\r\n"), std::string::npos);
}

TEST(ProjectFile, AMissingFileLoadsTheDefaultsAndSaysSo)
{
    TestFolder folder;
    CProject project;
    project.ProjectPath = folder.Path("none.cvtproj");
    project.Commit = 0;
    EXPECT_FALSE(project.Load());
    EXPECT_EQ(project.Commit, 1);
    project.ProjectPath.clear();
    EXPECT_FALSE(project.Load());
    EXPECT_FALSE(project.Save()); // an empty path names no file
}

// Values are read whole, never cut to a buffer; one a key cannot take is
// refused by name, and the key keeps what a file without it means.
TEST(ProjectFile, ValuesAreReadWholeAndChecked)
{
    TestFolder folder;
    const struct {
        const char* Line;
        std::int32_t CProject::*Field;
        std::int32_t Expected;
        bool Refused;
    } cases[] = {
        {"CommitSize=12345", &CProject::CommitSize, 12345, false},
        {"Commit=100", &CProject::Commit, 100, false},
        {"Commit=", &CProject::Commit, 0, false},
        {"ColumnNames= -1", &CProject::ColumnNames, -1, false},
        {"WithSeparators=x", &CProject::WithSeparators, 1, true},
        {"Commit=yes", &CProject::Commit, 1, true},
        {"RowsPerInsert=abc", &CProject::RowsPerInsert, 1, true},
        {"RowsPerInsert=0", &CProject::RowsPerInsert, 1, true},
        {"RowsPerInsert=10001", &CProject::RowsPerInsert, 1, true},
        {"CommitSize=9999999999", &CProject::CommitSize, 250, true},
    };
    for (const auto& c : cases) {
        CProject project;
        project.ProjectPath = folder.Write("n.cvtproj", std::string("[General]\r\n") + c.Line + "\r\n");
        EXPECT_EQ(project.Load(), !c.Refused) << c.Line;
        EXPECT_EQ(project.*(c.Field), c.Expected) << c.Line;
        if (c.Refused) {
            EXPECT_EQ(project.LoadError.rfind(std::string(c.Line) + " cannot be used: write ", 0), 0u)
                << project.LoadError;
        }
    }
}

TEST(ProjectFile, ColumnKeysFollowNColumns)
{
    TestFolder folder;
    CProject project =
        LoadFrom(folder.Write("c.cvtproj", "[General]\r\nnColumns=3\r\nColumn0=a\r\nColumn2=c\r\n"
                                           "Quote2='\r\n"));
    EXPECT_EQ(project.Columns, (std::vector<std::string>{"a", "", "c"}));
    EXPECT_EQ(project.Quotes, (std::vector<std::string>{"", "", "'"}));

    for (const char* count : {"nColumns=0\r\n", "nColumns=-4\r\n", ""}) {
        project.ProjectPath =
            folder.Write("n.cvtproj", std::string("[General]\r\n") + count + "Column0=a\r\n");
        project.Columns = {"x"};
        project.Quotes = {"'"};
        project.Load();
        EXPECT_TRUE(project.Columns.empty()) << count;
        EXPECT_TRUE(project.Quotes.empty()) << count;
    }
}

TEST(ProjectFile, AShorterColumnListLeavesTheOldKeysBehind)
{
    TestFolder folder;
    CProject project;
    project.ProjectPath = folder.Path("s.cvtproj");
    project.Columns = {"a", "b", "c", "d", "e", "f", "g"};
    project.Quotes.assign(7, "'");
    ASSERT_TRUE(project.Save());
    project.Columns.resize(5);
    project.Quotes.resize(3); // a short quotation list is saved as empty marks
    ASSERT_TRUE(project.Save());

    const std::string text = ReadFile(project.ProjectPath);
    EXPECT_NE(text.find("nColumns=5\r\n"), std::string::npos);
    EXPECT_NE(text.find("Column6=g\r\nQuote6='\r\n"), std::string::npos);
    const CProject loaded = LoadFrom(project.ProjectPath);
    EXPECT_EQ(loaded.Columns, project.Columns);
    EXPECT_EQ(loaded.Quotes, (std::vector<std::string>{"'", "'", "'", "", ""}));
}

TEST(ProjectFile, LongTextsReadBackWhole)
{
    TestFolder folder;
    CProject project;
    project.ProjectPath = folder.Path("l.cvtproj");
    project.FileName = std::string(300, 'x');
    project.Columns = {std::string(300, 'a') + "1", std::string(300, 'a') + "2"};
    ASSERT_TRUE(project.Save());
    const CProject loaded = LoadFrom(project.ProjectPath);
    EXPECT_EQ(loaded.FileName, project.FileName);
    EXPECT_EQ(loaded.Columns, project.Columns);
}

TEST(ProjectFile, SaveKeepsEverythingElseInTheFile)
{
    TestFolder folder;
    const std::string path = folder.Write("k.cvtproj", "; my notes\r\n"
                                                       "[Other]\r\n"
                                                       "FileName=keep me\r\n"
                                                       "\r\n"
                                                       "[general]\r\n"
                                                       "Custom=1\r\n"
                                                       "tablename=OLD\r\n"
                                                       "\r\n"
                                                       "[Last]\r\n"
                                                       "x=y\r\n");
    CProject project;
    project.ProjectPath = path;
    project.TableName = "NEW";
    ASSERT_TRUE(project.Save());
    EXPECT_EQ(ReadFile(path),
              "; my notes\r\n[Other]\r\nFileName=keep me\r\n\r\n"
              "[general]\r\nCustom=1\r\ntablename=NEW\r\n"
              "FileName=\r\nTargetName=\r\nSeparator=<tab>\r\nSQLSep=;\r\nWidths=\r\n"
              "Commit=0\r\nWithSeparators=1\r\nColumnNames=1\r\nCommitSize=250\r\nnColumns=0\r\n"
              "\r\n[Last]\r\nx=y\r\n");
    EXPECT_EQ(LoadFrom(path).TableName, "NEW");
}

// A file that starts with a byte order mark twice (a tool put one in front of
// another's), in UTF-8 or behind a UTF-16 one: the second mark was read as text
// in front of the first line, which hid a section there, and saving dropped it
// only on the second save, so that saving what was loaded changed the file.
TEST(ProjectFile, ASecondByteOrderMarkInFrontIsNoText)
{
    const std::string lines = "[General]\r\nTableName=t\r\n";
    std::string utf16 = "\xFF\xFE\xFF\xFE"; // the mark, then the character it is read as
    for (const char c : lines)
        utf16 += std::string{c, '\0'};
    for (const std::string& text : {"\xEF\xBB\xBF\xEF\xBB\xBF" + lines, utf16}) {
        TestFolder folder;
        const std::string path = folder.Write("m.cvtproj", text);
        CProject project = LoadFrom(path);
        EXPECT_EQ(project.TableName, "t");
        ASSERT_TRUE(project.Save());
        const std::string saved = ReadFile(path);
        EXPECT_EQ(saved.find("\xEF\xBB\xBF"), std::string::npos);
        ASSERT_TRUE(LoadFrom(path).Save());
        EXPECT_EQ(ReadFile(path), saved);
    }
}

TEST(ProfileFile, KeyByKeyWritesGiveTheSameFileAsOneSave)
{
    TestFolder folder;
    const CProject project = OrdersProject(folder.Path("whole.cvtproj"));
    ASSERT_TRUE(project.Save());

    const std::string path = folder.Path("keys.cvtproj");
    const std::pair<const char*, const char*> keys[] = {{"FileName", "C:\\data\\orders.csv"},
                                                        {"TargetName", "C:\\data\\orders.sql"},
                                                        {"TableName", "ORDERS"},
                                                        {"Separator", ","},
                                                        {"SQLSep", ";"},
                                                        {"Widths", ""},
                                                        {"Commit", "1"},
                                                        {"WithSeparators", "1"},
                                                        {"ColumnNames", "1"},
                                                        {"CommitSize", "250"},
                                                        {"nColumns", "3"},
                                                        {"Column0", "ID"},
                                                        {"Quote0", ""},
                                                        {"Column1", "CUSTOMER"},
                                                        {"Quote1", "'"},
                                                        {"Column2", "AMOUNT"},
                                                        {"Quote2", ""}};
    for (const auto& [key, value] : keys)
        ASSERT_TRUE(WritePrivateProfileString("General", key, value, path));
    EXPECT_EQ(ReadFile(path), ReadFile(project.ProjectPath));
    EXPECT_EQ(GetPrivateProfileString("GENERAL", "quote1", "none", 260, path), "'");
    EXPECT_EQ(GetPrivateProfileString("General", "Missing", "fallback", 5, path), "fall");
    EXPECT_EQ(GetPrivateProfileString("Absent", "Quote1", "d", 260, path), "d");
}

TEST(ProjectFile, RenamedColumnsKeepTheirSourceNames)
{
    TestFolder folder;
    CProject project;
    project.ProjectPath = folder.Path("r.cvtproj");
    project.Columns = {"id", "full_name"};
    project.SourceColumns = {"id", "name"};
    project.Quotes = {"", "'"};
    ASSERT_TRUE(project.Save());
    std::string text = ReadFile(project.ProjectPath);
    EXPECT_EQ(text.find("Source0"), std::string::npos); // only names that differ are written
    EXPECT_NE(text.find("Column1=full_name\r\nQuote1='\r\nSource1=name\r\n"), std::string::npos);
    EXPECT_EQ(LoadFrom(project.ProjectPath).SourceColumns, project.SourceColumns);

    project.Columns[1] = "name"; // renamed back: the stale key must not survive
    ASSERT_TRUE(project.Save());
    EXPECT_EQ(LoadFrom(project.ProjectPath).SourceColumns, project.SourceColumns);
}

namespace fs = std::filesystem;

// Saving writes the real file: a link stays a link, the permissions stay, and
// a read-only project is not written at all. Nothing is left beside it.
TEST(ProjectFile, SaveWritesTheRealFileAndKeepsItsPermissions)
{
    struct Case {
        const char* Name;
        fs::perms Mode;
        bool ThroughLink;
        bool Saved;
    };
    const Case cases[] = {
        {"Link", fs::perms(0644), true, true},
        {"GroupOnly", fs::perms(0640), false, true},
        {"ReadOnly", fs::perms(0444), false, false},
    };
    for (const Case& c : cases) {
#ifdef _WIN32
        // Windows has neither symbolic links for everyone nor group permissions; a read-only file it has.
        if (c.ThroughLink || c.Mode != fs::perms(0444))
            continue;
#endif
        TestFolder folder;
        const std::string real = folder.Write("real.cvtproj", "[General]\r\nTableName=old\r\n");
        fs::permissions(real, c.Mode);
        std::string path = real;
        if (c.ThroughLink) {
            path = folder.Path("link.cvtproj");
            fs::create_symlink("real.cvtproj", path);
        }
        CProject project = LoadFrom(path);
        project.TableName = "new";
        EXPECT_EQ(project.Save(), c.Saved) << c.Name;
        EXPECT_EQ(LoadFrom(real).TableName, c.Saved ? "new" : "old") << c.Name;
        EXPECT_EQ(fs::status(real).permissions(), c.Mode) << c.Name;
        EXPECT_EQ(fs::is_symlink(path), c.ThroughLink) << c.Name;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.Root()), fs::directory_iterator()),
                  c.ThroughLink ? 2 : 1)
            << c.Name;
    }
}
