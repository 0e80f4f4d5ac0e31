#include "UiTestSupport.h"

#include "EngineWork.h"
#include "ProfileFile.h"
#include "StatusLine.h"
#include "WizardPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <filesystem>
#include <new>
#include <stdexcept>

QPushButton* FrameButton(const CWizardDlg& frame, const char* name)
{
    return Find<QPushButton>(&frame, name);
}

QMenuBar* MenuBarOf(const CWizardDlg& frame)
{
    return Find<QMenuBar>(&frame);
}

SourceControls::SourceControls(const QWidget* page)
    : SourceEdit(Find<QLineEdit>(page, "c1004")), SourceBrowse(Find<QPushButton>(page, "c1005")),
      FirstRowCheck(Find<QCheckBox>(page, "c1006")), SeparatorRadio(Find<QRadioButton>(page, "c1007")),
      WidthsRadio(Find<QRadioButton>(page, "c1009")), SeparatorCombo(Find<QComboBox>(page, "c1068")),
      WidthsEdit(Find<QLineEdit>(page, "c1024")), TargetEdit(Find<QLineEdit>(page, "c1010")),
      TargetBrowse(Find<QPushButton>(page, "c1011")), TableEdit(Find<QLineEdit>(page, "c1012")),
      SqlSepCombo(Find<QComboBox>(page, "c1013")), CommitCheck(Find<QCheckBox>(page, "c1014")),
      CommitSizeEdit(Find<QLineEdit>(page, "c1015"))
{
}

MappingControls::MappingControls(const QWidget* page)
    : ColumnList(Find<QTableWidget>(page, "c1016")), SourceColumnEdit(Find<QLineEdit>(page, "c1021")),
      TargetColumnEdit(Find<QLineEdit>(page, "c1022")), QuotationChoice(Find<QComboBox>(page, "c1024"))
{
}

std::string MappingControls::CellText(int row, int column) const
{
    const QTableWidgetItem* item = ColumnList->item(row, column);
    return item ? item->text().toStdString() : std::string();
}

RunControls::RunControls(const QWidget* page)
    : Status(Find<StatusLine>(page, "c1022")), Progress(Find<QProgressBar>(page, "c1018")),
      RunButton(Find<QPushButton>(page, "c1017")), FolderButton(Find<QPushButton>(page, "openFolder"))
{
}

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

const std::vector<EngineFailure>& EngineFailures()
{
    static const std::filesystem::filesystem_error fileSystem("cannot read the source", "/data/people.csv",
                                                              std::make_error_code(std::errc::io_error));
    static const std::vector<EngineFailure> failures = {
        {"data",
         [] {
             throw std::runtime_error("Line 3, column 2: the value holds a byte the script cannot carry.");
         },
         "Line 3, column 2: the value holds a byte the script cannot carry."},
        {"memory", [] { throw std::bad_alloc(); }, "There is not enough memory to "},
        {"file system", [] { throw fileSystem; }, fileSystem.what()},
    };
    return failures;
}

EngineFaultGuard::EngineFaultGuard(std::function<void()> fault)
{
    SetEngineFaultForTesting(std::move(fault));
}

EngineFaultGuard::~EngineFaultGuard()
{
    SetEngineFaultForTesting({});
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
    Frame->SetHelpLauncher(&RecordHelpCall);
    Frame->show();
    QApplication::processEvents();
    return *Frame;
}

void WizardTest::Stop()
{
    Frame.reset();
    QApplication::processEvents();
}

SourceControls WizardTest::SourcePage() const
{
    return SourceControls(Frame->GetPage(0));
}

void WizardTest::FillSourcePage(const std::string& text)
{
    WriteFile(Path("data.csv"), text);
    const SourceControls page = SourcePage();
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
