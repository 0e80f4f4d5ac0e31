#include "UiTestSupport.h"

#include "ProfileFile.h"
#include "SourcePage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <filesystem>
#include <stdexcept>

std::vector<HelpCall>& RecordedHelpCalls()
{
    static std::vector<HelpCall> calls;
    return calls;
}

std::intptr_t RecordHelpCall(void* window, const char* address, std::uint32_t command, std::uint32_t data)
{
    RecordedHelpCalls().push_back({window, address, command, data});
    return 0;
}

bool FileExists(const std::string& path)
{
    return std::filesystem::exists(path);
}

void WizardTest::SetUp()
{
    ASSERT_TRUE(Folder.isValid());
    RecordedHelpCalls().clear();
}

void WizardTest::TearDown()
{
    Stop();
    QApplication::processEvents();
}

std::string WizardTest::Path(const std::string& name) const
{
    return Folder.path().toStdString() + "/" + name;
}

CWizardDlg& WizardTest::Start()
{
    Stop();
    Frame = std::make_unique<CWizardDlg>(nullptr, ExecutablePath());
    Frame->HelpLauncher = &RecordHelpCall;
    Frame->show();
    QApplication::processEvents();
    return *Frame;
}

void WizardTest::Stop()
{
    Frame.reset();
    QApplication::processEvents();
}

CSourcePage& WizardTest::SourcePage() const
{
    return *static_cast<CSourcePage*>(Frame->Pages[0]);
}

void WizardTest::FillSourcePage(const std::string& text)
{
    WriteFile(Path("data.csv"), text);
    CSourcePage& page = SourcePage();
    page.SourceEdit->setText(QString::fromStdString(Path("data.csv")));
    page.TargetEdit->setText(QString::fromStdString(Path("out.sql")));
    page.TableEdit->setText(QStringLiteral("people"));
    page.SeparatorCombo->setEditText(QStringLiteral(","));
    page.FirstRowCheck->setChecked(true);
}

void WizardTest::WriteProject(const std::string& path, const std::vector<std::string>& lines)
{
    std::string text = "[General]\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    WriteFile(path, text);
}

void WizardTest::RememberProject(const std::string& path)
{
    if (!WritePrivateProfileString("General", "LastProjectName", path, SettingsPath()))
        throw std::runtime_error("cannot write " + SettingsPath());
}
