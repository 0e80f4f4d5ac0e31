#include "WizardDlg.h"

#include "AboutDlg.h"
#include "AppIcon.h"
#include "AppPaths.h"
#include "FailureText.h"
#include "HelpLauncher.h"
#include "MappingPage.h"
#include "MenuBarKeys.h"
#include "PreviewDlg.h"
#include "ProfileFile.h"
#include "QtText.h"
#include "RunPage.h"
#include "SourcePage.h"
#include "TextDecoder.h"
#include "UserDialogs.h"
#include "WindowPlacement.h"
#include "WizardPage.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

constexpr std::size_t SettingsBuffer = 260;
constexpr std::size_t RecentPathBuffer = 4096;
// The title, the project files' dialog filter and extension, and the preview's warning.
constexpr const char* AppTitleText = "Tabulon";
constexpr const char* ProjectFilter = "Converter Projects (*.cvtproj)|*.cvtproj|AllFiles (*.*)|*.*||";
constexpr const char* ProjectExtension = "cvtproj";
constexpr const char* PreviewWarning = "Source file is inaccessable or does not specified.";

} // namespace

CWizardDlg::CWizardDlg(QWidget* parent, const std::string& executablePath)
    : QDialog(parent), LaunchHelp(&HtmlHelpLauncher), Icon(ApplicationIcon())
{
    OnInitDialog(executablePath);
}

CWizardDlg::~CWizardDlg()
{
    // A window that went away without being closed (the application quitting) still saves.
    if (!Closed)
        CloseFrame();
    for (CWizardPage*& page : Pages) {
        delete page;
        page = nullptr;
    }
}

void CWizardDlg::OnInitDialog(const std::string& executablePath)
{
    const std::string program = executablePath.empty() ? ExecutableFilePath() : executablePath;
    HelpPath = HelpFilePath(program);
    SettingsPath = SettingsFilePath(program);
    ReadAppSettings();
    Project.Load();

    MarkSaved();

    BuildWindow();
    AppTitle = AppTitleText;
    Converter.Project = &Project;
    setWindowIcon(Icon);

    Pages[0] = new CSourcePage(this, &Project, &Converter);
    Pages[0]->CreatePage(PageArea);
    Pages[0]->ShowPage();
    Pages[1] = new CMappingPage(this, &Project, &Converter);
    Pages[1]->CreatePage(PageArea);
    auto* runPage = new CRunPage(this, &Project, &Converter);
    Pages[2] = runPage;
    Pages[2]->CreatePage(PageArea);
    runPage->SetUsableDuringRun({QuitButton, HelpButton});
    connect(runPage, &CRunPage::RunningChanged, this, &CWizardDlg::OnRunningChanged);
    for (CWizardPage* page : Pages)
        connect(page, &CWizardPage::Edited, this, [this, page] { OnPageEdited(page); });
    UpdateNavButtons();
    UpdateTitle();
}

void CWizardDlg::BuildWindow()
{
    setObjectName(QStringLiteral("CWizardDlg"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    new PlaceWhenShown(this);

    auto* layout = new QVBoxLayout(this);
    MenuBar = new QMenuBar(this);
    layout->setMenuBar(MenuBar);

    // The File and Help menus, each item sending its command.
    auto addCommand = [this](QMenu* menu, const char* text, unsigned command) {
        QAction* action = menu->addAction(QString::fromLatin1(text));
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
        return action;
    };
    QMenu* file = MenuBar->addMenu(QStringLiteral("File"));
    addCommand(file, "New Project", IdNewProject);
    addCommand(file, "Load Project...", IdLoadProject);
    RecentMenu = file->addMenu(QStringLiteral("Recent Projects"));
    RecentMenu->setObjectName(QStringLiteral("recentProjects"));
    addCommand(file, "Save Project", IdSaveProject);
    addCommand(file, "Save Project as...", IdSaveProjectAs);
    file->addSeparator();
    addCommand(file, "&Quit", IdCancel);
    QMenu* help = MenuBar->addMenu(QStringLiteral("Help"));
    addCommand(help, "Index...", IdHelpIndex);
    addCommand(help, "&About the Converter", IdAbout);
    // The menu titles have no mnemonic: F10 or Alt alone reach them.
    new MenuBarKeys(MenuBar);
    UpdateRecentMenu();
    // A project or source file dropped on the window opens as from the command line.
    setAcceptDrops(true);

    // The etched page area the pages share.
    PageArea = new QFrame(this);
    PageArea->setObjectName(QStringLiteral("pageArea"));
    PageArea->setFrameStyle(QFrame::Box | QFrame::Sunken);
    auto* pageGrid = new QGridLayout(PageArea);
    pageGrid->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(PageArea, 1);

    // The buttons, created in their tab order and laid out with Help and Preview at the
    // left, Back and Next together,
    // Quit at the right.
    auto makeButton = [this](const char* text, const char* name) {
        auto* button = new QPushButton(QString::fromLatin1(text), this);
        button->setObjectName(QString::fromLatin1(name));
        return button;
    };
    BackButton = makeButton("< &Back", "back");
    NextButton = makeButton("&Next >", "next");
    HelpButton = makeButton("Help F1", "help");
    QuitButton = makeButton("Quit", "quit");
    PreviewButton = makeButton("&Preview", "preview");
    for (QPushButton* button : {BackButton, NextButton}) {
        // Hidden, never disabled; a hidden one keeps its place so the other does not move.
        QSizePolicy policy = button->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        button->setSizePolicy(policy);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(HelpButton);
    buttons->addWidget(PreviewButton);
    buttons->addStretch(1);
    buttons->addWidget(BackButton);
    buttons->addWidget(NextButton);
    buttons->addSpacing(NextButton->sizeHint().width());
    buttons->addWidget(QuitButton);
    layout->addLayout(buttons);

    connect(BackButton, &QPushButton::clicked, this, [this] { OnCommand(IdBack); });
    connect(NextButton, &QPushButton::clicked, this, [this] { OnCommand(IdNext); });
    connect(HelpButton, &QPushButton::clicked, this, [this] { OnCommand(IdHelp); });
    connect(PreviewButton, &QPushButton::clicked, this, [this] { OnCommand(IdPreview); });
    connect(QuitButton, &QPushButton::clicked, this, [this] { OnCommand(IdCancel); });
}

void CWizardDlg::UpdateTitle()
{
    const std::string title = AppTitle + " [" +
                              (Project.ProjectPath.empty() ? "Untitled" : Project.ProjectPath) +
                              (IsModified() ? "*" : "") + "]";
    setWindowTitle(ToQt(title));
}

namespace {

std::string SettingsText(const CProject& project)
{
    ProfileFile file;
    project.StoreSettings(file);
    return file.Text();
}

} // namespace

bool CWizardDlg::IsModified()
{
    // What is typed on a page reaches the project only when the page is stored (Next,
    // Save, Preview, ...): it is stored into the project for this look and taken back.
    const CProject kept = Project;
    if (Pages[CurrentPage])
        Pages[CurrentPage]->StoreData();
    const bool modified = SettingsText(Project) != SavedSettings;
    Project = kept;
    return modified;
}

void CWizardDlg::MarkSaved()
{
    SavedSettings = SettingsText(Project);
}

void CWizardDlg::OnPageEdited(CWizardPage* page)
{
    if (page == Pages[CurrentPage])
        UpdateTitle();
}

void CWizardDlg::UpdateNavButtons()
{
    BackButton->setVisible(CurrentPage != 0);
    NextButton->setVisible(CurrentPage < 2);
}

void CWizardDlg::OnBack()
{
    if (CurrentPage == 0)
        return;
    Pages[CurrentPage]->HidePage();
    --CurrentPage;
    Pages[CurrentPage]->ShowPage();
    UpdateNavButtons();
    UpdateTitle();
}

void CWizardDlg::OnNext()
{
    if (CurrentPage == 2)
        return;
    if (!Pages[CurrentPage]->CanLeave())
        return;
    Pages[CurrentPage]->HidePage();
    ++CurrentPage;
    Pages[CurrentPage]->ShowPage();
    UpdateNavButtons();
    UpdateTitle();
}

void CWizardDlg::OnPreview()
{
    Pages[CurrentPage]->StoreData();
    std::error_code ec;
    if (Project.FileName.empty() || !std::filesystem::exists(Project.FileName, ec)) {
        UserDialogs().ShowMessage(this, PreviewWarning, "Warning", IUserDialogs::Icon::Stop);
        return;
    }
    ShowPreviewWindow();
}

void CWizardDlg::ShowPreviewWindow()
{
    CPreviewDlg preview(this, &Project, &Converter);
    preview.exec();
}

void CWizardDlg::OnHelpIndex()
{
    ShowHelp("index.html");
}

bool CWizardDlg::OnHelpInfo()
{
    OnHelpIndex();
    return true;
}

void CWizardDlg::ShowHelp(const std::string& topic)
{
    const std::string address = HelpPath + "::/" + topic;
#ifdef _WIN32
    // The system's help viewer is owned by the native window.
    void* window = reinterpret_cast<void*>(winId());
#else
    // The built-in viewer takes the widget itself as its owner.
    void* window = static_cast<QWidget*>(this);
#endif
    if (LaunchHelp)
        (void)LaunchHelp(window, address.c_str(), 0, 0);
}

void CWizardDlg::ShowAbout()
{
    CAboutDlg about(this, AppTitle, Icon);
    about.exec();
}

bool CWizardDlg::OnCommand(unsigned command, const void* argument)
{
    switch (command) {
    case IdNewProject:
        Project.ResetDefaults();
        MarkSaved();
        Pages[CurrentPage]->ShowPage();
        UpdateTitle();
        return true;
    case IdLoadProject:
        if (ChooseProjectFile(false)) {
            if (Project.Load())
                RememberRecentProject(Project.ProjectPath);
            MarkSaved();
            Pages[CurrentPage]->ShowPage();
            UpdateTitle();
        }
        return true;
    case IdSaveProject:
        if (!Project.ProjectPath.empty()) {
            // What was typed on the page on view is part of the project, as for Save Project as.
            Pages[CurrentPage]->StoreData();
            SaveProject();
            UpdateTitle();
            return true;
        }
        return OnCommand(IdSaveProjectAs);
    case IdSaveProjectAs:
        if (ChooseProjectFile(true)) {
            Pages[CurrentPage]->StoreData();
            SaveProject();
            UpdateTitle();
        }
        return true;
    case IdHelpIndex:
    case IdHelp:
        OnHelpIndex();
        return true;
    case IdAbout:
        ShowAbout();
        return true;
    case IdHelpRequest:
        if (argument)
            ShowHelp(std::string(static_cast<const char*>(argument)));
        return true;
    case IdBack:
        OnBack();
        return true;
    case IdNext:
        OnNext();
        return true;
    case IdPreview:
        OnPreview();
        return true;
    case IdCancel:
        reject();
        return true;
    default:
        if (command >= IdRecentProject && command < IdRecentProject + RecentProjects.size()) {
            OpenProject(RecentProjects[command - IdRecentProject]);
            return true;
        }
        return false;
    }
}

void CWizardDlg::ShowPageOnly(int index)
{
    if (index == CurrentPage)
        return;
    Pages[CurrentPage]->hide();
    CurrentPage = index;
    UpdateNavButtons();
}

bool CWizardDlg::OpenProject(const std::string& path)
{
    CProject opened;
    opened.ProjectPath = path;
    if (!opened.Load()) {
        UserDialogs().ShowMessage(
            this, DescribeFileFailure("The project cannot be opened.", path, opened.LoadError), "Error",
            IUserDialogs::Icon::Stop);
        return false;
    }
    Project = opened;
    MarkSaved();
    Pages[CurrentPage]->ShowPage();
    UpdateTitle();
    RememberRecentProject(path);
    return true;
}

void CWizardDlg::OpenFile(const std::string& path)
{
    if (IsRunning())
        return;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    const std::string name = ec ? path : absolute.lexically_normal().string();
    std::string extension = std::filesystem::path(name).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == std::string(".") + ProjectExtension) {
        OpenProject(name);
        return;
    }
    // A new project reading this source, as New Project and a source chosen on the first
    // page make it: the columns of an earlier source mean nothing for it.
    Project.ResetDefaults();
    Project.Columns.clear();
    Project.Quotes.clear();
    Project.SourceColumns.clear();
    Project.Types.clear();
    MarkSaved();
    Project.FileName = name;
    if (std::filesystem::is_regular_file(name, ec))
        Project.Encoding = EncodingName(DetectEncoding(name));
    ShowPageOnly(0);
    Pages[CurrentPage]->ShowPage();
    UpdateTitle();
}

void CWizardDlg::RememberRecentProject(std::string path)
{
    if (path.empty())
        return;
    RecentProjects.erase(std::remove(RecentProjects.begin(), RecentProjects.end(), path),
                         RecentProjects.end());
    RecentProjects.insert(RecentProjects.begin(), path);
    if (RecentProjects.size() > MaxRecentProjects)
        RecentProjects.resize(MaxRecentProjects);
    for (std::size_t i = 0; i < MaxRecentProjects; ++i)
        (void)WritePrivateProfileString(ProfileSection, "Recent" + std::to_string(i + 1),
                                        i < RecentProjects.size() ? RecentProjects[i] : std::string(),
                                        SettingsPath);
    UpdateRecentMenu();
}

void CWizardDlg::UpdateRecentMenu()
{
    RecentMenu->clear();
    for (std::size_t i = 0; i < RecentProjects.size(); ++i) {
        const unsigned command = IdRecentProject + static_cast<unsigned>(i);
        QAction* action =
            RecentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(ToQt(RecentProjects[i])));
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    }
    RecentMenu->setEnabled(!RecentProjects.empty());
}

void CWizardDlg::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!IsRunning() && !urls.isEmpty() && urls.front().isLocalFile())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CWizardDlg::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (IsRunning() || urls.isEmpty() || !urls.front().isLocalFile()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    OpenFile(FromQt(urls.front().toLocalFile()));
}

void CWizardDlg::SaveProject()
{
    errno = 0;
    if (Project.Save()) {
        MarkSaved();
        RememberRecentProject(Project.ProjectPath);
        return;
    }
    // Asked to save, the user would otherwise take the project for kept.
    const std::string reason = errno != 0 ? std::strerror(errno) : "";
    UserDialogs().ShowMessage(
        this, DescribeFileFailure("The project cannot be saved.", Project.ProjectPath, reason), "Error",
        IUserDialogs::Icon::Stop);
}

bool CWizardDlg::ChooseProjectFile(bool save)
{
    std::string path;
    if (!UserDialogs().ChooseFile(this,
                                  save ? IUserDialogs::FileDialog::Save : IUserDialogs::FileDialog::Open,
                                  Project.ProjectPath, ProjectFilter, ProjectExtension, path))
        return false;
    Project.ProjectPath = path;
    return true;
}

void CWizardDlg::ReadAppSettings()
{
    Project.ProjectPath =
        GetPrivateProfileString(ProfileSection, "LastProjectName", "", SettingsBuffer, SettingsPath);
    // One file per key, the last first; empty keys are no entries.
    for (std::size_t i = 0; i < MaxRecentProjects; ++i) {
        const std::string path = GetPrivateProfileString(ProfileSection, "Recent" + std::to_string(i + 1), "",
                                                         RecentPathBuffer, SettingsPath);
        if (!path.empty())
            RecentProjects.push_back(path);
    }
}

void CWizardDlg::WriteAppSettings()
{
    (void)WritePrivateProfileString(ProfileSection, "LastProjectName", Project.ProjectPath, SettingsPath);
}

void CWizardDlg::CloseFrame()
{
    if (Closed)
        return;
    Closed = true;
    if (Pages[CurrentPage])
        Pages[CurrentPage]->StoreData();
    Project.Save();
    WriteAppSettings();
}

bool CWizardDlg::IsRunning() const
{
    return CRunPage::RunInProgress();
}

void CWizardDlg::OnRunningChanged(bool running)
{
    for (QWidget* control : std::initializer_list<QWidget*>{BackButton, PreviewButton, MenuBar})
        control->setEnabled(!running);
    if (!running && QuitAfterRun) {
        QuitAfterRun = false;
        // Once the run page's click has returned.
        QMetaObject::invokeMethod(
            this, [this] { done(QDialog::Rejected); }, Qt::QueuedConnection);
    }
}

void CWizardDlg::AskToStopRun()
{
    if (QuitAfterRun)
        return; // asked and answered already; the run is ending
    if (UserDialogs().AskYesNo(this,
                               "A conversion is running. Stop it and quit?\n\n"
                               "The target file stays as it was before the run.",
                               AppTitle)) {
        QuitAfterRun = true;
        CRunPage::RequestStop();
    }
}

void CWizardDlg::done(int result)
{
    if (IsRunning()) {
        AskToStopRun();
        return;
    }
    CloseFrame();
    QDialog::done(result);
}

bool CWizardDlg::event(QEvent* event)
{
    if (event->type() == HelpRequestEvent::EventType()) {
        OnCommand(IdHelpRequest, static_cast<HelpRequestEvent*>(event)->Topic);
        return true;
    }
    return QDialog::event(event);
}

void CWizardDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        OnHelpInfo();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CWizardDlg::closeEvent(QCloseEvent* event)
{
    if (IsRunning()) {
        event->ignore();
        AskToStopRun();
        return;
    }
    QDialog::closeEvent(event);
}
