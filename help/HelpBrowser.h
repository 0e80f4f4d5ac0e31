#pragma once

#include "ChmArchive.h"

#include <QTextBrowser>

// Shows topics of one compiled help file. Topics are addressed by URLs of the
// form help:/<name inside the file>, so that links, pictures and style sheets
// given relative to a topic resolve inside the same file.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
  public:
    explicit HelpBrowser(QWidget* parent = nullptr);

    // Shows `topic` of the help file `path`. False, changing nothing, when the
    // file cannot be opened or has no such topic. Another file than the one on
    // view starts a new history.
    bool ShowTopic(const QString& path, const QString& topic);

    const QString& HelpFile() const { return FilePath; }
    static QUrl TopicUrl(const QString& topic);

    QVariant loadResource(int type, const QUrl& name) override;

  protected:
    // Links to a topic the file lacks, or to anything outside it, are ignored.
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

  private:
    static std::string ObjectName(const QUrl& url);
    QUrl Resolved(const QUrl& name) const;

    ChmArchive Archive;
    QString FilePath;
};
