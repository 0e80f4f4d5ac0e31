#include "UserDialogs.h"

#include "FailureText.h"
#include "QtText.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QUrl>

namespace {

IUserDialogs* Installed = nullptr;

} // namespace

IUserDialogs& UserDialogs()
{
    static QtUserDialogs real;
    return Installed ? *Installed : real;
}

IUserDialogs* SetUserDialogs(IUserDialogs* dialogs)
{
    IUserDialogs* previous = Installed;
    Installed = dialogs;
    return previous;
}

QString QtFileFilter(std::string_view windowsFilter)
{
    QStringList parts = ToQt(std::string(windowsFilter)).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        if (description.isEmpty() && pattern.isEmpty())
            break; // the closing "||"
        const QString patterns = QString(pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
        // "Text (*.txt;*.csv)": Qt reads patterns apart by blanks, not semicolons.
        const QString windowsPatterns = QStringLiteral("(%1)").arg(pattern);
        if (pattern.contains(QLatin1Char(';')) && description.endsWith(windowsPatterns))
            filters << description.left(description.size() - windowsPatterns.size()) +
                           QStringLiteral("(%1)").arg(patterns);
        else if (description.contains(QLatin1Char('(')) && description.endsWith(QLatin1Char(')')) &&
                 description.contains(patterns))
            filters << description;
        else
            filters << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

// Every message the wizard shows carries the stop sign, the one icon there is.
void QtUserDialogs::ShowMessage(QWidget* owner, const std::string& text, const std::string& caption, Icon)
{
    QMessageBox box(QMessageBox::Critical, ToQt(caption), ToQt(text), QMessageBox::Ok, owner);
    box.exec();
}

bool QtUserDialogs::AskYesNo(QWidget* owner, const std::string& text, const std::string& caption)
{
    QMessageBox box(QMessageBox::Question, ToQt(caption), ToQt(text), QMessageBox::Yes | QMessageBox::No,
                    owner);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

IUserDialogs::Choice QtUserDialogs::AskSaveDiscardCancel(QWidget* owner, const std::string& text,
                                                         const std::string& caption,
                                                         const std::string& saveLabel)
{
    QMessageBox box(QMessageBox::Warning, ToQt(caption), ToQt(text), QMessageBox::NoButton, owner);
    QPushButton* save = box.addButton(ToQt(saveLabel), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QMessageBox::Discard);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return Choice::Save;
    return box.clickedButton() == discard ? Choice::Discard : Choice::Cancel;
}

void ConfigureFileDialog(QFileDialog& dialog, IUserDialogs::FileDialog kind, std::string_view filter,
                         std::string_view defaultExtension)
{
    dialog.setNameFilters(QtFileFilter(filter).split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(ToQt(std::string(defaultExtension)));
    if (kind == IUserDialogs::FileDialog::Save) {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    } else {
        // A file to read: a name that is not there is refused in the dialog itself.
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
    }
}

bool QtUserDialogs::ChooseFile(QWidget* owner, FileDialog kind, const std::string& initialName,
                               std::string_view filter, std::string_view defaultExtension, std::string& path)
{
    QFileDialog dialog(owner);
    ConfigureFileDialog(dialog, kind, filter, defaultExtension);
    if (!initialName.empty())
        dialog.selectFile(ToQt(initialName));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return false;
    path = FromQt(chosen.front());
    return true;
}

bool QtUserDialogs::OpenFolder(QWidget* owner, const std::string& folder)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(ToQt(folder))))
        return true;
    ShowMessage(owner,
                DescribeFileFailure("The folder cannot be opened.", folder,
                                    "The system has no program that shows folders."),
                "Error", Icon::Stop);
    return false;
}
