#pragma once

#include <QWidget>

class HelpBrowser;
class QAction;

// The help viewer's window: a topic browser under a tool bar with Back,
// Forward and Home, titled after the topic on view.
class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* owner = nullptr);

    // Shows the topic and brings the window to the front; false, changing
    // nothing, when the file or the topic cannot be had.
    bool ShowTopic(const QString& helpFile, const QString& topic);

    HelpBrowser* Browser() const { return Topics; }
    QAction* BackAction() const { return Back; }
    QAction* ForwardAction() const { return Forward; }
    QAction* HomeAction() const { return Home; }

  private:
    void UpdateTitle();

    HelpBrowser* Topics;
    QAction* Back;
    QAction* Forward;
    QAction* Home;
};
