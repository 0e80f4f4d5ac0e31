#pragma once

#include <QWidget>

class CHelpBrowser;
class QAction;

// The help viewer's window: a topic browser under a tool bar with Back,
// Forward and Home, titled after the topic on view.
class CHelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit CHelpWindow(QWidget* owner = nullptr);

    // Shows the topic and brings the window to the front; false, changing
    // nothing, when the file or the topic cannot be had.
    bool ShowTopic(const QString& helpFile, const QString& topic);

    CHelpBrowser* Browser() const { return Topics; }
    QAction* BackAction() const { return Back; }
    QAction* ForwardAction() const { return Forward; }
    QAction* HomeAction() const { return Home; }

  private:
    void UpdateTitle();

    CHelpBrowser* Topics;
    QAction* Back;
    QAction* Forward;
    QAction* Home;
};
