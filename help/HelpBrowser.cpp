#include "HelpBrowser.h"

namespace {
const QString Scheme = QStringLiteral("help");
}

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent)
{
    setOpenLinks(true);
    setOpenExternalLinks(false);
}

QUrl HelpBrowser::TopicUrl(const QString& topic)
{
    QString name = topic;
    while (name.startsWith(QLatin1Char('/')))
        name.remove(0, 1);
    return QUrl(Scheme + QStringLiteral(":/") + name);
}

std::string HelpBrowser::ObjectName(const QUrl& url)
{
    if (url.scheme() != Scheme)
        return {};
    return url.path(QUrl::FullyDecoded).toStdString();
}

QUrl HelpBrowser::Resolved(const QUrl& name) const
{
    return name.isRelative() ? source().resolved(name) : name;
}

bool HelpBrowser::ShowTopic(const QString& path, const QString& topic)
{
    const QUrl url = TopicUrl(topic);
    const std::string name = ObjectName(url);
    if (path == FilePath && Archive.IsOpen()) {
        if (!Archive.Contains(name))
            return false;
        setSource(url);
        return true;
    }
    ChmArchive archive(path.toStdString());
    if (!archive.Contains(name))
        return false;
    Archive = std::move(archive);
    FilePath = path;
    setSource(url);
    // The old file's topics cannot be reached from the new one.
    clearHistory();
    return true;
}

QVariant HelpBrowser::loadResource(int, const QUrl& name)
{
    std::string content;
    if (!Archive.Read(ObjectName(Resolved(name)), content))
        return {};
    return QByteArray(content.data(), static_cast<qsizetype>(content.size()));
}

void HelpBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type)
{
    const QUrl url = Resolved(name);
    // A jump within the topic on view needs nothing from the file.
    const bool sameTopic = url.matches(source(), QUrl::RemoveFragment) && !source().isEmpty();
    if (!sameTopic && !Archive.Contains(ObjectName(url)))
        return;
    QTextBrowser::doSetSource(url, type);
}
