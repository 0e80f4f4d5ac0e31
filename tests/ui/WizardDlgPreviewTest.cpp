// The Preview button as the user meets it: the page on view is stored first, a
// missing source warns, otherwise the preview window runs modally.
#include "PreviewDlg.h"
#include "SourcePage.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <optional>

namespace {

using Texts = std::vector<std::string>;

// What the preview window showed while it was open.
struct Shown {
    std::string Caption;
    Texts Headings;
    std::vector<Texts> Rows;
    bool Modal = false;
    std::string Summary;
};

class WizardDlgPreviewTest : public WizardTest {
  protected:
    // What the preview window shows, if one is open.
    std::optional<Shown> Seen()
    {
        auto* preview = Frame->findChild<CPreviewDlg*>();
        if (!preview || !preview->isVisible())
            return std::nullopt;
        Shown seen;
        seen.Caption = preview->windowTitle().toStdString();
        seen.Modal = preview->isModal();
        seen.Summary = Find<QLabel>(preview, "previewSummary")->text().toStdString();
        const QTableWidget& grid = *Find<QTableWidget>(preview);
        for (int column = 0; column < grid.columnCount(); ++column)
            seen.Headings.push_back(grid.horizontalHeaderItem(column)->text().toStdString());
        for (int row = 0; row < grid.rowCount(); ++row) {
            Texts cells;
            for (int column = 0; column < grid.columnCount(); ++column)
                cells.push_back(grid.item(row, column) ? grid.item(row, column)->text().toStdString() : "");
            seen.Rows.push_back(cells);
        }
        return seen;
    }
    // Presses Preview and waits for the reading; what the window shows then, if it is open.
    std::optional<Shown> PressPreview()
    {
        QTest::mouseClick(FrameButton(*Frame, "preview"), Qt::LeftButton);
        if (auto* preview = Frame->findChild<CPreviewDlg*>())
            preview->WaitUntilRead();
        return Seen();
    }

    // Page 0 filled with a comma-separated source of `lines` lines.
    void FillPage(int lines)
    {
        std::string text = "id,name\r\n";
        for (int line = 2; line <= lines; ++line)
            text += std::to_string(line) + ",n" + std::to_string(line) + "\r\n";
        FillSourcePage(text);
    }
};

TEST_F(WizardDlgPreviewTest, AMissingOrUnnamedSourceWarnsAndOpensNoWindow)
{
    CWizardDlg& frame = Start();
    const std::pair<QString, std::string> cases[] = {
        {QString(), "No source file is named. Give the text file to convert."},
        {QStringLiteral("no such file.csv"), "The source file no such file.csv cannot be found."},
    };
    for (const auto& [name, message] : cases) {
        SCOPED_TRACE(name.toStdString());
        Dialogs.Messages.clear();
        SourcePage().SourceEdit->setText(name);
        EXPECT_FALSE(PressPreview().has_value());
        ASSERT_EQ(Dialogs.Messages.size(), 1u);
        EXPECT_EQ(Dialogs.Messages[0].Text, message);
        EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
        EXPECT_EQ(Dialogs.Messages[0].MessageIcon, IUserDialogs::Icon::Stop);
        EXPECT_EQ(Dialogs.Messages[0].Owner, frame.GetPage(0));
    }
}

TEST_F(WizardDlgPreviewTest, ShowsTheSourceAsThePageSplitsItWithoutPressingNext)
{
    Start();
    FillPage(30);
    const std::optional<Shown> shown = PressPreview();
    ASSERT_TRUE(shown.has_value());
    EXPECT_FALSE(shown->Modal);
    EXPECT_EQ(shown->Caption, " The first rows of " + Path("data.csv"));
    EXPECT_EQ(shown->Headings, (Texts{"id", "name"}));
    ASSERT_EQ(shown->Rows.size(), 24u);
    EXPECT_EQ(shown->Rows.front(), (Texts{"2", "n2"}));
    EXPECT_EQ(shown->Rows.back(), (Texts{"25", "n25"}));
    EXPECT_TRUE(Dialogs.Messages.empty());

    // Edited on the page and previewed again, still without Next.
    SourcePage().FirstRowCheck->setChecked(false);
    const std::optional<Shown> withoutNames = PressPreview();
    ASSERT_TRUE(withoutNames.has_value());
    EXPECT_EQ(withoutNames->Headings, (Texts{"N0", "N1"}));
    ASSERT_EQ(withoutNames->Rows.size(), 25u);
    EXPECT_EQ(withoutNames->Rows.front(), (Texts{"id", "name"}));

    SourcePage().SeparatorCombo->setEditText(QStringLiteral("|"));
    const std::optional<Shown> otherSeparator = PressPreview();
    ASSERT_TRUE(otherSeparator.has_value());
    EXPECT_EQ(otherSeparator->Headings, (Texts{"N0"}));
    EXPECT_EQ(otherSeparator->Rows.front(), (Texts{"id,name"}));

    SourcePage().WidthsRadio->setChecked(true);
    SourcePage().WidthsEdit->setText(QStringLiteral("5"));
    const std::optional<Shown> oneWidth = PressPreview();
    ASSERT_TRUE(oneWidth.has_value());
    EXPECT_EQ(oneWidth->Headings, (Texts{"N0"}));
    EXPECT_EQ(oneWidth->Rows.front(), (Texts{"id,na"}));
}

TEST_F(WizardDlgPreviewTest, AOneLineSourceShowsColumnsOnly)
{
    Start();
    FillPage(1);
    const std::optional<Shown> shown = PressPreview();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->Headings, (Texts{"id", "name"}));
    EXPECT_TRUE(shown->Rows.empty());
}

TEST_F(WizardDlgPreviewTest, LeavesTheDiscoveredColumnsAndSettingsAlone)
{
    CWizardDlg& frame = Start();
    FillPage(5);
    QTest::mouseClick(FrameButton(frame, "next"), Qt::LeftButton);
    ASSERT_EQ(frame.GetCurrentPage(), 1);
    const std::vector<std::string> columns = frame.GetProject().Columns;
    const std::vector<std::string> quotes = frame.GetProject().Quotes;
    ASSERT_EQ(columns, (Texts{"id", "name"}));

    // Another splitting in the project must not leak into the discovered lists.
    frame.GetProject().ColumnNames = 0;
    const std::optional<Shown> shown = PressPreview();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->Headings, (Texts{"N0", "N1"}));
    EXPECT_EQ(frame.GetProject().Columns, columns);
    EXPECT_EQ(frame.GetProject().Quotes, quotes);
    EXPECT_EQ(frame.GetProject().ColumnNames, 0);
    EXPECT_EQ(frame.GetProject().Separator, ",");
    EXPECT_FALSE(FileExists(Path("out.sql")));
}

// The preview stays open while the page is edited and reads again with the new settings;
// settings it cannot read with are named in it, without a message box.
TEST_F(WizardDlgPreviewTest, AnOpenPreviewFollowsTheSettings)
{
    Start();
    FillPage(5);
    ASSERT_TRUE(PressPreview().has_value());
    auto* preview = Frame->findChild<CPreviewDlg*>();
    QSignalSpy shown(preview, &CPreviewDlg::RowsShown);
    SourcePage().FirstRowCheck->setChecked(false);
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(Seen()->Headings, (Texts{"N0", "N1"}));
    EXPECT_EQ(Seen()->Rows.front(), (Texts{"id", "name"}));

    SourcePage().WidthsRadio->setChecked(true);
    SourcePage().WidthsEdit->setText(QStringLiteral("2,x"));
    QTest::qWait(600); // past the pause that typing gets
    EXPECT_NE(Seen()->Summary.find("widths \"2,x\""), std::string::npos) << Seen()->Summary;
    EXPECT_TRUE(Seen()->Rows.empty());
    EXPECT_TRUE(Dialogs.Messages.empty());
    SourcePage().WidthsEdit->setText(QStringLiteral("2,3"));
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(Seen()->Rows.front(), (Texts{"id", ",na"}));
    EXPECT_EQ(Frame->findChild<CPreviewDlg*>(), preview); // the same window throughout
}

} // namespace
