#pragma once

#include <QString>
#include <string>
#include <string_view>

class QWidget;

// The one way the user interface asks the user something: message boxes and
// file dialogs. The running program uses QtUserDialogs (real modal dialogs);
// tests install a double with SetUserDialogs, so no test opens a modal dialog.
// Every window of the wizard (frame, pages, preview) goes through UserDialogs().
class IUserDialogs {
  public:
    enum class Icon {
        Stop, // the stop sign: errors ("Error") and the preview's "Warning"
    };
    // The answer to a question about work that would be lost.
    enum class Choice {
        Save,    // save it first (the save button may read "Save As...")
        Discard, // go on without it
        Cancel,  // do not go on
    };
    enum class FileDialog {
        Open, // picks a file to read
        Save, // picks a file to write
    };

    virtual ~IUserDialogs() = default;

    // A modal message box owned by `owner`, with an OK button.
    virtual void ShowMessage(QWidget* owner, const std::string& text, const std::string& caption,
                             Icon icon) = 0;

    // A modal question box owned by `owner` with Yes and No buttons, No the default.
    // True for Yes.
    virtual bool AskYesNo(QWidget* owner, const std::string& text, const std::string& caption) = 0;

    // A modal question box owned by `owner` with the buttons `saveLabel` ("Save", "Save As..."),
    // Discard and Cancel, Save the default and Escape for Cancel.
    virtual Choice AskSaveDiscardCancel(QWidget* owner, const std::string& text, const std::string& caption,
                                        const std::string& saveLabel) = 0;

    // A modal file dialog. `filter` is in the Windows form ("Text Files (*.txt)|*.txt|AllFiles
    // (*.*)|*.*||"); `defaultExtension` ("txt") is added to a name typed without one;
    // `initialName` is the name it starts with (and so its folder). The save form does not ask
    // before an existing file is taken, the open form takes only an existing file. True when the user
    // confirmed a name: its full path is then in `path`; false (and `path` untouched) when cancelled.
    virtual bool ChooseFile(QWidget* owner, FileDialog kind, const std::string& initialName,
                            std::string_view filter, std::string_view defaultExtension,
                            std::string& path) = 0;

    // Opens `folder` in the system's file manager. False (the user told why) when it cannot.
    virtual bool OpenFolder(QWidget* owner, const std::string& folder) = 0;
};

// The real dialogs.
class QtUserDialogs : public IUserDialogs {
  public:
    void ShowMessage(QWidget* owner, const std::string& text, const std::string& caption, Icon icon) override;
    bool AskYesNo(QWidget* owner, const std::string& text, const std::string& caption) override;
    Choice AskSaveDiscardCancel(QWidget* owner, const std::string& text, const std::string& caption,
                                const std::string& saveLabel) override;
    bool ChooseFile(QWidget* owner, FileDialog kind, const std::string& initialName, std::string_view filter,
                    std::string_view defaultExtension, std::string& path) override;
    bool OpenFolder(QWidget* owner, const std::string& folder) override;
};

// The dialogs in use: the installed ones, or a process-wide QtUserDialogs.
IUserDialogs& UserDialogs();
// Installs `dialogs` (not owned; nullptr restores the real ones). Returns the previous one.
IUserDialogs* SetUserDialogs(IUserDialogs* dialogs);

class QFileDialog;
// Sets up `dialog` as ChooseFile shows it: its filters, default extension, open or save form.
void ConfigureFileDialog(QFileDialog& dialog, IUserDialogs::FileDialog kind, std::string_view filter,
                         std::string_view defaultExtension);

// "Text Files (*.txt)|*.txt|AllFiles (*.*)|*.*||" -> "Text Files (*.txt);;AllFiles (*.*)".
// The Qt filter is built from each pair's description and pattern ("Desc (pattern)"),
// so a description that does not show its pattern still filters by it.
QString QtFileFilter(std::string_view windowsFilter);
