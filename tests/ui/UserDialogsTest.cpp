// The file dialogs' filters, made from the Windows form the wizard writes them in.
#include "UserDialogs.h"

#include <gtest/gtest.h>

TEST(UserDialogs, FileDialogFiltersComeFromTheWindowsForm)
{
    EXPECT_EQ(QtFileFilter("Converter Projects (*.cvtproj)|*.cvtproj|AllFiles (*.*)|*.*||").toStdString(),
              "Converter Projects (*.cvtproj);;AllFiles (*.*)");
    EXPECT_EQ(
        QtFileFilter("Text Files (*.txt)|*.txt|CSV Files (*.csv)|*.csv|AllFiles (*.*)|*.*||").toStdString(),
        "Text Files (*.txt);;CSV Files (*.csv);;AllFiles (*.*)");
    EXPECT_EQ(QtFileFilter("Scripts|*.sql;*.txt||").toStdString(), "Scripts (*.sql *.txt)");
}
