#pragma once

#include <QEvent>
#include <QWidget>
#include <string>

class CConverter;
class CProject;
class CWizardDlg;
class QKeyEvent;

// A page's request to the frame to show the page's help topic: posted, not sent, so the
// frame first opens the index for the same F1; carries the address of the page's topic buffer.
class HelpRequestEvent : public QEvent {
  public:
    static QEvent::Type EventType();
    explicit HelpRequestEvent(const char* topic) : QEvent(EventType()), Topic(topic) {}
    const char* Topic; // zero-terminated, inside the page object
};

// The abstract base of the three wizard pages. A page is a child
// widget of the frame's page area, hidden until the frame calls ShowPage.
class CWizardPage : public QWidget {
    Q_OBJECT
  public:
    // `name` is the page's object name.
    CWizardPage(const char* name, CWizardDlg* frame, CProject* project, CConverter* converter);
    ~CWizardPage() override;

    // Places the (hidden) page in the frame's page area; every page takes the same place.
    int CreatePage(QWidget* pageArea);

    QSize minimumSizeHint() const override;

    virtual void ShowPage();
    virtual void HidePage();
    // A new project: what the page shows of an earlier one (a run's report) goes.
    virtual void ClearPage() {}
    virtual void StoreData() = 0;
    virtual bool CanLeave() = 0;
    virtual std::string GetHelpTopic() const = 0;

    // F1 inside the page: posts a help request with the page's topic to the frame and
    // then leaves the key to the frame, which opens the index topic first.
    bool OnHelpInfo();

    const char* GetHelpTopicBuffer() const { return HelpTopicBuffer; }

  Q_SIGNALS:
    // The user changed a control: the frame stores the page and shows whether the
    // project now differs from its file.
    void Edited();

  protected:
    // For the controls' change signals: emits Edited, except while ShowPage fills them.
    void NotifyEdited();
    // Marks the filling of the controls in ShowPage for as long as it lives.
    class FillingControls {
      public:
        explicit FillingControls(CWizardPage* page) : Page(page), Outer(page->Filling)
        {
            Page->Filling = true;
        }
        ~FillingControls() { Page->Filling = Outer; }
        FillingControls(const FillingControls&) = delete;
        FillingControls& operator=(const FillingControls&) = delete;

      private:
        CWizardPage* Page;
        bool Outer;
    };

    void keyPressEvent(QKeyEvent* event) override;

    CProject& GetProject() const { return *Project; }
    CConverter& GetConverter() const { return *Converter; }

  private:
    CWizardDlg* Frame;     // not owned
    CProject* Project;     // not owned
    CConverter* Converter; // not owned
    char HelpTopicBuffer[32] = {};
    bool Filling = false;
};
