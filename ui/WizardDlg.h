#pragma once

#include "Converter.h"
#include "Project.h"
#include "ProjectFiles.h"

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <cstdint>
#include <string>
#include <vector>

class CPreviewDlg;
class QTimer;
class CWizardPage;
class QFrame;
class QMenuBar;
class QPushButton;

// The wizard frame: the main window. It embeds the one project and the
// one engine, owns the three pages, moves between them, carries out the File and
// Help commands and remembers the last project in the settings file.
class CWizardDlg : public QDialog {
    Q_OBJECT
  public:
    // Command and button ids, as the menu and the buttons send them.
    enum Command : unsigned {
        IdCancel = 2, // Quit button and "&Quit"
        IdBack = 1000,
        IdNext = 1001,
        IdHelp = 1002,
        IdPreview = 1004,
        IdHelpRequest = 1070, // a page's help request
        IdAbout = 32771,
        IdNewProject = 32772,
        IdLoadProject = 32773,
        IdSaveProject = 32774,
        IdSaveProjectAs = 32775,
        IdHelpIndex = 32776,
        IdRecentProject = 32780, // the first of MaxRecentProjects
    };
    // File > Recent Projects lists this many, the last opened or saved first.
    static constexpr std::size_t MaxRecentProjects = 4;

    // `executablePath` stands for the running program's path (tests); empty: the real one.
    explicit CWizardDlg(QWidget* parent = nullptr, const std::string& executablePath = std::string());
    ~CWizardDlg() override;

    void OnBack();
    void OnNext();
    // A file given on the command line or dropped on the window: a project file
    // (".cvtproj") is opened; any other file starts a new project with it as the source.
    void OpenFile(const std::string& path);
    // The recent projects, the last opened or saved first.
    const std::vector<std::string>& GetRecentProjects() const { return RecentProjects; }
    // Menu commands and the page help request; false for a command it does not know.
    bool OnCommand(unsigned command, const void* argument = nullptr);

    // The project and the engine, which the pages share.
    CProject& GetProject() { return Project; }
    CConverter& GetConverter() { return Converter; }
    // The page on view, 0 to 2, and the pages themselves.
    int GetCurrentPage() const { return CurrentPage; }
    CWizardPage* GetPage(int index) const { return Pages[index]; }

    // The help viewer is reached through this function; tests may replace it.
    using HelpLauncherFn = std::intptr_t (*)(void* window, const char* address, std::uint32_t command,
                                             std::uint32_t data);
    void SetHelpLauncher(HelpLauncherFn launcher) { LaunchHelp = launcher; }

    // True when the project on view, with what is typed on the page on view, differs
    // from what its file holds (for an untitled project: from a new project). The title
    // then shows an asterisk.
    bool IsModified();

    // Opens help topic `topic` ("page1.html", "page1.html#options") in the viewer, owned by
    // `owner` (nullptr: this window).
    void ShowHelp(const std::string& topic, QWidget* owner = nullptr);

    // True while a conversion runs inside the run page (the window takes no input but
    // Stop, Quit, Help and the close box then).
    bool IsRunning() const;

  public Q_SLOTS:
    void done(int result) override;

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void OnInitDialog(const std::string& executablePath);
    void BuildWindow();
    void UpdateTitle();
    // The project as it is now is what its file holds (after a load or a save).
    void MarkSaved();
    // A page's control changed: the title shows whether the project now differs from its file.
    void OnPageEdited(CWizardPage* page);
    void UpdateNavButtons();
    void OnPreview();
    void ShowPreviewWindow();
    // The preview on view follows the settings: read again a moment after they change.
    void RefreshPreviewSoon();
    void RefreshPreview();
    // The project with what the page on view holds now.
    CProject ProjectOnView();
    void OnHelpIndex();
    bool OnHelpInfo();

    void ShowAbout();
    // Asks for a project file to open or to save to; false when cancelled. Before an existing
    // file is saved over, asks whether to replace it.
    bool ChooseProjectFile(bool save, std::string& path);
    // Writes the project to its file (`fresh`: a new file, for Save As), and names a file that
    // cannot be written. True when saved.
    bool SaveProject(bool fresh);
    // Save Project as: asks for a file and saves there; false when cancelled or not saved.
    bool SaveProjectAs();
    // Before work on view would be lost: asks Save / Discard / Cancel when the project differs
    // from its file. True when the caller may go on.
    bool MayLoseWork();
    // Opens a project file, keeping the project on view when it cannot be read (the user is told why).
    bool OpenProject(const std::string& path);
    // A new project (reading `source`, when given) on the first page, every page cleared.
    void StartNewProject(const std::string& source = std::string());
    // The first page on view, filled from the project; the other pages cleared.
    void ShowFirstPage();
    // Puts `path` first in the recent projects and the settings file.
    void RememberRecentProject(std::string path); // a copy: `path` may be one of the list
    void UpdateRecentMenu();
    void ShowPageOnly(int index);
    void ReadAppSettings();
    void WriteAppSettings();
    // The closing steps: store the page on view, save a titled project, write
    // "LastProjectName". Every way of closing runs them once. With `mayAsk`, work that would
    // be lost (an untitled project's, or one whose save fails) is asked about first, and
    // false means the user chose to stay.
    bool CloseFrame(bool mayAsk);
    // A run began or ended: what would change the project is disabled meanwhile.
    void OnRunningChanged(bool running);
    // Quit or the close box during a run: asks whether to stop the run and quit.
    void AskToStopRun();

    HelpLauncherFn LaunchHelp;
    CProject Project;
    QIcon Icon;
    int CurrentPage = 0;
    std::string AppTitle;
    std::string HelpPath;
    std::string SettingsPath;
    CConverter Converter;
    CWizardPage* Pages[3] = {nullptr, nullptr, nullptr};

    QPushButton* BackButton = nullptr;
    QPushButton* NextButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QPushButton* PreviewButton = nullptr;
    QPushButton* QuitButton = nullptr;
    QFrame* PageArea = nullptr;
    QMenuBar* MenuBar = nullptr;
    class QMenu* RecentMenu = nullptr;
    std::vector<std::string> RecentProjects;
    bool Closed = false;
    bool QuitAfterRun = false;     // the user chose to stop the run and quit
    std::string SavedSettings;     // the project's settings as last loaded or saved
    QPointer<CPreviewDlg> Preview; // the preview window while it is open
    std::string PreviewedSettings; // the settings the preview shows
    QTimer* PreviewTimer = nullptr;
    ProjectPathForm PathForm; // which of the project's paths its file holds relative
};
