#include "HelpWindow.h"

#include "HelpBrowser.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QKeySequence>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QStyle>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString HelpTitle = QStringLiteral("Tabulon Help");
const QString ContentsTopic = QStringLiteral("index.html");

QString TopicHtml(HelpBrowser* browser, const QString& name)
{
    return QString::fromUtf8(
        browser->loadResource(QTextDocument::HtmlResource, HelpBrowser::TopicUrl(name)).toByteArray());
}

} // namespace

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window), Topics(new HelpBrowser(this))
{
    auto* tools = new QToolBar(this);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    Back = tools->addAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("Back"), Topics,
                            &QTextBrowser::backward);
    Back->setShortcut(QKeySequence::Back);
    Forward = tools->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("Forward"), Topics,
                               &QTextBrowser::forward);
    Forward->setShortcut(QKeySequence::Forward);
    Home = tools->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), tr("Home"), Topics,
                            &QTextBrowser::home);
    Back->setEnabled(false);
    Forward->setEnabled(false);
    connect(Topics, &QTextBrowser::backwardAvailable, Back, &QAction::setEnabled);
    connect(Topics, &QTextBrowser::forwardAvailable, Forward, &QAction::setEnabled);
    connect(Topics, &QTextBrowser::sourceChanged, this, &HelpWindow::UpdateTitle);

    // The contents pane: a search box over the list of topics.
    auto* pane = new QWidget(this);
    Search = new QLineEdit(pane);
    Search->setObjectName(QStringLiteral("search"));
    Search->setPlaceholderText(tr("Search"));
    Search->setClearButtonEnabled(true);
    ContentsList = new QListWidget(pane);
    ContentsList->setObjectName(QStringLiteral("contents"));
    auto* paneLayout = new QVBoxLayout(pane);
    paneLayout->setContentsMargins(4, 4, 0, 4);
    paneLayout->addWidget(Search);
    paneLayout->addWidget(ContentsList);
    connect(Search, &QLineEdit::textChanged, this, &HelpWindow::OnSearch);
    connect(ContentsList, &QListWidget::itemActivated, this, &HelpWindow::OnContentsPicked);
    connect(ContentsList, &QListWidget::itemClicked, this, &HelpWindow::OnContentsPicked);

    auto* split = new QSplitter(this);
    split->addWidget(pane);
    split->addWidget(Topics);
    split->setStretchFactor(1, 1);
    split->setSizes({160, 480});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(split);
    resize(680, 520);
    new PlaceBesideOwnerWhenShown(this);
    UpdateTitle();
}

bool HelpWindow::ShowTopic(const QString& helpFile, const QString& topic)
{
    if (!Topics->ShowTopic(helpFile, topic))
        return false;
    if (ContentsFile != helpFile)
        FillContents();
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    return true;
}

void HelpWindow::FillContents()
{
    ContentsFile = Topics->HelpFile();
    AllTopics.clear();
    const QString contents = TopicHtml(Topics, ContentsTopic);
    QStringList names = {ContentsTopic};
    const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+\\.html)"));
    for (auto match = link.globalMatch(contents); match.hasNext();) {
        const QString name = match.next().captured(1);
        if (!names.contains(name))
            names << name;
    }
    const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"));
    const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    for (const QString& name : names) {
        const QString html = TopicHtml(Topics, name);
        if (html.isEmpty())
            continue;
        const QRegularExpressionMatch named = title.match(html);
        QString text = html;
        text.replace(tags, QStringLiteral(" "));
        AllTopics.push_back({name, named.hasMatch() ? named.captured(1).trimmed() : name, text.toLower()});
    }
    OnSearch(Search->text());
}

void HelpWindow::OnSearch(const QString& text)
{
    ContentsList->clear();
    const QStringList words = text.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const Topic& topic : AllTopics) {
        bool found = true;
        for (const QString& word : words)
            found = found && topic.Text.contains(word);
        if (!found)
            continue;
        auto* item = new QListWidgetItem(topic.Title, ContentsList);
        item->setData(Qt::UserRole, topic.Name);
    }
}

void HelpWindow::OnContentsPicked()
{
    const QListWidgetItem* item = ContentsList->currentItem();
    if (!item)
        return;
    Topics->ShowTopic(Topics->HelpFile(), item->data(Qt::UserRole).toString());
    // A topic found by a search opens at the first place the words are.
    const QString words = Search->text().trimmed();
    if (!words.isEmpty())
        Topics->find(words.split(QLatin1Char(' '), Qt::SkipEmptyParts).front());
}

void HelpWindow::UpdateTitle()
{
    const QString topic = Topics->documentTitle();
    // The contents topic is called as the help itself is: its name once, not twice.
    setWindowTitle(topic.isEmpty() || topic == HelpTitle ? HelpTitle : tr("%1 - %2").arg(topic, HelpTitle));
}
