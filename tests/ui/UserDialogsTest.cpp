// The file dialogs' filters, made from the Windows form the wizard writes them in.
#include "UserDialogs.h"

#include <QFileDialog>
#include <gtest/gtest.h>

TEST(UserDialogs, FileDialogFiltersComeFromTheWindowsForm)
{
    EXPECT_EQ(QtFileFilter("Converter Projects (*.cvtproj)|*.cvtproj|AllFiles (*.*)|*.*||").toStdString(),
              "Converter Projects (*.cvtproj);;AllFiles (*.*)");
    EXPECT_EQ(
        QtFileFilter("Text Files (*.txt)|*.txt|CSV Files (*.csv)|*.csv|AllFiles (*.*)|*.*||").toStdString(),
        "Text Files (*.txt);;CSV Files (*.csv);;AllFiles (*.*)");
    EXPECT_EQ(QtFileFilter("Scripts|*.sql;*.txt||").toStdString(), "Scripts (*.sql *.txt)");
    EXPECT_EQ(QtFileFilter("Text (*.txt;*.csv)|*.txt;*.csv|AllFiles (*.*)|*.*||").toStdString(),
              "Text (*.txt *.csv);;AllFiles (*.*)");
}

// The open form picks a file that is there; the save form any name, without asking.
TEST(UserDialogs, TheOpenFormTakesOnlyAnExistingFile)
{
    struct Case {
        IUserDialogs::FileDialog Kind;
        QFileDialog::FileMode Mode;
        QFileDialog::AcceptMode Accept;
    };
    for (const Case& c :
         {Case{IUserDialogs::FileDialog::Open, QFileDialog::ExistingFile, QFileDialog::AcceptOpen},
          Case{IUserDialogs::FileDialog::Save, QFileDialog::AnyFile, QFileDialog::AcceptSave}}) {
        QFileDialog dialog;
        ConfigureFileDialog(dialog, c.Kind,
                            "Text and CSV Files (*.txt;*.csv;*.tsv)|*.txt;*.csv;*.tsv|AllFiles (*.*)|*.*||",
                            "txt");
        EXPECT_EQ(dialog.fileMode(), c.Mode);
        EXPECT_EQ(dialog.acceptMode(), c.Accept);
        EXPECT_EQ(dialog.nameFilters(), QStringList({QStringLiteral("Text and CSV Files (*.txt *.csv *.tsv)"),
                                                     QStringLiteral("AllFiles (*.*)")}));
        EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("txt"));
    }
}
