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
#include "ProjectFiles.h"
#include "QtText.h"
#include "RunPage.h"
#include "SettingsCheck.h"
#include "SourcePage.h"
#include "TextDecoder.h"
#include "UserDialogs.h"
#include "Utf8Path.h"
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
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
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
// The title, the project files' dialog filter and extension.
constexpr const char* AppTitleText = "Tabulon";
constexpr const char* ProjectFilter = "Converter Projects (*.cvtproj)|*.cvtproj|AllFiles (*.*)|*.*||";
constexpr const char* ProjectExtension = "cvtproj";

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
        (void)CloseFrame(false);
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
    // The last project, when it is still there and is a project; else an untitled one (the
    // read defaults, as an empty path gives them).
    const std::string last = Project.ProjectPath;
    Project.ProjectPath.clear();
    Project.Load();
    std::string startProblem;
    std::error_code ec;
    if (!last.empty() && std::filesystem::exists(PathFromUtf8(last), ec)) {
        std::string reason;
        if (!ReadProjectFile(last, Project, PathForm, reason))
            startProblem = DescribeFileFailure("The last project cannot be opened, so a new one is started.",
                                               last, reason);
    }
    MarkSaved();

    BuildWindow();
    AppTitle = AppTitleText;
    Converter.Project = &Project;
    setWindowIcon(Icon);

    Pages[0] = new CSourcePage(this, &Project, &Converter);
    Pages[0]->CreatePage(PageArea);
    Pages[0]->ShowPage();
    Pages[0]->setFocus(); // the source field, once the window is shown
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
    if (!startProblem.empty())
        UserDialogs().ShowMessage(this, startProblem, "Error", IUserDialogs::Icon::Stop);
}

void CWizardDlg::BuildWindow()
{
    // Typing goes on for a moment before the preview reads again.
    PreviewTimer = new QTimer(this);
    PreviewTimer->setSingleShot(true);
    PreviewTimer->setInterval(400);
    connect(PreviewTimer, &QTimer::timeout, this, &CWizardDlg::RefreshPreview);
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
    addCommand(file, "New Project", IdNewProject)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    addCommand(file, "Load Project...", IdLoadProject)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    RecentMenu = file->addMenu(QStringLiteral("Recent Projects"));
    RecentMenu->setObjectName(QStringLiteral("recentProjects"));
    addCommand(file, "Save Project", IdSaveProject)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    addCommand(file, "Save Project as...", IdSaveProjectAs);
    file->addSeparator();
    addCommand(file, "&Quit", IdCancel)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    for (QAction* action : file->actions())
        action->setShortcutContext(Qt::WindowShortcut);
    QMenu* help = MenuBar->addMenu(QStringLiteral("Help"));
    addCommand(help, "Contents...", IdHelpIndex);
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

    // The buttons, created in their tab order, left to right: Help and Preview at the
    // left, Back and Next together, Quit at the right.
    auto makeButton = [this](const char* text, const char* name) {
        auto* button = new QPushButton(QString::fromLatin1(text), this);
        button->setObjectName(QString::fromLatin1(name));
        return button;
    };
    HelpButton = makeButton("Help F1", "help");
    PreviewButton = makeButton("&Preview", "preview");
    BackButton = makeButton("< &Back", "back");
    NextButton = makeButton("&Next >", "next");
    QuitButton = makeButton("Quit", "quit");
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
    RefreshPreviewSoon();
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
    return SettingsText(ProjectOnView()) != SavedSettings;
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
    if (!static_cast<CSourcePage*>(Pages[0])->CheckSettings(false))
        return;
    ShowPreviewWindow();
}

void CWizardDlg::ShowPreviewWindow()
{
    PreviewedSettings = SettingsText(Project);
    if (Preview) {
        Preview->Read(Project);
        Preview->raise();
        Preview->activateWindow();
        return;
    }
    Preview = new CPreviewDlg(this, Project);
    Preview->setAttribute(Qt::WA_DeleteOnClose);
}

CProject CWizardDlg::ProjectOnView()
{
    const CProject kept = Project;
    if (Pages[CurrentPage])
        Pages[CurrentPage]->StoreData();
    CProject onView = Project;
    Project = kept;
    return onView;
}

void CWizardDlg::RefreshPreviewSoon()
{
    if (Preview && Preview->isVisible())
        PreviewTimer->start();
}

void CWizardDlg::RefreshPreview()
{
    if (!Preview || !Preview->isVisible() || IsRunning())
        return;
    const CProject onView = ProjectOnView();
    const std::string settings = SettingsText(onView);
    if (settings == PreviewedSettings)
        return;
    PreviewedSettings = settings;
    // Half-typed settings are named in the window, without a message box.
    const SettingsProblem problem = CheckFirstPage(onView, false);
    if (!problem.Message.empty())
        Preview->ShowProblem(problem.Message);
    else
        Preview->Read(onView);
}

void CWizardDlg::OnHelpIndex()
{
    ShowHelp("index.html");
}

bool CWizardDlg::OnHelpInfo()
{
    // The topic of the page on view, wherever the focus is.
    ShowHelp(Pages[CurrentPage]->GetHelpTopic());
    return true;
}

void CWizardDlg::ShowHelp(const std::string& topic, QWidget* owner)
{
    const std::string address = HelpPath + "::/" + topic;
#ifdef _WIN32
    // The system's help viewer is owned by the native window.
    void* window = reinterpret_cast<void*>((owner ? owner : this)->winId());
#else
    // The built-in viewer takes the widget itself as its owner.
    void* window = owner ? owner : static_cast<QWidget*>(this);
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
        if (MayLoseWork())
            StartNewProject();
        return true;
    case IdLoadProject: {
        std::string path;
        if (MayLoseWork() && ChooseProjectFile(false, path))
            OpenProject(path);
        return true;
    }
    case IdSaveProject:
        if (!Project.ProjectPath.empty()) {
            // What was typed on the page on view is part of the project, as for Save Project as.
            Pages[CurrentPage]->StoreData();
            SaveProject(false);
            UpdateTitle();
            return true;
        }
        return OnCommand(IdSaveProjectAs);
    case IdSaveProjectAs:
        SaveProjectAs();
        return true;
    case IdHelpIndex:
        OnHelpIndex();
        return true;
    case IdHelp:
        OnHelpInfo();
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
            const std::string path = RecentProjects[command - IdRecentProject];
            if (MayLoseWork())
                OpenProject(path);
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
    ProjectPathForm form;
    std::string reason;
    if (!ReadProjectFile(path, opened, form, reason)) {
        UserDialogs().ShowMessage(this, DescribeFileFailure("The project cannot be opened.", path, reason),
                                  "Error", IUserDialogs::Icon::Stop);
        return false;
    }
    Project = opened;
    PathForm = form;
    MarkSaved();
    // The page on view shows the opened project; what the others showed of the old one goes.
    for (CWizardPage* page : Pages)
        page->ClearPage();
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
    // Through the UTF-8 path functions: a narrow path would go through Windows' ANSI code page.
    const std::filesystem::path absolute = std::filesystem::absolute(PathFromUtf8(path), ec);
    const std::string name = ec ? path : Utf8FromPath(absolute.lexically_normal());
    std::string extension = Utf8FromPath(PathFromUtf8(name).extension());
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!MayLoseWork())
        return;
    if (extension == std::string(".") + ProjectExtension)
        OpenProject(name);
    else
        StartNewProject(name);
}

void CWizardDlg::StartNewProject(const std::string& source)
{
    // A new project: the columns and widths of an earlier source mean nothing for a new one.
    Project.ResetDefaults();
    PathForm = ProjectPathForm();
    MarkSaved();
    // The first page detects the source's settings, its encoding among them.
    Project.FileName = source;
    ShowFirstPage();
}

void CWizardDlg::ShowFirstPage()
{
    for (CWizardPage* page : Pages)
        page->ClearPage();
    if (CurrentPage != 0) {
        Pages[CurrentPage]->hide();
        CurrentPage = 0;
        UpdateNavButtons();
    }
    Pages[0]->ShowPage();
    UpdateTitle();
}

void CWizardDlg::RememberRecentProject(std::string path)
{
    if (path.empty())
        return;
    // One spelling per file (on Windows a dialog's answer has '/', a name from the command line '\\').
    path = Utf8FromPath(PathFromUtf8(path).lexically_normal());
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

bool CWizardDlg::SaveProject(bool fresh)
{
    std::string reason;
    if (WriteProjectFile(Project, PathForm, fresh, reason)) {
        MarkSaved();
        RememberRecentProject(Project.ProjectPath);
        return true;
    }
    // Asked to save, the user would otherwise take the project for kept.
    UserDialogs().ShowMessage(
        this, DescribeFileFailure("The project cannot be saved.", Project.ProjectPath, reason), "Error",
        IUserDialogs::Icon::Stop);
    return false;
}

bool CWizardDlg::SaveProjectAs()
{
    std::string path;
    if (!ChooseProjectFile(true, path))
        return false;
    Pages[CurrentPage]->StoreData();
    Project.ProjectPath = path;
    // A new file holds this project only, with the relative paths made relative to its folder.
    const bool saved = SaveProject(true);
    UpdateTitle();
    return saved;
}

bool CWizardDlg::MayLoseWork()
{
    if (!IsModified())
        return true;
    const bool untitled = Project.ProjectPath.empty();
    const std::string question =
        untitled ? "The new project has changes that are not saved. Save them?"
                 : "The project " + Project.ProjectPath + " has changes that are not saved. Save them?";
    switch (UserDialogs().AskSaveDiscardCancel(this, question, AppTitle, untitled ? "Save As..." : "Save")) {
    case IUserDialogs::Choice::Save:
        if (untitled)
            return SaveProjectAs();
        Pages[CurrentPage]->StoreData();
        return SaveProject(false);
    case IUserDialogs::Choice::Discard:
        return true;
    case IUserDialogs::Choice::Cancel:
        break;
    }
    return false;
}

bool CWizardDlg::ChooseProjectFile(bool save, std::string& path)
{
    std::string chosen;
    if (!UserDialogs().ChooseFile(this,
                                  save ? IUserDialogs::FileDialog::Save : IUserDialogs::FileDialog::Open,
                                  Project.ProjectPath, ProjectFilter, ProjectExtension, chosen))
        return false;
    std::error_code ec;
    if (save && std::filesystem::exists(PathFromUtf8(chosen), ec) &&
        !UserDialogs().AskYesNo(this, chosen + " exists already.\n\nReplace it with this project?", AppTitle))
        return false;
    path = chosen;
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

bool CWizardDlg::CloseFrame(bool mayAsk)
{
    if (Closed)
        return true;
    if (Pages[CurrentPage])
        Pages[CurrentPage]->StoreData();
    if (!Project.ProjectPath.empty()) {
        // A titled project is saved as the window closes; when that fails, the user chooses.
        std::string reason;
        if (!WriteProjectFile(Project, PathForm, false, reason) && mayAsk) {
            const std::string text =
                DescribeFileFailure("The project cannot be saved.", Project.ProjectPath, reason) +
                "\n\nSave it under another name, or close without saving?";
            switch (UserDialogs().AskSaveDiscardCancel(this, text, AppTitle, "Save As...")) {
            case IUserDialogs::Choice::Save:
                if (!SaveProjectAs())
                    return false;
                break;
            case IUserDialogs::Choice::Discard:
                break;
            case IUserDialogs::Choice::Cancel:
                return false;
            }
        }
    } else if (mayAsk && !MayLoseWork()) {
        return false;
    }
    Closed = true;
    WriteAppSettings();
    return true;
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
    if (!CloseFrame(true))
        return; // the user chose to stay
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
