#include "SourceDetection.h"
#include "FileError.h"
#include "Project.h"
#include "SqlDialect.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// "-" as the value: the detection gives no such key.
using Expected = std::vector<std::pair<const char*, const char*>>;

std::string Lines(const std::vector<std::string>& lines, const std::string& end = "\r\n")
{
    std::string text;
    for (const std::string& line : lines)
        text += line + end;
    return text;
}

} // namespace

TEST(SourceDetection, DecidesTheSettingsFromRealisticSamples)
{
    const struct {
        const char* Name;
        std::string Sample;
        Expected Keys;
    } cases[] = {
        {"semicolons with decimal commas and day-first dates",
         Lines({"Artikel;Menge;Preis;Datum", "Schraube M4;10;0,25;31.01.2024",
                "Mutter, verzinkt;1.200;1.234,50;01.02.2024", "Scheibe;7;3,5;15.02.2024"}),
         {{"Separator", ";"},
          {"QuotedFields", "0"},
          {"ColumnNames", "1"},
          {"DecimalSeparator", ","},
          {"ThousandsSeparator", "."},
          {"DateFormat", "DD.MM.YYYY"},
          {"SkipLines", "-"}}},
        {"pipes with a quoted field holding a pipe",
         Lines({"id|name|city", "1|\"Smith | Jones\"|Paris", "2|Lee|Oslo", "3|\"Kim\"|Rome"}, "\n"),
         {{"Separator", "|"}, {"QuotedFields", "1"}, {"ColumnNames", "1"}, {"DecimalSeparator", "-"}}},
        {"tabs",
         Lines({"id\tname\tscore", "1\tAnn Lee\t3.5", "2\tBob, Jr.\t4.25", "3\tCy\t5"}),
         {{"Separator", "<tab>"}, {"QuotedFields", "0"}, {"ColumnNames", "1"}}},
        {"colons",
         Lines({"id:name:score", "1:Ann:3", "2:Bob:4", "3:Cy:5"}, "\n"),
         {{"Separator", ":"}, {"ColumnNames", "1"}}},
        {"commas with times holding colons",
         Lines({"id,time,name", "1,12:30:00,Ann", "2,13:45:10,Bob"}),
         {{"Separator", ","}, {"ColumnNames", "1"}}},
        {"no header",
         Lines({"1,Ann,3.5", "2,Bob,4.25", "3,Cy,5"}),
         {{"Separator", ","}, {"ColumnNames", "0"}}},
        {"quoted commas and line breaks",
         Lines({"id,comment,amount", "1,\"Hello, world\",3", "2,\"two\nlines, here\",4", "3,plain,5"}, "\n"),
         {{"Separator", ","}, {"QuotedFields", "1"}, {"ColumnNames", "1"}}},
        {"CR line ends",
         Lines({"id,name", "1,Ann", "2,Bob"}, "\r"),
         {{"Separator", ","}, {"ColumnNames", "1"}}},
        {"NA among numbers",
         Lines({"id,amount,note", "1,3.5,x", "2,NA,NA", "3,4,y", "4,NULL,z"}),
         {{"NullValues", "NA,NULL"}, {"DecimalSeparator", "-"}}},
        {"day-first dates",
         Lines({"day,amount", "31/01/2024,1", "01/02/2024,2"}),
         {{"DateFormat", "DD/MM/YYYY"}, {"ColumnNames", "1"}}},
        {"month-first dates with times",
         Lines({"day,amount", "01/31/2024 09:15,1", "02/01/2024 17:40,2"}),
         {{"DateFormat", "MM/DD/YYYY"}}},
        {"dates that read both ways",
         Lines({"day,amount", "01/02/2024,1", "03/04/2024,2"}),
         {{"DateFormat", "-"}}},
        {"ISO dates", Lines({"day,amount", "2024-01-31,1", "2024-02-01,2"}), {{"DateFormat", "-"}}},
        {"title lines",
         Lines({"Sales report", "Generated 2024-01-05", "", "id;region;total", "1;North;10", "2;South;12"}),
         {{"Separator", ";"}, {"SkipLines", "3"}, {"ColumnNames", "1"}}},
        {"some lines short",
         Lines({"a,b,c,d", "1,2,3,4", "5,6", "7,8,9,10", "11,12,13,14", "15,16,17,18"}, "\n"),
         {{"Separator", ","}, {"ColumnNames", "1"}}},
        {"records that leave out their empty last fields",
         Lines({"version,codename,created,release,eol,eol-lts", "1.1,Buzz,1993-08-16,1996-06-17,1997-06-05",
                "2.0,Hamm,1997-06-05,1998-07-24", "3.0,Woody,1999-08-15,2002-07-19,2006-06-30,2008-03-31",
                "4.0,Etch,2005-06-06", "5.0,Lenny,2007-04-08,2009-02-14,2012-02-06"},
               "\n"),
         {{"Separator", ","}, {"ColumnNames", "1"}}},
        {"text whose first line repeats below is no header",
         Lines({"p,\"q,r\",s", "p,\"q\"\"r\",s", "p,\"q,\"\"r\",s", "x,y,z"}, "\n"),
         {{"Separator", ","}, {"QuotedFields", "1"}, {"ColumnNames", "0"}}},
        {"a name repeated as a value beside a name over numbers stays a name",
         Lines({"id,type,amount", "1,type,5", "2,other,7"}, "\n"),
         {{"Separator", ","}, {"ColumnNames", "1"}}},
        {"a header repeated further down stays a header",
         Lines({"name,city", "Ann,Oslo", "Bob,Rome", "name,city", "Cy,Kiev"}, "\n"),
         {{"Separator", ","}, {"ColumnNames", "1"}}},
        {"a first line naming the separator, as spreadsheets write it",
         Lines({"sep=;", "Name;Wert;Datum", "A;1,5;01.02.2024", "B;2,25;03.02.2024"}),
         {{"Separator", ";"}, {"SkipLines", "1"}, {"ColumnNames", "1"}, {"DecimalSeparator", ","}}},
        {"row numbers under an empty first name, as data frames write them",
         Lines({",name,value", "0,Ann,1.5", "1,Bob,2", "2,Cy,3"}, "\n"),
         {{"Separator", ","}, {"ColumnNames", "1"}}},
        {"years naming columns of other numbers, the last one not filled yet",
         Lines({"Country Name,Country Code,2019,2020,2021", "Aruba,ABW,106314,106537,",
                "Angola,AGO,30809762,31825295,"}),
         {{"Separator", ","}, {"ColumnNames", "1"}}},
        {"days naming columns of counts",
         Lines({"id,2019-01-01,2019-02-01", "1,5,6", "2,7,8"}),
         {{"ColumnNames", "1"}}},
        {"years among years are data",
         Lines({"Ann,2019,100", "Bob,2020,200", "Cy,2021,300"}),
         {{"ColumnNames", "0"}}},
        {"prose with commas",
         Lines({"Dear reader, this is text.", "It has, here and there, commas", "and; other; marks."}),
         {{"Separator", "-"}}},
        {"a separator at the end of every line",
         Lines({"id;name;", "1;Ann;", "2;Bob;"}),
         {{"Separator", ";"}, {"ColumnNames", "1"}}},
        {"blanks after the separator",
         Lines({"id, name, amount", "1, Ann, 3.5", "2, Bob, 4"}),
         {{"Separator", ","}, {"Trim", "1"}}},
        {"another separator", Lines({"id~name~score", "1~Ann~3", "2~Bob~4"}), {{"Separator", "~"}}},
        {"one column", Lines({"name", "Ann", "Bob"}), {{"Separator", "-"}, {"ColumnNames", "1"}}},
        {"fixed widths from a report, amounts with points",
         Lines({"ID    CUSTOMER          AMOUNT  DATE      ", "1     Ann Lee            12.50  2024-01-31",
                "22    M\xC3\xBCller GmbH      1200.00  2024-02-01",
                "333   Bob                 7.25  2024-02-15", "4444  Kim Park            0.10  2024-03-01"}),
         {{"Separator", "-"},
          {"WithSeparators", "0"},
          {"Widths", "6,17,9,10"},
          {"Trim", "1"},
          {"ColumnNames", "1"}}},
        {"single blanks between fields are no clear evidence",
         Lines({"0001 ANN  0012", "0002 BOB  0100", "0003 CY   0007", "0004 DEE 10000"}, "\n"),
         {{"WithSeparators", "-"}, {"Separator", "-"}}},
        {"dates and times of the same length are one column",
         Lines({"2024-01-01 10:00", "2024-01-02 11:00", "2024-01-03 12:00", "2024-01-04 13:00"}, "\n"),
         {{"WithSeparators", "-"}, {"Widths", "-"}}},
        {"fixed widths, no header",
         Lines({"0001  ANN    12", "0002  BOB   100", "0003  CY      7", "0004  DEE  1000"}, "\n"),
         {{"WithSeparators", "0"}, {"Widths", "6,5,4"}, {"ColumnNames", "0"}}},
        {"fixed widths, right-aligned numbers one blank apart where the longest meet",
         Lines({"ACW00011604  17.1167  -61.7833   10.1    ST JOHNS",
                "AE000041196  25.3330   55.5170   34.0    SHARJAH ",
                "AF000040930  35.3170   69.0170 3366.0    SALANG  ",
                "AG000060390  36.7167    3.2500   24.0    ALGER   "},
               "\n"),
         {{"WithSeparators", "0"}, {"Widths", "13,9,9,10,8"}, {"ColumnNames", "0"}}},
        {"comment lines, the last before the records naming the columns",
         Lines({"# country codes", "#", "#code\tname", "AD\tAndorra", "AE\tEmirates", "# a note",
                "AF\tAfghanistan"},
               "\n"),
         {{"CommentPrefix", "#"}, {"Separator", "<tab>"}, {"ColumnNames", "1"}, {"SkipLines", "2"}}},
        {"a comment line first naming the columns: no title line names it the header",
         Lines({"#id\tname", "1\tAnn", "2\tBob"}, "\n"),
         {{"CommentPrefix", "#"}, {"Separator", "<tab>"}, {"ColumnNames", "0"}, {"SkipLines", "-"}}},
        {"comment lines, tab records whose last field is filled in some only",
         Lines({"# zones", "AD\t+4230\tEurope/Andorra", "AR\t-3436\tAmerica/Cordoba\tmost places",
                "AE\t+2518\tAsia/Dubai", "# a note", "AF\t+3431\tAsia/Kabul\tnorth"},
               "\n"),
         {{"CommentPrefix", "#"}, {"Separator", "<tab>"}, {"ColumnNames", "0"}, {"SkipLines", "-"}}},
        {"one column of times",
         Lines({"t", "12:30:00", "13:00:00"}, "\n"),
         {{"Separator", "-"}, {"SkipLines", "-"}, {"ColumnNames", "1"}}},
        {"one date and time",
         Lines({"t", "2015-03-17 11:50:46.1234567"}, "\n"),
         {{"Separator", "-"}, {"SkipLines", "-"}, {"ColumnNames", "1"}}},
    };
    for (const auto& c : cases) {
        const SourceDetection detection = DetectSample(c.Sample, true);
        for (const auto& [key, value] : c.Keys) {
            const DetectedKey* found = detection.Find(key);
            if (std::string(value) == "-") {
                EXPECT_EQ(found, nullptr) << c.Name << ": " << key << "=" << (found ? found->Value : "");
                continue;
            }
            ASSERT_NE(found, nullptr) << c.Name << ": no " << key;
            EXPECT_EQ(found->Value, value) << c.Name << ": " << key << " (" << found->Reason << ")";
            EXPECT_FALSE(found->Reason.empty()) << c.Name << ": " << key;
        }
    }
}

TEST(SourceDetection, TellsTheLineEnds)
{
    const struct {
        std::string Sample;
        LineEnding Expected;
        const char* Note; // how the lines are read
    } cases[] = {
        {"a,b\r\n1,2\r\n", LineEnding::CrLf, "line ends: CR LF (2 CR LF, 0 LF, 0 CR)"},
        {"a,b\n1,2\n", LineEnding::Lf, "line ends: LF (0 CR LF, 2 LF, 0 CR)"},
        {"a,b\r1,2\r", LineEnding::Cr, "line ends: CR (0 CR LF, 0 LF, 1 CR); every CR ends a line"},
        {"a,b\r1,2\r3,4\n", LineEnding::Cr,
         "line ends: CR (0 CR LF, 1 LF, 2 CR); the source holds LF too, so lines end at LF and a lone CR is "
         "data"},
        {"a,b", LineEnding::None, "line ends: none (0 CR LF, 0 LF, 0 CR)"},
    };
    for (const auto& c : cases) {
        const SourceDetection found = DetectSample(c.Sample, true);
        EXPECT_EQ(found.LineEnds, c.Expected) << c.Sample;
        EXPECT_EQ(found.Notes.empty() ? "" : found.Notes.front(), c.Note) << c.Sample;
    }
}

TEST(SourceDetection, ChecksTheEncodingOverTheWholeFile)
{
    TestFolder folder;
    std::string text = "id;name\r\n";
    for (int i = 1; i < 3001; ++i)
        text += std::to_string(i) + ";name " + std::to_string(i) + "\r\n";
    const std::string utf8 = text + "3001;caf\xC3\xA9\r\n";
    // The Windows-1252 byte lies far beyond what is read for the layout.
    std::string late = text;
    while (late.size() < DetectionSampleSize + 100)
        late += "9;filler\r\n";
    late += "3002;caf\xE9\r\n";
    // Judged from the sample alone (for a window, which checks the rest behind): `OfSample`,
    // and whether the rest of the file may still change it.
    const struct {
        std::string Bytes;
        const char* Encoding;
        const char* Reason;
        const char* OfSample;
        bool SampleOnly;
    } cases[] = {
        {utf8, "UTF-8", "valid UTF-8", "UTF-8", false},
        {text + "3001;caf\xE9\r\n", "Windows-1252", "byte 0xE9 at line 3,002 ", "Windows-1252", false},
        {late, "Windows-1252", "byte 0xE9 at line ", "UTF-8", true},
        {"\xEF\xBB\xBFid;name\r\n1;x\r\n", "UTF-8", "byte order mark", "UTF-8", false},
        {std::string("\xFF\xFEi\0d\0;\0n\0\r\0\n\0001\0;\0x\0\r\0\n\0", 22), "UTF-16LE", "byte order mark",
         "UTF-16LE", false},
    };
    for (const auto& c : cases) {
        const std::string path = folder.Write("source.csv", c.Bytes);
        const SourceDetection detection = DetectSource(path);
        const DetectedKey* encoding = detection.Find("Encoding");
        ASSERT_NE(encoding, nullptr);
        EXPECT_EQ(encoding->Value, c.Encoding) << c.Reason;
        EXPECT_NE(encoding->Reason.find(c.Reason), std::string::npos) << encoding->Reason;
        EXPECT_FALSE(detection.EncodingOfSampleOnly) << c.Reason;
        ASSERT_NE(detection.Find("Separator"), nullptr) << c.Reason;
        EXPECT_EQ(detection.Find("Separator")->Value, ";") << c.Reason;
        const SourceDetection sampled = DetectSource(path, EncodingScope::Sample);
        EXPECT_STREQ(EncodingName(sampled.Encoding), c.OfSample) << c.Reason;
        EXPECT_EQ(sampled.EncodingOfSampleOnly, c.SampleOnly) << c.Reason;
        EXPECT_EQ(sampled.Layout(), detection.Layout()) << c.Reason;
    }
}

TEST(SourceDetection, NamesTheFileThatCannotBeRead)
{
    TestFolder folder;
    try {
        DetectSource(folder.Path("missing.csv"));
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.FileName, folder.Path("missing.csv"));
        EXPECT_FALSE(error.Reason.empty());
    }
}

TEST(SourceDetection, SuggestsATargetAndATableNameFromTheSource)
{
    const struct {
        const char* Source;
        SqlDialect Dialect;
        const char* Target;
        const char* Table;
    } cases[] = {
        {"/data/orders.csv", SqlDialect::Generic, "/data/orders.sql", "orders"},
        {"/data/Sales Report-2024.csv", SqlDialect::PostgreSQL, "/data/Sales Report-2024.sql",
         "sales_report_2024"},
        {"/data/Sales Report-2024.csv", SqlDialect::Generic, "/data/Sales Report-2024.sql",
         "SalesReport2024"},
        {"/data/2024.txt", SqlDialect::MySQL, "/data/2024.sql", "t_2024"},
        {"/data/order.tsv", SqlDialect::PostgreSQL, "/data/order.sql", "order_data"},
        {"/data/dump.SQL", SqlDialect::SQLite, "/data/dump.SQL.sql", "dump"},
        {"/data/données", SqlDialect::Generic, "/data/données.sql", "donnes"},
        {"/data/---.csv", SqlDialect::Generic, "/data/---.sql", "data"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SuggestedTarget(c.Source), c.Target) << c.Source;
        EXPECT_EQ(SuggestedTableName(c.Source, c.Dialect), c.Table) << c.Source;
    }
}

TEST(SourceDetection, GivesANewProjectWhatItsSourceSays)
{
    TestFolder folder;
    const std::string source =
        folder.Write("Orders 2024.csv", "id;name;amount\r\n1;\"Smith; John\";3\r\n2; Lee;4\r\n3; Kim;5\r\n");
    CProject project;
    project.FileName = source;
    const SourceDetection detection = ApplySourceDetection(project);
    EXPECT_EQ(project.Separator, ";");
    EXPECT_EQ(project.QuotedFields, 1);
    EXPECT_EQ(project.ColumnNames, 1);
    EXPECT_EQ(project.Encoding, "UTF-8");
    EXPECT_EQ(project.Trim, 1);
    EXPECT_EQ(project.TargetName, folder.Path("Orders 2024.sql"));
    EXPECT_EQ(project.TableName, "Orders2024");
    EXPECT_NE(detection.Summary().find("';' separated, header, quoted fields, blanks trimmed"),
              std::string::npos)
        << detection.Summary();
    // What the project already names stays.
    project.TargetName = "mine.sql";
    project.TableName = "mine";
    ApplySourceDetection(project);
    EXPECT_EQ(project.TargetName, "mine.sql");
    EXPECT_EQ(project.TableName, "mine");

    // Title lines, NULL markers, decimal commas and dates go in as keys like the others.
    CProject local;
    local.FileName = folder.Write("Umsatz.csv", "Umsatz 2024\r\n\r\nid;betrag;tag\r\n1;1.234,5;31.12.2024\r\n"
                                                "2;NA;01.02.2024\r\n3;0,25;NA\r\n");
    const SourceDetection found = ApplySourceDetection(local);
    EXPECT_EQ(local.SkipLines, 2);
    EXPECT_EQ(local.NullValues, "NA");
    EXPECT_EQ(local.DecimalSeparator, ",");
    EXPECT_EQ(local.ThousandsSeparator, ".");
    EXPECT_EQ(local.DateFormat, "DD.MM.YYYY");
    EXPECT_NE(found.Summary().find("2 title lines, decimal comma, thousands '.', NULL NA, dates DD.MM.YYYY"),
              std::string::npos)
        << found.Summary();
}
