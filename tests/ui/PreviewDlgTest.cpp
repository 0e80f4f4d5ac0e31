#include "PreviewDlg.h"
#include "Converter.h"
#include "Project.h"
#include "ScriptedUserDialogs.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// A source of `count` tab-separated lines: "A\tB\tC", then "a2\tb2\tc2" and so on.
std::string NumberedLines(int count)
{
    std::string text = "A\tB\tC\r\n";
    for (int line = 2; line <= count; ++line) {
        const std::string n = std::to_string(line);
        text += "a" + n + "\tb" + n + "\tc" + n + "\r\n";
    }
    return text;
}

class PreviewDlgTest : public testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(Folder.isValid());
        Project.FileName = Folder.filePath("source.txt").toStdString();
    }

    void WriteSource(const std::string& bytes) { std::ofstream(Project.FileName, std::ios::binary) << bytes; }

    // The preview of Project, once it has read the source.
    std::unique_ptr<CPreviewDlg> Preview()
    {
        auto preview = std::make_unique<CPreviewDlg>(&Parent, Project);
        preview->WaitUntilRead();
        return preview;
    }

    static Texts Headings(const QTableWidget& grid)
    {
        Texts names;
        for (int i = 0; i < grid.columnCount(); ++i)
            names.push_back(grid.horizontalHeaderItem(i)->text().toStdString());
        return names;
    }

    // The row as shown: empty text for a cell without an item.
    static Texts Row(const QTableWidget& grid, int row)
    {
        Texts cells;
        for (int column = 0; column < grid.columnCount(); ++column) {
            const QTableWidgetItem* item = grid.item(row, column);
            cells.push_back(item ? item->text().toStdString() : std::string());
        }
        return cells;
    }

    QTemporaryDir Folder;
    QWidget Parent;
    CProject Project;
};

struct LinesCase {
    const char* Name;
    int Lines;
    int ColumnNames;
    Texts Headings;
    int Rows;
    Texts FirstRow;
    Texts LastRow;
};

void PrintTo(const LinesCase& c, std::ostream* out)
{
    *out << c.Name;
}

class PreviewLinesTest : public PreviewDlgTest, public testing::WithParamInterface<LinesCase> {};

TEST_P(PreviewLinesTest, ShowsAtMostTwentyFiveLinesWithoutTheHeader)
{
    const LinesCase& c = GetParam();
    WriteSource(NumberedLines(c.Lines));
    Project.ColumnNames = c.ColumnNames;
    const auto preview = Preview();
    const QTableWidget& grid = *Find<QTableWidget>(preview.get());
    EXPECT_EQ(Headings(grid), c.Headings);
    ASSERT_EQ(grid.rowCount(), c.Rows);
    if (c.Rows > 0) {
        EXPECT_EQ(Row(grid, 0), c.FirstRow);
        EXPECT_EQ(Row(grid, c.Rows - 1), c.LastRow);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sources, PreviewLinesTest,
    testing::Values(
        LinesCase{
            "HundredLinesWithNames", 100, 1, {"A", "B", "C"}, 24, {"a2", "b2", "c2"}, {"a25", "b25", "c25"}},
        LinesCase{"HundredLinesWithoutNames",
                  100,
                  0,
                  {"N0", "N1", "N2"},
                  25,
                  {"A", "B", "C"},
                  {"a25", "b25", "c25"}},
        LinesCase{"TwentyFiveLinesWithNames",
                  25,
                  1,
                  {"A", "B", "C"},
                  24,
                  {"a2", "b2", "c2"},
                  {"a25", "b25", "c25"}},
        LinesCase{"TwentySixLinesWithoutNames",
                  26,
                  0,
                  {"N0", "N1", "N2"},
                  25,
                  {"A", "B", "C"},
                  {"a25", "b25", "c25"}},
        LinesCase{"TenLinesWithNames", 10, 1, {"A", "B", "C"}, 9, {"a2", "b2", "c2"}, {"a10", "b10", "c10"}},
        LinesCase{"OneLineWithNames", 1, 1, {"A", "B", "C"}, 0, {}, {}},
        LinesCase{"OneLineWithoutNames", 1, 0, {"N0", "N1", "N2"}, 1, {"A", "B", "C"}, {"A", "B", "C"}}),
    [](const testing::TestParamInfo<LinesCase>& instance) { return instance.param.Name; });

TEST_F(PreviewDlgTest, ShortLinesShowNullCellsAndLongLinesTheirExtraFields)
{
    WriteSource("id,name,city\r\n1,Mary,Cork\r\n2\r\n3,John,Sligo,extra,more\r\n\r\n4,Ann\r\n");
    Project.Separator = ",";
    const auto preview = Preview();
    const QTableWidget& grid = *Find<QTableWidget>(preview.get());
    EXPECT_EQ(Headings(grid), (Texts{"id", "name", "city", "extra 1", "extra 2"}));
    ASSERT_EQ(grid.rowCount(), 4); // a blank line is no row, as in the run
    EXPECT_EQ(Row(grid, 0), (Texts{"1", "Mary", "Cork", "", ""}));
    EXPECT_EQ(Row(grid, 1), (Texts{"2", "NULL", "NULL", "", ""})); // the missing values are written as NULL
    EXPECT_EQ(Row(grid, 2), (Texts{"3", "John", "Sligo", "extra", "more"}));
    EXPECT_EQ(Row(grid, 3), (Texts{"4", "Ann", "NULL", "", ""}));
    EXPECT_EQ(grid.item(2, 3)->background(), grid.item(2, 0)->background());
}

// A long value shows its start, cut at a character, and marked; a record longer than the
// reading keeps (a line of hundreds of megabytes) is cut as it is read.
TEST_F(PreviewDlgTest, LongValuesShowTheirStartMarkedAsCut)
{
    const std::size_t limit = PreviewRows::ValueLimit;
    const std::string accented = std::string(limit - 1, 'a') + "\xC3\xA9tail"; // "é" across the limit
    const std::string huge(PreviewRows::RecordLimit * 3, 'x');
    WriteSource("id,text\r\n1," + std::string(limit, 'b') + "\r\n2," + accented + "\r\n3," + huge +
                ",lost\r\n4,after\r\n");
    Project.Separator = ",";
    const auto preview = Preview();
    const QTableWidget& grid = *Find<QTableWidget>(preview.get());
    const std::pair<std::string, bool> shown[] = {
        {std::string(limit, 'b'), false},
        {std::string(limit - 1, 'a') + "\xE2\x80\xA6", true},
        {std::string(limit, 'x') + "\xE2\x80\xA6", true},
        {"after", false},
    };
    ASSERT_EQ(grid.rowCount(), 4);
    EXPECT_EQ(grid.columnCount(), 2); // the cut record's last field never arrived
    for (int row = 0; row < 4; ++row) {
        const auto& [text, cut] = shown[row];
        EXPECT_EQ(grid.item(row, 1)->text().toStdString(), text) << row;
        EXPECT_EQ(grid.item(row, 1)->toolTip().contains(QLatin1String("Only the start")), cut) << row;
    }
    EXPECT_EQ(Find<QLabel>(preview.get(), "previewSummary")->text().toStdString(),
              "4 rows shown, each with a field per column; 2 values cut short (\xE2\x80\xA6).");
}

TEST_F(PreviewDlgTest, TheWindowIsResizableMaximisableAndNotModal)
{
    WriteSource(NumberedLines(3));
    const auto preview = Preview();
    EXPECT_TRUE(preview->isVisible());
    EXPECT_FALSE(preview->isModal());
    EXPECT_TRUE(preview->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_LT(preview->minimumSize().width(), preview->width());
    EXPECT_GT(preview->maximumSize().width(), preview->width() * 2);
    preview->showMaximized();
    EXPECT_TRUE(preview->isMaximized());
}

TEST_F(PreviewDlgTest, ClosingEndsTheReading)
{
    WriteSource(NumberedLines(3));
    CPreviewDlg preview(&Parent, Project);
    preview.reject();
    EXPECT_FALSE(preview.IsReading());
    QApplication::processEvents();
    EXPECT_FALSE(preview.isVisible());
    EXPECT_EQ(Find<QTableWidget>(&preview)->rowCount(), 0);
}

// A loaded project's source settings apply to the preview as to the run.
TEST_F(PreviewDlgTest, ShowsTheValuesAsTheProjectReadsThem)
{
    WriteSource("\xFF\xFE" +
                std::string("i\0d\0,\0n\0\r\0\n\0\x31\0,\0\"\0a\0,\0\r\0\n\0 \0b\0\"\0\r\0\n\0", 36));
    Project.Separator = ",";
    Project.QuotedFields = 1;
    Project.Trim = 1;
    const auto preview = Preview();
    const QTableWidget& grid = *Find<QTableWidget>(preview.get());
    EXPECT_EQ(Headings(grid), (Texts{"id", "n"}));
    ASSERT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(Row(grid, 0), (Texts{"1", "a,\r\n b"}));
}

struct WidthsCase {
    const char* Name;
    const char* Widths;
    Texts Headings;
    Texts FirstRow;
};

void PrintTo(const WidthsCase& c, std::ostream* out)
{
    *out << c.Name;
}

class PreviewWidthsTest : public PreviewDlgTest, public testing::WithParamInterface<WidthsCase> {};

TEST_P(PreviewWidthsTest, FixedWidthsCutTheLines)
{
    const WidthsCase& c = GetParam();
    WriteSource("aabbbcccc\r\n112223333\r\n");
    Project.WithSeparators = 0;
    Project.ColumnNames = 0;
    Project.Widths = c.Widths;
    ScriptedUserDialogs dialogs;
    const auto preview = Preview();
    const QTableWidget& grid = *Find<QTableWidget>(preview.get());
    EXPECT_EQ(Headings(grid), c.Headings);
    if (c.Headings.empty()) {
        // No widths to cut at: the message names the setting.
        EXPECT_EQ(grid.rowCount(), 0);
        ASSERT_EQ(dialogs.Messages.size(), 1u);
        EXPECT_NE(dialogs.Messages[0].Text.find("Widths="), std::string::npos) << dialogs.Messages[0].Text;
        return;
    }
    EXPECT_TRUE(dialogs.Messages.empty());
    ASSERT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(Row(grid, 0), c.FirstRow);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, PreviewWidthsTest,
    testing::Values(WidthsCase{"NoComma", "5", {"N0"}, {"aabbb"}},
                    WidthsCase{"TwoWidths", "2,3", {"N0", "N1"}, {"aa", "bbb"}},
                    WidthsCase{"LastWidthPastTheEnd", "2,3,9", {"N0", "N1", "N2"}, {"aa", "bbb", "cccc"}},
                    WidthsCase{"NoWidths", "", {}, {}}),
    [](const testing::TestParamInfo<WidthsCase>& instance) { return instance.param.Name; });

TEST_F(PreviewDlgTest, EmptyOrUnreadableSourceGivesAnEmptyGrid)
{
    for (const std::string& name : {std::string("missing.txt"), std::string("empty.txt")}) {
        SCOPED_TRACE(name);
        Project.FileName = Folder.filePath(QString::fromStdString(name)).toStdString();
        if (name == "empty.txt")
            WriteSource("");
        const auto preview = Preview();
        EXPECT_EQ(Find<QTableWidget>(preview.get())->columnCount(), 0);
        EXPECT_EQ(Find<QTableWidget>(preview.get())->rowCount(), 0);
    }
}

TEST_F(PreviewDlgTest, CaptionNamesTheSource)
{
    WriteSource(NumberedLines(3));
    EXPECT_EQ(Preview()->windowTitle().toStdString(), " The first rows of " + Project.FileName);
}

TEST_F(PreviewDlgTest, LeavesTheProjectAsItWas)
{
    WriteSource("id,name\r\n1,Mary\r\n");
    Project.Separator = ",";
    Project.Widths = "3,4";
    Project.Columns = {"ID", "FULL_NAME", "EXTRA"};
    Project.Quotes = {"", "'", "'"};
    Project.SourceColumns = {"id", "name", "extra"};
    Project.TargetName = Folder.filePath("out.sql").toStdString();
    const CProject before = Project;

    Preview();
    EXPECT_EQ(Project.Columns, before.Columns);
    EXPECT_EQ(Project.Quotes, before.Quotes);
    EXPECT_EQ(Project.SourceColumns, before.SourceColumns);
    EXPECT_EQ(Project.FileName, before.FileName);
    EXPECT_EQ(Project.Separator, before.Separator);
    EXPECT_EQ(Project.Widths, before.Widths);
    EXPECT_EQ(Project.ColumnNames, before.ColumnNames);
    EXPECT_EQ(Project.WithSeparators, before.WithSeparators);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Project.TargetName)));
}

TEST_F(PreviewDlgTest, LeavesNoFileOpen)
{
    WriteSource(NumberedLines(40));
    const auto openFiles = [] { return QDir("/proc/self/fd").count(); };
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no /proc (under Wine the path is the Linux host's)";
#endif
    if (!QDir("/proc/self/fd").exists())
        GTEST_SKIP() << "no /proc here";
    const auto before = openFiles();
    Preview();
    EXPECT_EQ(openFiles(), before);
}

TEST_F(PreviewDlgTest, GridIsARowListWithFixedHeadings)
{
    WriteSource("id\tA_rather_long_column_heading\tx\r\na value wider than its heading\t2\t3\r\n");
    const auto preview = Preview();
    const QTableWidget& grid = *Find<QTableWidget>(preview.get());
    EXPECT_TRUE(grid.showGrid());
    EXPECT_EQ(grid.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(grid.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(grid.isSortingEnabled());
    EXPECT_FALSE(grid.horizontalHeader()->sectionsClickable());
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    // Every column fits its heading, and the values under it.
    const QHeaderView& header = *grid.horizontalHeader();
    for (int i = 0; i < grid.columnCount(); ++i)
        EXPECT_GE(header.sectionSize(i), header.sectionSizeHint(i)) << i;
    EXPECT_GE(header.sectionSize(0), grid.fontMetrics().horizontalAdvance(grid.item(0, 0)->text()));
}

TEST_F(PreviewDlgTest, TheWindowGrowsWithItsFont)
{
    WriteSource(NumberedLines(3));
    const QSize normal = Preview()->size();
    const QFont font = QApplication::font();
    QFont larger = font;
    larger.setPointSizeF(font.pointSizeF() * 2);
    QApplication::setFont(larger);
    const QSize grown = Preview()->size();
    QApplication::setFont(font);
#ifndef _WIN32 // Qt's offscreen screen on Windows is 800 pixels wide: the preview fills it already
    EXPECT_GT(grown.width(), normal.width());
#endif
    EXPECT_GT(grown.height(), normal.height());
}

TEST_F(PreviewDlgTest, EscapeAndEnterClose)
{
    WriteSource(NumberedLines(3));
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(key);
        const auto preview = Preview();
        preview->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(preview.get()));
        EXPECT_FALSE(preview->isModal());
        QTest::keyClick(Find<QTableWidget>(preview.get()), key);
        EXPECT_FALSE(preview->isVisible());
    }
}

} // namespace

namespace {

TEST_F(PreviewDlgTest, AReadErrorIsReportedAndNoWindowOpens)
{
    // Reading the process's own memory from address 0 fails midway, like a broken disk.
    if (!QFile::exists("/proc/self/mem"))
        GTEST_SKIP() << "no /proc here";
    ScriptedUserDialogs dialogs;
    Project.FileName = "/proc/self/mem";
    const auto preview = Preview();
    EXPECT_FALSE(preview->isVisible());
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Caption, "Error");
    EXPECT_EQ(dialogs.Messages[0].MessageIcon, IUserDialogs::Icon::Stop);
    EXPECT_EQ(
        dialogs.Messages[0].Text.rfind("The source file cannot be read.\n\n/proc/self/mem\n\nReason: ", 0),
        0u)
        << dialogs.Messages[0].Text;
    EXPECT_EQ(dialogs.Messages[0].Owner, &Parent);
}

TEST_F(PreviewDlgTest, AnyEngineFailureIsShownAndNoWindowOpens)
{
    WriteSource(NumberedLines(3));
    for (const EngineFailure& failure : EngineFailures()) {
        SCOPED_TRACE(failure.Name);
        ScriptedUserDialogs dialogs;
        EngineFaultGuard fault(failure.Throw);
        const auto preview = Preview();
        ASSERT_EQ(dialogs.Messages.size(), 1u);
        EXPECT_EQ(dialogs.Messages[0].Text.rfind(failure.MessageStart, 0), 0u) << dialogs.Messages[0].Text;
        EXPECT_EQ(dialogs.Messages[0].Caption, "Error");
        EXPECT_EQ(dialogs.Messages[0].MessageIcon, IUserDialogs::Icon::Stop);
        EXPECT_EQ(dialogs.Messages[0].Owner, &Parent);
        EXPECT_FALSE(preview->isVisible());
    }
    // Without the failure the same source shows.
    EXPECT_EQ(Find<QTableWidget>(Preview().get())->rowCount(), 2);
}

} // namespace

namespace {

bool ShownAsNull(const QTableWidget& grid, int row, int column)
{
    const QTableWidgetItem* item = grid.item(row, column);
    return item && item->text() == QLatin1String("NULL") && item->font().italic();
}

} // namespace

// What the run writes as NULL shows as NULL in italics: an empty value in an unmarked
// column, any empty value with EmptyIsNull, an empty value in a column that CREATE
// TABLE gives a type other than text, a value a short line lacks. The text NULL in
// the data is a plain value.
TEST_F(PreviewDlgTest, ValuesTheRunWritesAsNullAreMarked)
{
    WriteSource("id,name,note\r\n1,,NULL\r\n,Ann,\r\n2\r\n");
    Project.Separator = ",";
    Project.Columns = {"id", "name", "note"};
    struct Case {
        int EmptyIsNull;
        int CreateTable;
        std::vector<std::string> Quotes;
        std::vector<std::vector<bool>> Nulls; // per row and column
    };
    const Case cases[] = {
        {0, 0, {"", "'", "'"}, {{false, false, false}, {true, false, false}, {false, true, true}}},
        {1, 0, {"", "'", "'"}, {{false, true, false}, {true, false, true}, {false, true, true}}},
        {0, 0, {"'", "'", "'"}, {{false, false, false}, {false, false, false}, {false, true, true}}},
        // id holds whole numbers: BIGINT, which takes no empty text.
        {0, 1, {"'", "'", "'"}, {{false, false, false}, {true, false, false}, {false, true, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.EmptyIsNull << c.CreateTable << c.Quotes[0]);
        Project.EmptyIsNull = c.EmptyIsNull;
        Project.CreateTable = c.CreateTable;
        Project.Quotes = c.Quotes;
        const auto preview = Preview();
        const QTableWidget& grid = *Find<QTableWidget>(preview.get());
        ASSERT_EQ(grid.rowCount(), 3);
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                EXPECT_EQ(ShownAsNull(grid, row, column),
                          c.Nulls[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)])
                    << row << "," << column;
        EXPECT_EQ(grid.item(0, 2)->text().toStdString(), "NULL"); // the data's own text
    }
}

// Lines with too few or too many fields are tinted and explained, and the line under
// the grid counts them and the NULL values among the rows shown.
TEST_F(PreviewDlgTest, LinesThatDoNotFitTheColumnsAreMarkedAndCounted)
{
    WriteSource("id,name,city\r\n1,Mary,Cork\r\n2\r\n3,John,Sligo,extra\r\n\r\n4,Ann\r\n5,Bo,Tuam\r\n");
    Project.Separator = ",";
    const auto preview = Preview();
    const QTableWidget& grid = *Find<QTableWidget>(preview.get());
    ASSERT_EQ(grid.rowCount(), 5);
    const QColor plain = grid.item(0, 0)->background().color();
    const QColor fewer = grid.item(1, 0)->background().color();
    const QColor more = grid.item(2, 0)->background().color();
    EXPECT_NE(fewer, plain);
    EXPECT_NE(more, plain);
    EXPECT_NE(fewer, more);
    EXPECT_EQ(grid.item(3, 2)->background().color(), fewer);
    EXPECT_EQ(grid.item(4, 1)->background().color(), plain);
    EXPECT_EQ(grid.item(1, 2)->toolTip().toStdString(),
              "Line 3 has 1 field for 3 columns: the missing values are written as NULL");
    EXPECT_EQ(grid.item(2, 0)->toolTip().toStdString(),
              "Line 4 has 4 fields for 3 columns: the extra fields are not written");
    EXPECT_TRUE(grid.item(0, 0)->toolTip().isEmpty());
    EXPECT_EQ(
        Find<QLabel>(preview.get(), "previewSummary")->text().toStdString(),
        "5 rows shown: 2 with fewer fields than columns (yellow), 1 with more fields than columns (red); "
        "3 values written as NULL.");
}

TEST(PreviewSummary, CountsWhatTheRowsShownHold)
{
    EXPECT_EQ(PreviewSummary(0, 0, 0, 0), "0 rows shown.");
    EXPECT_EQ(PreviewSummary(24, 0, 0, 0), "24 rows shown, each with a field per column.");
    EXPECT_EQ(PreviewSummary(1, 0, 1, 1),
              "1 row shown: 1 with more fields than columns (red); 1 value written as NULL.");
}
