#pragma once

#include <QWidget>
#include <vector>

class HelpBrowser;
class QAction;
class QLineEdit;
class QListWidget;

// The help viewer's window: the contents (every topic of the file, or those a search
// finds) beside a topic browser, under a tool bar with Back, Forward and Home, titled
// after the topic on view. It opens beside its owner where the screen has room.
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
    // The contents pane (one entry per topic, its name as the entry's data) and the search box.
    QListWidget* Contents() const { return ContentsList; }
    QLineEdit* SearchBox() const { return Search; }

  private:
    void UpdateTitle();
    // Lists the topics of the help file: the contents topic, then those it links to.
    void FillContents();
    // Lists the topics holding every word of the search text (all topics for an empty text).
    void OnSearch(const QString& text);
    void OnContentsPicked();

    HelpBrowser* Topics;
    QAction* Back;
    QAction* Forward;
    QAction* Home;
    QListWidget* ContentsList;
    QLineEdit* Search;
    QString ContentsFile; // the help file the contents were read from
    struct Topic {
        QString Name;
        QString Title;
        QString Text; // the words, lower case, for the search
    };
    std::vector<Topic> AllTopics;
};
