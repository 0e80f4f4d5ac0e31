// The column mapping page: the list, picking rows, "No",
// rebuilding on show, and the edits reaching the project, across rediscovery,
// save and load.
#include "MappingPage.h"
#include "Converter.h"
#include "SourcePage.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <limits>

class MappingPageTest : public WizardTest {
  protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        Start();
        Mapping = static_cast<CMappingPage*>(Frame->GetPage(1));
    }
    // Page 0 filled for a comma-separated source with a names line; Next.
    void GoToMapping(const std::string& text)
    {
        FillSourcePage(text);
        Frame->OnNext();
        ASSERT_EQ(Frame->GetCurrentPage(), 1);
    }
    std::vector<std::string> Row(int row)
    {
        return {Controls().CellText(row, 0), Controls().CellText(row, 1), Controls().CellText(row, 2)};
    }
    std::vector<std::string> Boxes()
    {
        return {Controls().SourceColumnEdit->text().toStdString(),
                Controls().TargetColumnEdit->text().toStdString(),
                Controls().QuotationChoice->currentText().toStdString()};
    }
    void Pick(int row)
    {
        QTableWidget* list = Controls().ColumnList;
        const QRect cell = list->visualRect(list->model()->index(row, 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    }

    MappingControls Controls() const { return MappingControls(Mapping); }

    CMappingPage* Mapping = nullptr;
};

TEST_F(MappingPageTest, TheListIsAReportWithThreeFixedColumns)
{
    QTableWidget* list = Controls().ColumnList;
    EXPECT_EQ(list->columnCount(), 3);
    EXPECT_EQ(list->horizontalHeaderItem(0)->text().toStdString(), "Source Column");
    EXPECT_EQ(list->horizontalHeaderItem(1)->text().toStdString(), "Target Column");
    EXPECT_EQ(list->horizontalHeaderItem(2)->text().toStdString(), "Quotation");
    EXPECT_EQ(list->columnWidth(0), 233);
    EXPECT_EQ(list->columnWidth(1), 233);
    EXPECT_EQ(list->columnWidth(2), 63);
    EXPECT_TRUE(list->showGrid());
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(list->horizontalHeader()->sectionsClickable());
    EXPECT_FALSE(list->isSortingEnabled());
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    EXPECT_FALSE(Controls().SourceColumnEdit->isEnabled());
    EXPECT_TRUE(Controls().TargetColumnEdit->isEnabled());
    QStringList labels;
    for (QLabel* label : Mapping->findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(labels.join(QLatin1Char('|')).toStdString(), "Columns Mapping and Quotation |->|&Type:|");
    EXPECT_FALSE(Find<QLineEdit>(Mapping, "typeEdit")->isVisibleTo(Mapping)); // with CREATE TABLE only
    EXPECT_EQ(list->rowCount(), 0);                                           // empty until first shown
}

TEST_F(MappingPageTest, ListsTheDiscoveredColumnsWithTheirQuotation)
{
    GoToMapping("id,name\r\n1,Smith\r\n");
    ASSERT_EQ(Controls().ColumnList->rowCount(), 2);
    EXPECT_EQ(Row(0), (std::vector<std::string>{"id", "id", "No"}));
    EXPECT_EQ(Row(1), (std::vector<std::string>{"name", "name", "'"}));
    EXPECT_EQ(Mapping->EditedRow(), -1);
}

TEST_F(MappingPageTest, PickingARowLoadsItIntoTheBoxes)
{
    GoToMapping("id,name\r\n1,Smith\r\n");
    Pick(1);
    EXPECT_EQ(Mapping->EditedRow(), 1);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"name", "name", "'"}));
    Pick(0);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"id", "id", "No"}));

    // Picking the row already picked loads nothing: the typing stays.
    Controls().TargetColumnEdit->setText(QStringLiteral("typed"));
    Pick(0);
    EXPECT_EQ(Controls().TargetColumnEdit->text().toStdString(), "typed");

    // Quotation is a choice between "'" and No, nothing else to type.
    EXPECT_FALSE(Controls().QuotationChoice->isEditable());
    EXPECT_EQ(Controls().QuotationChoice->count(), 2);
    Controls().QuotationChoice->setCurrentText(QStringLiteral("'"));
    Pick(1);
    Pick(0);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"id", "typed", "'"}));

    // The keyboard picks rows too.
    QTest::keyClick(Controls().ColumnList, Qt::Key_Down);
    EXPECT_EQ(Mapping->EditedRow(), 1);
    EXPECT_EQ(Boxes()[0], "name");
}

TEST_F(MappingPageTest, EditsGoIntoTheRowAndTheProject)
{
    GoToMapping("id,name\r\n1,Smith\r\n");
    Pick(1);
    Controls().TargetColumnEdit->setText(QStringLiteral("surname"));
    Controls().QuotationChoice->setCurrentText(QStringLiteral("No"));
    Pick(0);
    EXPECT_EQ(Row(1), (std::vector<std::string>{"name", "surname", "No"}));
    EXPECT_EQ(Frame->GetProject().Columns, (std::vector<std::string>{"id", "surname"}));
    EXPECT_EQ(Frame->GetProject().Quotes, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(Frame->GetProject().SourceColumnName(1), "name");

    // Storing the page (Next, Back, Save as, quit) writes the row being edited.
    Controls().QuotationChoice->setCurrentText(QStringLiteral("'"));
    Mapping->StoreData();
    EXPECT_EQ(Row(0), (std::vector<std::string>{"id", "id", "'"}));
    EXPECT_EQ(Frame->GetProject().Quotes, (std::vector<std::string>{"'", ""}));
    // "No" means no quotation.
    Controls().QuotationChoice->setCurrentText(QStringLiteral("No"));
    Mapping->StoreData();
    EXPECT_EQ(Frame->GetProject().Quotes[0], "");
}

TEST_F(MappingPageTest, WithNoRowPickedLeavingWritesNothing)
{
    GoToMapping("id,name\r\n1,Smith\r\n");
    Controls().TargetColumnEdit->setText(QStringLiteral("stray"));
    Frame->OnBack();
    EXPECT_EQ(Frame->GetProject().Columns, (std::vector<std::string>{"id", "name"}));
}

TEST_F(MappingPageTest, TheListIsRebuiltFromTheProjectOnEveryShow)
{
    GoToMapping("id,name\r\n1,Smith\r\n");
    Pick(1);
    Controls().TargetColumnEdit->setText(QStringLiteral("surname"));
    Frame->OnNext(); // stores the row
    Frame->OnBack();
    EXPECT_EQ(Row(1), (std::vector<std::string>{"name", "surname", "'"}));
    EXPECT_EQ(Mapping->EditedRow(), 1);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"name", "surname", "'"}));

    // A project changed behind the list: the list follows it on the next show.
    Frame->GetProject().Columns = {"a"};
    Frame->GetProject().Quotes = {"'"};
    Frame->GetProject().SourceColumns = {"a"};
    Mapping->ShowPage();
    EXPECT_EQ(Controls().ColumnList->rowCount(), 1);
    // The picked row is gone: the boxes are cleared and storing changes nothing.
    EXPECT_EQ(Mapping->EditedRow(), -1);
    Controls().TargetColumnEdit->setText(QStringLiteral("x"));
    Mapping->StoreData();
    EXPECT_EQ(Frame->GetProject().Columns, std::vector<std::string>{"a"});
    EXPECT_EQ(Row(0), (std::vector<std::string>{"a", "a", "'"}));
}

TEST_F(MappingPageTest, NamesTheDatabaseTakesOtherwiseAreShownAsWritten)
{
    GoToMapping("\xC3\x89,\xC3\xA9\r\n1,2\r\n");
    auto* written = Find<QLabel>(Mapping, "writtenNames");
    EXPECT_FALSE(written->isVisibleTo(Mapping)); // the generic script writes names as they are
    const struct {
        const char* Dialect;
        const char* Shown;
    } cases[] = {
        {"MySQL", "Written as the database takes names: \"\xC3\xA9\" as \"\xC3\xA9_2\""},
        {"PostgreSQL", ""},
    };
    for (const auto& c : cases) {
        Frame->GetProject().Dialect = c.Dialect;
        Mapping->ShowPage();
        EXPECT_EQ(written->text().toStdString(), c.Shown) << c.Dialect;
        EXPECT_EQ(written->isVisibleTo(Mapping), *c.Shown != '\0') << c.Dialect;
    }
}

TEST_F(MappingPageTest, MissingQuotationEntriesShowNo)
{
    // A project whose Quotes is shorter than its Columns (an older or hand-written one).
    GoToMapping("a,b,c\r\n1,2,3\r\n");
    Frame->GetProject().Columns = {"a", "b", "c"};
    Frame->GetProject().Quotes = {"'"};
    Frame->GetProject().SourceColumns.clear();
    Mapping->ShowPage();
    EXPECT_EQ(Row(0), (std::vector<std::string>{"a", "a", "'"}));
    EXPECT_EQ(Row(2), (std::vector<std::string>{"c", "c", "No"}));
    Pick(2);
    Controls().TargetColumnEdit->setText(QStringLiteral("C"));
    Mapping->StoreData();
    EXPECT_EQ(Frame->GetProject().Columns, (std::vector<std::string>{"a", "b", "C"}));
    EXPECT_EQ(Frame->GetProject().Quotes, (std::vector<std::string>{"'", "", ""}));
    EXPECT_EQ(Frame->GetProject().SourceColumns, (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(MappingPageTest, TheMappingIsKeptAcrossRediscovery)
{
    GoToMapping("id,name,city\r\n1,Smith,Cork\r\n");
    Pick(1);
    Controls().TargetColumnEdit->setText(QStringLiteral("surname"));
    Controls().QuotationChoice->setCurrentText(QStringLiteral("No"));
    Frame->OnBack();
    Frame->OnNext(); // discovers again: the renamed column keeps its mapping
    EXPECT_EQ(Row(1), (std::vector<std::string>{"name", "surname", "No"}));

    // The source changes: columns still there keep theirs, new ones get the defaults.
    Frame->OnBack();
    WriteFile(Path("data.csv"), "zip,name,id\r\nX1,Smith,7\r\n");
    Frame->OnNext();
    ASSERT_EQ(Controls().ColumnList->rowCount(), 3);
    EXPECT_EQ(Row(0), (std::vector<std::string>{"zip", "zip", "'"}));
    EXPECT_EQ(Row(1), (std::vector<std::string>{"name", "surname", "No"}));
    EXPECT_EQ(Row(2), (std::vector<std::string>{"id", "id", "No"}));
}

TEST_F(MappingPageTest, TheMappingIsKeptAcrossSaveAndLoad)
{
    GoToMapping("id,name\r\n1,Smith\r\n");
    Pick(1);
    Controls().TargetColumnEdit->setText(QStringLiteral("surname"));
    Controls().QuotationChoice->setCurrentText(QStringLiteral("No"));
    Dialogs.FileAnswers.push_back(Path("p.cvtproj"));
    Frame->OnCommand(CWizardDlg::IdSaveProjectAs);
    const std::string saved = ReadFile(Path("p.cvtproj"));
    EXPECT_NE(saved.find("Column1=surname\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Quote1=\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Source1=name\r\n"), std::string::npos);
    EXPECT_EQ(saved.find("Source0="), std::string::npos); // only where it differs

    Frame->GetProject().Columns = {"other"};
    Dialogs.FileAnswers.push_back(Path("p.cvtproj"));
    Frame->OnCommand(CWizardDlg::IdLoadProject); // on page 1: the list is rebuilt
    EXPECT_EQ(Row(0), (std::vector<std::string>{"id", "id", "No"}));
    EXPECT_EQ(Row(1), (std::vector<std::string>{"name", "surname", "No"}));

    // And after a restart.
    Frame->OnCommand(CWizardDlg::IdCancel);
    Start();
    Mapping = static_cast<CMappingPage*>(Frame->GetPage(1));
    EXPECT_EQ(Frame->GetProject().Columns, (std::vector<std::string>{"id", "surname"}));
    EXPECT_EQ(Frame->GetProject().SourceColumnName(1), "name");
}

TEST_F(MappingPageTest, BackStoresTheRowBeingEdited)
{
    GoToMapping("id,name\r\n1,Smith\r\n");
    Pick(0);
    Controls().TargetColumnEdit->setText(QStringLiteral("key"));
    Frame->OnBack(); // no check, but the page is stored
    EXPECT_EQ(Frame->GetCurrentPage(), 0);
    EXPECT_EQ(Frame->GetProject().Columns[0], "key");
}

// An emptied target name leaves the column out of the script; the project file keeps
// it as an empty ColumnN, and it comes back empty.
TEST_F(MappingPageTest, AnEmptyTargetNameLeavesTheColumnOutAndRoundTrips)
{
    GoToMapping("id,name,city\r\n1,Smith,Cork\r\n");
    Pick(1);
    Controls().TargetColumnEdit->clear();
    Pick(0);
    EXPECT_EQ(Row(1), (std::vector<std::string>{"name", "", "'"}));
    Dialogs.FileAnswers.push_back(Path("p.cvtproj"));
    Frame->OnCommand(CWizardDlg::IdSaveProjectAs);
    EXPECT_NE(ReadFile(Path("p.cvtproj")).find("Column1=\r\n"), std::string::npos);

    Frame->OnCommand(CWizardDlg::IdCancel);
    Start();
    Mapping = static_cast<CMappingPage*>(Frame->GetPage(1));
    EXPECT_EQ(Frame->GetProject().Columns, (std::vector<std::string>{"id", "", "city"}));
    Frame->OnNext(); // discovering again keeps it out
    EXPECT_EQ(Row(1), (std::vector<std::string>{"name", "", "'"}));
    Frame->OnNext();
    QTest::mouseClick(Find<QPushButton>(Frame->GetPage(2), "c1017"), Qt::LeftButton);
    EXPECT_EQ(ReadFile(Path("out.sql")).rfind("insert into people(id,city) values(1,'Cork');\r\n", 0), 0u);
    EXPECT_EQ(ReadFile(Path("out.sql")).find("Smith"), std::string::npos);
}

// With CREATE TABLE the list shows each column's type, inferred by the engine until
// the user types one; the run writes the user's type.
TEST_F(MappingPageTest, WithCreateTableEachColumnShowsAndTakesItsType)
{
    FillSourcePage("id,name,joined\r\n1,Smith,2014-07-21\r\n2,Jones,2015-01-02\r\n");
    Frame->GetProject().CreateTable = 1;
    Frame->GetProject().Dialect = "PostgreSQL";
    Frame->OnNext();
    // Read in the background, marked meanwhile, as the run infers them: over the whole source.
    EXPECT_TRUE(Mapping->ReadingTypes());
    EXPECT_EQ(Controls().CellText(0, 3), "(reading...)");
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Mapping->ReadingTypes(); }, 10000));
    CConverter engine;
    engine.Project = &Frame->GetProject();
    const std::vector<std::string> inferred =
        engine.InferColumnTypes(std::numeric_limits<std::uint64_t>::max());
    ASSERT_EQ(inferred.size(), 3u);
    QTableWidget* list = Controls().ColumnList;
    ASSERT_EQ(list->columnCount(), 4);
    EXPECT_EQ(list->horizontalHeaderItem(3)->text().toStdString(), "Type");
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(Controls().CellText(row, 3), inferred[static_cast<std::size_t>(row)]);
    auto* typeEdit = Find<QLineEdit>(Mapping, "typeEdit");
    EXPECT_TRUE(typeEdit->isVisibleTo(Mapping));

    Pick(1);
    EXPECT_EQ(typeEdit->text().toStdString(), "");
    EXPECT_EQ(typeEdit->placeholderText().toStdString(), inferred[1]);
    typeEdit->setText(QStringLiteral("VARCHAR(40)"));
    Pick(0);
    EXPECT_EQ(Controls().CellText(1, 3), "VARCHAR(40)");
    EXPECT_EQ(Frame->GetProject().Types, (std::vector<std::string>{"", "VARCHAR(40)", ""}));
    Frame->OnNext();
    QTest::mouseClick(Find<QPushButton>(Frame->GetPage(2), "c1017"), Qt::LeftButton);
    const std::string script = ReadFile(Path("out.sql"));
    EXPECT_NE(script.find("VARCHAR(40)"), std::string::npos) << script;

    // An emptied box gives the column its inferred type back.
    Frame->OnBack();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Mapping->ReadingTypes(); }, 10000));
    Pick(1);
    typeEdit->clear();
    Pick(2);
    EXPECT_EQ(Controls().CellText(1, 3), inferred[1]);
    EXPECT_EQ(Frame->GetProject().Types[1], "");

    // Without CREATE TABLE: three columns, no type box, the types kept.
    Frame->GetProject().Types[1] = "TEXT";
    Frame->GetProject().CreateTable = 0;
    Mapping->ShowPage();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Mapping->ReadingTypes(); }, 10000));
    EXPECT_EQ(list->columnCount(), 3);
    EXPECT_FALSE(typeEdit->isVisibleTo(Mapping));
    Pick(0);
    Pick(1);
    EXPECT_EQ(Frame->GetProject().Types[1], "TEXT");
}

// The type the list shows is the one the run writes: inferred from every line, not the first 1,000.
TEST_F(MappingPageTest, TheTypeShownIsTheOneTheRunWrites)
{
    std::string text = "id,code\r\n";
    for (int line = 1; line <= 1500; ++line)
        text +=
            std::to_string(line) + "," + (line == 1400 ? std::string("X9") : std::to_string(line)) + "\r\n";
    FillSourcePage(text);
    Frame->GetProject().CreateTable = 1;
    Frame->OnNext();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Mapping->ReadingTypes(); }, 10000));
    Frame->OnNext();
    QTest::mouseClick(Find<QPushButton>(Frame->GetPage(2), "c1017"), Qt::LeftButton);
    const std::string script = ReadFile(Path("out.sql"));
    Frame->OnBack();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Mapping->ReadingTypes(); }, 10000));
    EXPECT_NE(script.find("code " + Controls().CellText(1, 3)), std::string::npos) << script.substr(0, 200);
    EXPECT_NE(Controls().CellText(1, 3), Controls().CellText(0, 3)); // the 1,400th line decides
}

// F2 or a double-click edits a cell in place; Enter ends the edit and presses no button.
TEST_F(MappingPageTest, CellsAreEditedInPlaceAndEnterEndsTheEdit)
{
    GoToMapping("id,name\r\n1,Smith\r\n");
    QTableWidget* list = Controls().ColumnList;
    QApplication::setActiveWindow(Frame.get());
    Pick(1);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "surname");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(Frame->GetCurrentPage(), 1); // neither Back nor Next was pressed
    EXPECT_EQ(Controls().CellText(1, 1), "surname");
    EXPECT_EQ(Frame->GetProject().Columns[1], "surname");
    EXPECT_EQ(Controls().TargetColumnEdit->text().toStdString(), "surname");

    // The quotation cell is a choice.
    const QRect cell = list->visualRect(list->model()->index(0, 2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, cell.center(),
                            list->viewport()->mapToGlobal(cell.center()), Qt::LeftButton, Qt::LeftButton,
                            Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &doubleClick);
    auto* choice = list->viewport()->findChild<QComboBox*>();
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(choice->currentText().toStdString(), "No");
    choice->setCurrentText(QStringLiteral("'"));
    QTest::keyClick(choice, Qt::Key_Enter);
    QApplication::processEvents();
    EXPECT_EQ(Frame->GetCurrentPage(), 1);
    EXPECT_EQ(Frame->GetProject().Quotes[0], "'");
    EXPECT_EQ(Controls().CellText(0, 2), "'");
}
